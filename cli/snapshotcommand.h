#pragma once

#include <chrono>
#include <string>
#include <vector>

// `dyadmon-cli snapshot list|add|remove|describe`: the snapshot store for scripts. Commands that
// change the store save its catalogue when they are done, and refuse while the program's window holds
// it; held by another command, they wait for it up to kLockWait.
class CSnapshotCommand {
public:
    static constexpr int kOk = 0;
    static constexpr int kTrouble = 2;
    static constexpr int kDamaged = 3;
    static constexpr std::chrono::seconds kLockWait{10};

    static int Main(const std::vector<std::string>& args);
    static const char* Usage();
    // A text for one tab-separated field: tab, line feed and backslash as \t, \n and \\.
    static std::string Escape(const std::string& text);
};
