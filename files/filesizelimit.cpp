#include "filesizelimit.h"

std::string CFileSizeLimit::TooLarge(const std::string& name, const std::string& purpose) {
    return "The file " + name + " is too large " + purpose + ": the limit is " +
           std::to_string(kMaxFileSize) + " bytes (4 GiB less 65 bytes).";
}
