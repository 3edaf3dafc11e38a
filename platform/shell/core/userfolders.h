#pragma once

#include <string>

// The user's own folders as the desktop conventions name them: the home folder and the XDG desktop
// folder, looked up afresh on every call so that a changed environment takes effect.
class CUserFolders {
public:
    // $HOME, or the password database's entry when it is unset; no trailing slash except for "/".
    static std::string Home();
    // XDG_DESKTOP_DIR of $XDG_CONFIG_HOME/user-dirs.dirs (~/.config when unset), else ~/Desktop. Empty
    // when it is not a folder or is the home folder itself, as the conventions use to mean "none".
    static std::string Desktop();
};
