#pragma once

#include <cstdint>
#include <string>

// The largest file any part of Dyadmon reads: every offset a comparison or a row can name, the 64
// bytes of padding after a file included, fits in 32 bits, and so does a snapshot record's size.
class CFileSizeLimit {
public:
    static constexpr std::uint64_t kMaxFileSize = 0xFFFFFFFFull - 64;

    // "The file NAME is too large PURPOSE: the limit is ... bytes (4 GiB less 65 bytes)."
    static std::string TooLarge(const std::string& name, const std::string& purpose);
};
