#pragma once

#include <string>
#include <string_view>

// The two targets of a comparison travel to the compare document as one target string. They are
// joined with a NUL byte, the one byte no path can hold, so that any file name, "?" included, comes
// through whole; the targets themselves are bytes, as the system gave them.
class CCompareTargets {
public:
    std::string target1;
    std::string target2;

    std::string Join() const;
    // A string without a separator is target 1 alone.
    static CCompareTargets Split(std::string_view joined);
};
