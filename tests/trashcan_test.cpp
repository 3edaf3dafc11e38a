#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "browser/core/trashcan.h"
#include "tempdir.h"

namespace fs = std::filesystem;

namespace {

TEST(TrashCan, PathsKeepEveryByteAsAnEscape) {
    EXPECT_EQ(CTrashCan::EncodePath("/home/a b/caf\xe9.txt"), "/home/a%20b/caf%E9.txt");
}

TEST(TrashCan, SecondItemOfTheSameNameGetsItsOwnPlaceAndNothingIsReplaced) {
    CTempDir dir;
    const std::string name = "x\xff";
    std::string error;
    CTempDir::Write(dir / name, "first");
    ASSERT_TRUE(CTrashCan::Move(dir / name, dir / "Trash", 0, error)) << error;
    CTempDir::Write(dir / name, "second");
    ASSERT_TRUE(CTrashCan::Move(dir / name, dir / "Trash", 0, error)) << error;
    EXPECT_FALSE(fs::exists(dir / name));
    EXPECT_EQ(CTempDir::Read(dir / ("Trash/files/" + name)), "first");
    EXPECT_EQ(CTempDir::Read(dir / ("Trash/files/" + name + ".2")), "second");
    const std::string info = CTempDir::Read(dir / ("Trash/info/" + name + ".2.trashinfo"));
    EXPECT_NE(info.find("Path=" + CTrashCan::EncodePath(dir / name) + "\n"), std::string::npos) << info;
    EXPECT_FALSE(CTrashCan::Move(dir / "missing", dir / "Trash", 0, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(dir / "Trash/info/missing.trashinfo")) << "a failed move leaves no information";
}

} // namespace
