#include "commandline.h"

CCommandLine::Action CCommandLine::Parse(const std::vector<std::string>& args,
                                         std::vector<std::string>& files, std::string& error) {
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            return Action::Help;
        } else if (arg == "--version") {
            return Action::Version;
        } else {
            error = "unknown option " + arg + " (see 'dyadmon --help')";
            return Action::Trouble;
        }
    }
    if (files.size() > 2) {
        error = "dyadmon opens one file or compares two, not " + std::to_string(files.size());
        return Action::Trouble;
    }
    return Action::Run;
}
