#include "commandline.h"

CCommandLine::Action CCommandLine::Parse(const std::vector<std::string>& args, Request& request,
                                         std::string& error) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            request.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            return Action::Help;
        } else if (arg == "--version") {
            return Action::Version;
        } else if (arg == "--grab" && i + 1 < args.size() && !args[i + 1].empty()) {
            request.grab = args[++i];
        } else if (arg == "--grab") {
            error = "--grab needs a file for the picture";
            return Action::Trouble;
        } else {
            error = "unknown option " + arg + " (see 'dyadmon --help')";
            return Action::Trouble;
        }
    }
    if (request.files.size() > 2) {
        error = "dyadmon opens one file or compares two, not " + std::to_string(request.files.size());
        return Action::Trouble;
    }
    return Action::Run;
}
