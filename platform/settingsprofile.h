#pragma once

#include <QSettings>

#include "files/profilevalues.h"

// The per-user profile: the settings file of organisation "Orvane Lab", application "Dyadmon v3.0"
// (~/.config/Orvane Lab/Dyadmon v3.0.conf).
class CSettingsProfile : public CProfileValues {
public:
    CSettingsProfile();

    // Values are bytes: a folder whose name is not UTF-8 is kept as it is (as a byte array), any
    // other as text, as earlier versions wrote it.
    std::string GetString(const std::string& section, const std::string& key) override;
    void WriteString(const std::string& section, const std::string& key, const std::string& value) override;
    // Why the profile's file exists but cannot be read; empty when it can, or does not exist yet. Qt
    // would read such a profile as empty.
    std::string WhyUnreadable() const;
    std::string FileName() const { return m_settings.fileName().toStdString(); }
    // The same profile for binary values such as window placements and the bar layout.
    QSettings& Settings() { return m_settings; }

private:
    QSettings m_settings;
};
