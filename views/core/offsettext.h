#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// An offset as a user types it: hexadecimal as "0x1F00" or "1F00h", or decimal "7936"; spaces around
// it are allowed.
class COffsetText {
public:
    // Nothing for text that is no offset, or one past 64 bits.
    static std::optional<std::uint64_t> Parse(std::string_view text);
};
