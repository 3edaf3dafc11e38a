#include "filesizelimit.h"

std::string CFileSizeLimit::TooLarge(const std::string& name, const std::string& purpose,
                                     std::uint64_t limit) {
    const std::string less = limit == kMaxSnapshotSize ? "4 GiB" : "8 EiB";
    return "The file " + name + " is too large " + purpose + ": the limit is " + std::to_string(limit) +
           " bytes (" + less + " less 65 bytes).";
}
