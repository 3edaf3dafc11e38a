#pragma once

#include <optional>
#include <string>
#include <string_view>

// A snapshot reference names a record of the store by its 1-based position: "*" and a decimal number
// without leading zeros, nothing else. Any other text, "*1.bin" or "*01" included, is a file name.
class CSnapshotReference {
public:
    // The 0-based position a reference names (which may lie outside the store), or nothing for a
    // text that is not a reference. A number too large to hold names no record: -1.
    static std::optional<int> Parse(std::string_view text);
    static bool IsReference(std::string_view text) { return Parse(text).has_value(); }
    static std::string Format(int position);
};
