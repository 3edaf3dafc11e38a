#include "storefolder.h"

#include <filesystem>

#include "platform/settingsprofile.h"
#include "snapshots/core/snapshotstore.h"

namespace fs = std::filesystem;

std::string CStoreFolder::ProgramFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : self.parent_path().string();
}

std::string CStoreFolder::Find(const std::string& storeOption, std::string& error) {
    if (!storeOption.empty()) {
        std::error_code ec;
        fs::create_directories(storeOption, ec);
        if (!fs::is_directory(storeOption, ec)) {
            error = "Can't make the snapshot folder " + storeOption;
            return {};
        }
        return storeOption;
    }
    CSettingsProfile profile;
    // Read as empty, the profile would send the snapshots to another folder than the one it names.
    if (const std::string why = profile.WhyUnreadable(); !why.empty()) {
        error = "The profile " + profile.FileName() + " cannot be read: " + why;
        return {};
    }
    const std::string folder = CSnapshotStore::ChooseWorkingFolder(profile, ProgramFolder(),
                                                                   CSnapshotStore::DefaultUserDataFolder());
    if (folder.empty()) {
        error = "No snapshot folder can be made beside the program or in the user's data folder";
    }
    return folder;
}
