#pragma once

#include <string>

// The per-user profile values the snapshot store reads and writes. The program backs it with its
// settings file; tests back it with a map.
class CStoreProfile {
public:
    virtual ~CStoreProfile() = default;
    virtual std::string GetString(const std::string& section, const std::string& key) = 0;
    virtual void WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
};
