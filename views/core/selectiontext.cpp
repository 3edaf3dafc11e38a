#include "selectiontext.h"

#include <cinttypes>
#include <cstdio>

#include "compare/core/logwriter.h"

std::string CSelectionText::Hex(const std::uint8_t* bytes, std::uint64_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count == 0 ? 0 : 3 * count - 1);
    for (std::uint64_t i = 0; i < count; ++i) {
        if (i != 0) {
            text += ' ';
        }
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

std::string CSelectionText::Characters(const std::uint8_t* bytes, std::uint64_t count) {
    std::string text(count, '.');
    for (std::uint64_t i = 0; i < count; ++i) {
        if (!CLogWriter::ShowsAsDot(bytes[i])) {
            text[i] = static_cast<char>(bytes[i]);
        }
    }
    return text;
}

std::string CSelectionText::Status(int files, int side, std::uint64_t start, std::uint64_t length) {
    char text[96];
    const std::uint64_t last = length == 0 ? start : start + length - 1;
    std::snprintf(text, sizeof text, "0x%08" PRIX64 "-0x%08" PRIX64 ", %" PRIu64 " byte%s", start, last,
                  length, length == 1 ? "" : "s");
    return files == 2 ? "File " + std::to_string(side + 1) + ": " + text : std::string(text);
}

std::string CSelectionText::TooLarge(std::uint64_t length) {
    return "The selection holds " + std::to_string(length) + " bytes; at most 16 MiB (" +
           std::to_string(kMaxCopy) + " bytes) can be copied at once.";
}
