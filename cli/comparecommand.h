#pragma once

#include <string>
#include <vector>

#include "files/filetarget.h"
#include "progressline.h"

class CFileBuffer;

// `dyadmon-cli compare`: compares two files and writes the log, the blocks as JSON or a summary line
// per difference. Exit status as
// cmp and diff have it: 0 identical, 1 different, 2 trouble.
class CCompareCommand {
public:
    static constexpr int kIdentical = 0;
    static constexpr int kDifferent = 1;
    static constexpr int kTrouble = 2;

    enum class Format { Log, Json, Summary };

    struct Options {
        int unit;
        int lookAhead;
        int bytesPerLine;
        bool ansi;
        Format format = Format::Log;
        bool help = false;
        CProgressLine::Mode progress = CProgressLine::Mode::Auto;
        std::string logPath;     // empty or "-": standard output
        std::string storeFolder; // for snapshot references; empty: the program's
        std::string file1;
        std::string file2;
    };

    // Defaults are those of a fresh settings object.
    static Options DefaultOptions();
    // False with a one-line message when an option, a value or the file count is wrong.
    static bool Parse(const std::vector<std::string>& args, Options& options, std::string& error);
    static int Run(const Options& options);
    static int Main(const std::vector<std::string>& args);
    static const char* Usage();

private:
    // One of the two files to compare: what was asked for, the name to show and the file to read.
    struct Input : CFileTarget {
        std::string target; // as given
    };

    static bool ResolveTargets(const Options& options, Input inputs[2]);
    static bool Load(CFileBuffer& buffer, const Input& input);
};
