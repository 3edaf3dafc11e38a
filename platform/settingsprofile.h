#pragma once

#include <QSettings>

#include "snapshots/core/storeprofile.h"

// The per-user profile: the settings file of organisation "Orvane Lab", application "Dyadmon v3.0"
// (~/.config/Orvane Lab/Dyadmon v3.0.conf).
class CSettingsProfile : public CStoreProfile {
public:
    CSettingsProfile();

    std::string GetString(const std::string& section, const std::string& key) override;
    void WriteString(const std::string& section, const std::string& key, const std::string& value) override;
    // The same profile for binary values such as window placements and the bar layout.
    QSettings& Settings() { return m_settings; }

private:
    QSettings m_settings;
};
