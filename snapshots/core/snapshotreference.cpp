#include "snapshotreference.h"

#include <algorithm>
#include <charconv>

std::optional<int> CSnapshotReference::Parse(std::string_view text) {
    if (text.size() < 2 || text[0] != '*') {
        return std::nullopt;
    }
    const std::string_view digits = text.substr(1);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        (digits.size() > 1 && digits[0] == '0')) {
        return std::nullopt;
    }
    int number = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (ec != std::errc() || end != digits.data() + digits.size()) {
        return -1;
    }
    return number - 1;
}

std::string CSnapshotReference::Format(int position) {
    std::string text = "*";
    text += std::to_string(position + 1);
    return text;
}
