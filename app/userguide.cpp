#include "userguide.h"

#include <cerrno>
#include <cstring>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "files/atomicfile.h"

namespace {

QString CantWrite(const QString& path, const QString& reason) {
    return QStringLiteral("The user guide could not be written to ") + path + QStringLiteral(" (") + reason +
           QStringLiteral(").");
}

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool IsOwnedBySelf(const struct stat& st) {
    return st.st_uid == geteuid();
}

} // namespace

QString CUserGuide::Installed(const QString& programFolder) {
    const QFileInfo guide(programFolder + QStringLiteral("/../share/doc/dyadmon/") +
                          QLatin1String(kFileName));
    return guide.isFile() ? guide.canonicalFilePath() : QString();
}

QString CUserGuide::PrivateCopy(const QString& folder, QString& error) {
    QFile bundled(QString::fromLatin1(kResource));
    if (!bundled.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("The program holds no user guide.");
        return {};
    }
    const QByteArray bytes = bundled.readAll();
    const QString path = folder + QLatin1Char('/') + QLatin1String(kFileName);
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        error = CantWrite(path, QStringLiteral("the folder cannot be made"));
        return {};
    }
    // In a folder only the user can change, no one else can put a link at the file's place later.
    const QByteArray place = QFile::encodeName(folder);
    struct stat st {};
    if (lstat(place.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || !IsOwnedBySelf(st)) {
        error = CantWrite(path, QStringLiteral("the folder is not one of the user's own"));
        return {};
    }
    if ((st.st_mode & 077) != 0 && chmod(place.constData(), 0700) != 0) {
        error = CantWrite(path, Reason(errno));
        return {};
    }

    const std::string target = QFile::encodeName(path).toStdString();
    if (lstat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || !IsOwnedBySelf(st)) {
            error = CantWrite(path, QStringLiteral("something else is in its place"));
            return {};
        }
        QFile earlier(path);
        if (static_cast<qint64>(st.st_size) == bytes.size() && earlier.open(QIODevice::ReadOnly) &&
            earlier.readAll() == bytes) {
            return path;
        }
    }
    // StoreFile: a link put at the place meanwhile is replaced, never followed.
    CAtomicFile file;
    const bool written = file.Open(target, CAtomicFile::Target::StoreFile) &&
                         file.WriteAll(std::string_view(bytes.constData(), bytes.size())) &&
                         file.Commit(true);
    if (!written) {
        error = CantWrite(path, Reason(errno));
        return {};
    }
    return path;
}

QString CUserGuide::Find(QString& error) {
    const QString installed = Installed(QCoreApplication::applicationDirPath());
    if (!installed.isEmpty()) {
        return installed;
    }
    return PrivateCopy(QStandardPaths::writableLocation(QStandardPaths::CacheLocation), error);
}
