#include "localtimetext.h"

#include <array>
#include <langinfo.h>

std::string CLocalTimeText::TimeFormatWithoutSeconds(std::string format) {
    // Shorthands that include the seconds, spelled out without them.
    const std::array<std::pair<std::string, std::string>, 3> shorthands{
        {{"%r", "%I:%M %p"}, {"%T", "%H:%M"}, {"%X", "%H:%M"}}};
    for (const auto& [shorthand, spelled] : shorthands) {
        for (std::size_t at; (at = format.find(shorthand)) != std::string::npos;) {
            format.replace(at, shorthand.size(), spelled);
        }
    }
    // The seconds with the separator before them: ":%S", ".%S", or alone.
    for (const std::string seconds : {":%S", ".%S", "%S"}) {
        for (std::size_t at; (at = format.find(seconds)) != std::string::npos;) {
            format.erase(at, seconds.size());
        }
    }
    return format;
}

std::string CLocalTimeText::Format(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    const std::string format =
        std::string(nl_langinfo(D_FMT)) + "  " + TimeFormatWithoutSeconds(nl_langinfo(T_FMT));
    std::array<char, 256> text{};
    const std::size_t length = std::strftime(text.data(), text.size(), format.c_str(), &local);
    return std::string(text.data(), length);
}
