#include "settingsprofile.h"

namespace {

QString Key(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}

} // namespace

CSettingsProfile::CSettingsProfile()
    : m_settings(QStringLiteral("Orvane Lab"), QStringLiteral("Dyadmon v3.0")) {}

std::string CSettingsProfile::GetString(const std::string& section, const std::string& key) {
    return m_settings.value(Key(section, key)).toString().toStdString();
}

void CSettingsProfile::WriteString(const std::string& section, const std::string& key,
                                   const std::string& value) {
    m_settings.setValue(Key(section, key), QString::fromStdString(value));
    m_settings.sync();
}
