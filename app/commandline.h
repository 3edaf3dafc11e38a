#pragma once

#include <string>
#include <vector>

// The desktop program's command line: no file opens the window alone, one file a viewer on it, two
// files (or snapshots as "*N") their comparison. --help and --version answer without a window.
class CCommandLine {
public:
    enum class Action { Run, Help, Version, Trouble };

    static constexpr const char* kUsage =
        "Usage: dyadmon [OPTION]... [FILE1 [FILE2]]\n"
        "Compare two files byte by byte, or show one file as a hex dump, in a window.\n"
        "A file given as *N is snapshot N of the snapshot store.\n"
        "\n"
        "  --help                   show this help\n"
        "  --version                show the version\n";

    // The action, the files to open for Run, and the message for Trouble.
    static Action Parse(const std::vector<std::string>& args, std::vector<std::string>& files,
                        std::string& error);
};
