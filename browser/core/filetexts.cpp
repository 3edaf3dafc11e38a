#include "filetexts.h"

std::string CFileTexts::Size(std::uint64_t bytes) {
    if (bytes < 1024) {
        return std::to_string(bytes);
    }
    if (bytes < 1024 * 1024) {
        return std::to_string(bytes / 1024) + " KB";
    }
    return std::to_string(bytes / (1024 * 1024)) + " MB";
}

std::string CFileTexts::Time(std::time_t when) {
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr) {
        return {};
    }
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, "%m/%d/%y %I:%M %p", &local);
    return std::string(text, length);
}
