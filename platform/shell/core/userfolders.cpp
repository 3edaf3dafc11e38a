#include "userfolders.h"

#include <fstream>
#include <pwd.h>
#include <stdlib.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string Environment(const char* name) {
    const char* value = getenv(name);
    return value ? value : "";
}

// The value of `key` in a user-dirs.dirs file: `KEY="$HOME/Name"` or `KEY="/absolute"`.
std::string UserDir(const std::string& file, std::string_view key, const std::string& home) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    std::string found;
    while (std::getline(in, line)) {
        std::string_view text = line;
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        if (!text.starts_with(key) || text.substr(key.size(), 1) != "=")
            continue;
        text.remove_prefix(key.size() + 1);
        if (text.size() < 2 || text.front() != '"' || text.find('"', 1) == std::string_view::npos)
            continue;
        text = text.substr(1, text.find('"', 1) - 1);
        if (text.starts_with("$HOME") && (text.size() == 5 || text[5] == '/'))
            found = home + std::string(text.substr(5));
        else if (text.starts_with("/"))
            found = std::string(text);
    }
    return found;
}

} // namespace

std::string CUserFolders::Home() {
    std::string home = Environment("HOME");
    if (home.empty()) {
        std::vector<char> buffer(16384);
        passwd entry;
        passwd* result = nullptr;
        if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result &&
            result->pw_dir)
            home = result->pw_dir;
    }
    return home.empty() ? "/" : WithoutTrailingSlashes(home);
}

std::string CUserFolders::Desktop() {
    const std::string home = Home();
    std::string config = Environment("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/')
        config = home + "/.config";
    std::string desktop = UserDir(config + "/user-dirs.dirs", "XDG_DESKTOP_DIR", home);
    if (desktop.empty())
        desktop = home + "/Desktop";
    desktop = WithoutTrailingSlashes(desktop);
    struct stat info, homeInfo;
    if (desktop == home || stat(desktop.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return {};
    // A desktop folder that is the home folder under another name would list home twice.
    if (stat(home.c_str(), &homeInfo) == 0 && homeInfo.st_dev == info.st_dev &&
        homeInfo.st_ino == info.st_ino)
        return {};
    return desktop;
}
