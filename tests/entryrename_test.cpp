#include <cerrno>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "browser/core/entryrename.h"
#include "platform/shell/core/shellitem.h"
#include "tempdir.h"

namespace fs = std::filesystem;

namespace {

TEST(EntryRename, EachRefusedNameSaysWhy) {
    EXPECT_EQ(CEntryRename::Refusal(""), "A name cannot be empty.");
    EXPECT_EQ(CEntryRename::Refusal("a/b"), "A name cannot contain \"/\".");
    EXPECT_EQ(CEntryRename::Refusal(std::string("a\0b", 3)), "A name cannot contain \"/\".");
    EXPECT_EQ(CEntryRename::Refusal("."), "\".\" cannot be a name.");
    EXPECT_EQ(CEntryRename::Refusal(".."), "\"..\" cannot be a name.");
    const std::string longest(DCShellItem::kMaxIdentifierData, 'x');
    EXPECT_EQ(CEntryRename::Refusal(longest + "x"), "The name is too long.");
    for (const std::string& name :
         {std::string("..."), std::string(".a"), std::string("caf\xE9\xFF"), longest})
        EXPECT_EQ(CEntryRename::Refusal(name), "") << name.size();
}

TEST(EntryRename, TheEntryGetsItsNewNameInItsFolder) {
    CTempDir dir;
    CTempDir::Write(dir / "a", "data");
    EXPECT_EQ(CEntryRename::Rename(dir / "a", "b\xFF"), 0);
    EXPECT_FALSE(fs::exists(dir / "a"));
    EXPECT_EQ(CTempDir::Read(dir / "b\xFF"), "data");
    EXPECT_EQ(CEntryRename::Rename(dir / "gone", "c"), ENOENT);
}

// A file, a dangling link and a second name of the same file all keep their names, and the renamed
// entry stays where it was.
TEST(EntryRename, NoEntryThatHasTheNameIsEverReplaced) {
    CTempDir dir;
    CTempDir::Write(dir / "a", "first");
    CTempDir::Write(dir / "file", "second");
    fs::create_symlink(dir / "missing", dir / "dangling");
    fs::create_hard_link(dir / "a", dir / "same");
    for (const char* taken : {"file", "dangling", "same"})
        EXPECT_EQ(CEntryRename::Rename(dir / "a", taken), EEXIST) << taken;
    EXPECT_EQ(CTempDir::Read(dir / "a"), "first");
    EXPECT_EQ(CTempDir::Read(dir / "file"), "second");
    EXPECT_EQ(fs::read_symlink(dir / "dangling"), dir / "missing");
    EXPECT_EQ(CTempDir::Read(dir / "same"), "first");
    EXPECT_EQ(dir.FileCount(), 4) << "nothing is left under a name of its own making";
}

} // namespace
