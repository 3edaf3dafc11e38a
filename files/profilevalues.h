#pragma once

#include <string>

// Text values of a per-user profile, by section and key, as the parts below the toolkit read and
// write them (the snapshot store's working folder). The program backs it with its settings file;
// tests back it with a map.
class CProfileValues {
public:
    virtual ~CProfileValues() = default;
    virtual std::string GetString(const std::string& section, const std::string& key) = 0;
    virtual void WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
};
