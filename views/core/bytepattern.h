#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the user asks to find, as the bytes to look for: hex digits ("DE AD BE EF", "deadbeef"), or
// text written as UTF-8 or as UTF-16LE code units.
class CBytePattern {
public:
    enum class Form { Hex, TextUtf8, TextUtf16le };

    // The bytes `text` (UTF-8) stands for in `form`; nothing for text that stands for none, with the
    // reason, naming what is wrong, in `error`.
    static std::optional<std::vector<std::uint8_t>> Parse(std::string_view text, Form form,
                                                          std::string& error);
};
