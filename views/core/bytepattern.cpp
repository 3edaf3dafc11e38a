#include "bytepattern.h"

#include <algorithm>

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The length of the UTF-8 sequence that starts with `lead`, 0 for a byte no sequence starts with.
std::size_t SequenceLength(std::uint8_t lead) {
    return lead < 0x80             ? 1
           : (lead & 0xE0) == 0xC0 ? 2
           : (lead & 0xF0) == 0xE0 ? 3
           : (lead & 0xF8) == 0xF0 ? 4
                                   : 0;
}

std::string Quoted(std::string_view text) {
    std::string quoted(1, '"');
    quoted.append(text);
    quoted.push_back('"');
    return quoted;
}

std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view text, std::string& error) {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    std::size_t digits = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t') {
            continue;
        }
        const int value = HexValue(c);
        if (value < 0) {
            // The whole character, so that one typed beyond ASCII is named as it was typed.
            const std::size_t length = std::max<std::size_t>(SequenceLength(static_cast<std::uint8_t>(c)), 1);
            error = Quoted(text.substr(i, length)).append(" is not a hex digit.");
            return std::nullopt;
        }
        ++digits;
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high << 4 | value));
            high = -1;
        }
    }
    if (high >= 0) {
        error = Quoted(text).append(" has an odd number of hex digits (" + std::to_string(digits) +
                                    "): each byte takes two.");
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::vector<std::uint8_t>> ParseUtf16le(std::string_view text, std::string& error) {
    std::vector<std::uint8_t> bytes;
    const auto put = [&bytes](std::uint32_t unit) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        const std::size_t length = SequenceLength(lead);
        bool valid = length != 0 && i + length <= text.size();
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!valid || code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
            error = "The text is not valid UTF-8 at byte " + std::to_string(i) + ".";
            return std::nullopt;
        }
        if (code < 0x10000) {
            put(code);
        } else {
            put(0xD800 + ((code - 0x10000) >> 10));
            put(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
        i += length;
    }
    return bytes;
}

} // namespace

std::optional<std::vector<std::uint8_t>> CBytePattern::Parse(std::string_view text, Form form,
                                                             std::string& error) {
    std::optional<std::vector<std::uint8_t>> bytes;
    switch (form) {
    case Form::Hex:
        bytes = ParseHex(text, error);
        break;
    case Form::TextUtf8:
        bytes.emplace(text.begin(), text.end());
        break;
    case Form::TextUtf16le:
        bytes = ParseUtf16le(text, error);
        break;
    }
    if (bytes && bytes->empty()) {
        error = "There is nothing to find: type the bytes or the text to look for.";
        return std::nullopt;
    }
    return bytes;
}
