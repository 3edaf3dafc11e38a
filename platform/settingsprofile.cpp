#include "settingsprofile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

namespace {

QString Key(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}

} // namespace

CSettingsProfile::CSettingsProfile()
    : m_settings(QStringLiteral("Orvane Lab"), QStringLiteral("Dyadmon v3.0")) {}

std::string CSettingsProfile::GetString(const std::string& section, const std::string& key) {
    const QVariant value = m_settings.value(Key(section, key));
    if (value.typeId() == QMetaType::QByteArray) {
        return value.toByteArray().toStdString();
    }
    return value.toString().toStdString();
}

void CSettingsProfile::WriteString(const std::string& section, const std::string& key,
                                   const std::string& value) {
    const QString text = QString::fromStdString(value);
    if (text.toStdString() == value) {
        m_settings.setValue(Key(section, key), text);
    } else {
        m_settings.setValue(Key(section, key), QByteArray::fromStdString(value));
    }
    m_settings.sync();
}

std::string CSettingsProfile::WhyUnreadable() const {
    const QByteArray path = QFile::encodeName(m_settings.fileName());
    const int fd = open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno == ENOENT ? std::string() : std::strerror(errno);
    }
    struct stat st {};
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char byte;
    const bool readable = regular && read(fd, &byte, 1) >= 0;
    const int error = errno;
    close(fd);
    if (!regular) {
        return S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
    }
    return readable ? std::string() : std::strerror(error);
}
