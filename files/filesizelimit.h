#pragma once

#include <cstdint>
#include <string>

// The largest files Dyadmon reads. A comparison names offsets in 64 bits (a file and the 64 bytes of
// padding after it fit in an off_t); a snapshot record keeps its size in 32 bits, which other programs
// read, so snapshots stay below 4 GiB.
class CFileSizeLimit {
public:
    static constexpr std::uint64_t kMaxFileSize = 0x7FFFFFFFFFFFFFFFull - 64;
    static constexpr std::uint64_t kMaxSnapshotSize = 0xFFFFFFFFull - 64;

    // "The file NAME is too large PURPOSE: the limit is ... bytes (4 GiB less 65 bytes)."
    static std::string TooLarge(const std::string& name, const std::string& purpose, std::uint64_t limit);
};
