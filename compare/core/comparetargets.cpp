#include "comparetargets.h"

std::string CCompareTargets::Join() const {
    std::string joined = target1;
    joined += '\0';
    joined += target2;
    return joined;
}

CCompareTargets CCompareTargets::Split(std::string_view joined) {
    const std::size_t separator = joined.find('\0');
    if (separator == std::string_view::npos) {
        return {std::string(joined), {}};
    }
    return {std::string(joined.substr(0, separator)), std::string(joined.substr(separator + 1))};
}
