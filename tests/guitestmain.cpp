// The main of the widget tests: headless unless a display is asked for, with profile and data folders
// of their own, so no test touches the user's settings or blocks on a window.
#include <cstdlib>
#include <filesystem>
#include <stdlib.h>

#include <QApplication>
#include <gtest/gtest.h>

#include "files/mappingguard.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    char home[] = "/tmp/dyadguitestXXXXXX";
    const std::string folder = mkdtemp(home);
    setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (folder + "/cache").c_str(), 1);
    // As the programs do: a mapped file cut short reads as zeros instead of ending the process.
    CMappingGuard::Install();
    int status;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return status;
}
