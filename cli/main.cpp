#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "comparecommand.h"
#include "signalcleanup.h"
#include "snapshotcommand.h"
#include "standardoutput.h"
#include "stderrmessages.h"

namespace {

const char* const kUsage = "Usage: dyadmon-cli COMMAND [ARGUMENT]...\n"
                           "Compare files byte by byte, for scripts and terminals.\n"
                           "\n"
                           "Commands:\n"
                           "  compare FILE1 FILE2    compare two files (see 'dyadmon-cli compare --help')\n"
                           "  snapshot list|add|remove|describe\n"
                           "                         keep copies of files to compare with later\n"
                           "                         (see 'dyadmon-cli snapshot --help')\n"
                           "\n"
                           "  --help                 show this help\n"
                           "  --version              show the version\n";

} // namespace

int main(int argc, char** argv) {
    // Dates in snapshot records follow the user's locale.
    std::setlocale(LC_ALL, "");
    CSignalCleanup::Install();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return CStandardOutput::Flush() ? 0 : 2;
    }
    if (command == "--version") {
        std::cout << "dyadmon-cli " DYAD_VERSION "\n";
        return CStandardOutput::Flush() ? 0 : 2;
    }
    if (command == "compare") {
        return CCompareCommand::Main(args);
    }
    if (command == "snapshot") {
        return CSnapshotCommand::Main(args);
    }
    CStderrMessages::Print("unknown command '" + command + "' (see 'dyadmon-cli --help')");
    return 2;
}
