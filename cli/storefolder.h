#pragma once

#include <string>

// Where dyadmon-cli finds the snapshot store: the folder given with --store, made if need be, or else
// the working folder that the program itself would use, from the per-user profile.
class CStoreFolder {
public:
    // Empty, with `error`, when no folder can be had.
    static std::string Find(const std::string& storeOption, std::string& error);
    // The folder of the running executable.
    static std::string ProgramFolder();
};
