#include "lockkeys.h"

#include <filesystem>
#include <fstream>

CLockKeys::State CLockKeys::Read(const std::string& ledsFolder) {
    State state;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(ledsFolder, ec)) {
        const std::string name = entry.path().filename().string();
        const std::size_t colons = name.rfind("::");
        if (colons == std::string::npos) {
            continue;
        }
        const std::string function = name.substr(colons + 2);
        bool* lock = function == "capslock"     ? &state.caps
                     : function == "numlock"    ? &state.num
                     : function == "scrolllock" ? &state.scroll
                                                : nullptr;
        int brightness = 0;
        if (lock != nullptr && std::ifstream(entry.path() / "brightness") >> brightness && brightness > 0) {
            *lock = true;
        }
    }
    return state;
}
