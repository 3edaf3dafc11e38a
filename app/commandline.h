#pragma once

#include <string>
#include <vector>

// The desktop program's command line: no file opens the window alone, one file a viewer on it, two
// files (or snapshots as "*N") their comparison. --help and --version answer without a window.
class CCommandLine {
public:
    enum class Action { Run, Help, Version, Trouble };
    struct Request {
        std::vector<std::string> files;
        std::string grab; // a picture of the window to save once the files are open, then exit
    };

    static constexpr const char* kUsage =
        "Usage: dyadmon [OPTION]... [FILE1 [FILE2]]\n"
        "Compare two files byte by byte, or show one file as a hex dump, in a window.\n"
        "A file given as *N is snapshot N of the snapshot store.\n"
        "\n"
        "  --grab PICTURE           save a picture of the window once the files are compared, and exit\n"
        "  --help                   show this help\n"
        "  --version                show the version\n";

    // The action, what to open for Run, and the message for Trouble.
    static Action Parse(const std::vector<std::string>& args, Request& request, std::string& error);
};
