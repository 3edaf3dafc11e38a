#pragma once

#include <cstdint>
#include <string>

// What the hex views make of a selection: the texts copied to the clipboard and the status bar's
// account of it.
class CSelectionText {
public:
    // Larger selections are refused rather than copied cut short: the texts are three and one times
    // as large, and a clipboard of hundreds of megabytes helps nobody.
    static constexpr std::uint64_t kMaxCopy = 16 * 1024 * 1024;

    // "DE AD BE EF": upper case, one space between bytes.
    static std::string Hex(const std::uint8_t* bytes, std::uint64_t count);
    // The bytes as the characters column shows them, as Latin-1: control characters as ".".
    static std::string Characters(const std::uint8_t* bytes, std::uint64_t count);
    // "File 1: 0x00001F00-0x00001F0F, 16 bytes", first and last byte included; without the file's
    // name when the view shows one file (`files` 1).
    static std::string Status(int files, int side, std::uint64_t start, std::uint64_t length);
    // Why a selection of `length` bytes (> kMaxCopy) is not copied.
    static std::string TooLarge(std::uint64_t length);
};
