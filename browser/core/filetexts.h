#pragma once

#include <cstdint>
#include <ctime>
#include <string>

// The size and time texts of the file list: what a row shows for a file, from the file's own 64-bit
// size and its last-write time.
class CFileTexts {
public:
    // Bytes below 1024, then whole KB below 1 MB, then whole MB: 1023, "1 KB", "1023 KB", "1 MB",
    // "5120 MB" for 5 GiB.
    static std::string Size(std::uint64_t bytes);
    // "%m/%d/%y %I:%M %p" in local time.
    static std::string Time(std::time_t when);
};
