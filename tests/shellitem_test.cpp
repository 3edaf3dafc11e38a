#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "platform/shell/core/naturalsortkey.h"
#include "platform/shell/core/shellitem.h"
#include "readonlyfolder.h"
#include "tempdir.h"

namespace fs = std::filesystem;

namespace {

// A list from (kind, data) identifiers, in the layout the item keeps.
std::vector<std::uint8_t> List(const std::vector<std::pair<char, std::string>>& identifiers) {
    std::vector<std::uint8_t> list;
    for (const auto& [kind, data] : identifiers) {
        const std::size_t count = 3 + data.size();
        list.push_back(static_cast<std::uint8_t>(count & 0xFF));
        list.push_back(static_cast<std::uint8_t>(count >> 8));
        list.push_back(static_cast<std::uint8_t>(kind));
        list.insert(list.end(), data.begin(), data.end());
    }
    list.push_back(0);
    list.push_back(0);
    return list;
}

// One identifier's bytes, without the list's terminator.
std::string Identifier(char kind, const std::string& data) {
    const std::vector<std::uint8_t> list = List({{kind, data}});
    return std::string(list.begin(), list.end() - 2);
}

std::vector<std::string> ChildNames(DCShellItem& folder) {
    std::vector<std::string> names;
    for (auto child = folder.FirstChild().item; child; child = folder.NextChild())
        names.push_back(child->GetDisplayName());
    return names;
}

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = getenv(name))
            m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// A home folder and a config folder of the test's own, so that Home and the desktop folder are known.
class ShellItemTest : public ::testing::Test {
protected:
    ShellItemTest()
        : home(dir / "home"), homeEnv("HOME", home), configEnv("XDG_CONFIG_HOME", dir / "config") {
        fs::create_directories(home);
        fs::create_directories(dir / "config");
    }
    CTempDir dir;
    std::string home;
    ScopedEnv homeEnv;
    ScopedEnv configEnv;
};

const DCShellItem kComputer{DCShellItem::kComputerName};

} // namespace

TEST(ShellItem, DesktopIsTheEmptyList) {
    DCShellItem desktop;
    EXPECT_EQ(desktop.GetCount(), 0);
    EXPECT_EQ(desktop.GetSize(), 2u);
    EXPECT_EQ(desktop.GetIDList()[0] | desktop.GetIDList()[1], 0);
    EXPECT_FALSE(desktop.LastID());
    EXPECT_FALSE(desktop.RemoveLast());
    EXPECT_EQ(desktop.GetDisplayName(), "Desktop");
    EXPECT_EQ(DCShellItem(desktop.GetDisplayName(DCShellItem::ForParsing)), desktop);
    EXPECT_EQ(desktop.GetPath(), "");
}

TEST(ShellItem, ShellNamesParseToComputerAndNetwork) {
    const DCShellItem network(DCShellItem::kNetworkName);
    EXPECT_EQ(kComputer.GetCount(), 1);
    EXPECT_TRUE(kComputer.IsComputer());
    EXPECT_FALSE(kComputer.IsNetwork());
    EXPECT_TRUE(network.IsNetwork());
    EXPECT_FALSE(kComputer == network);
    EXPECT_EQ(kComputer.GetDisplayName(), "Computer");
    EXPECT_EQ(network.GetDisplayName(), "Network");
    EXPECT_EQ(kComputer.GetDisplayName(DCShellItem::ForParsing), DCShellItem::kComputerName);
    EXPECT_EQ(network.GetDisplayName(DCShellItem::ForParsing), DCShellItem::kNetworkName);
    EXPECT_TRUE(DCShellItem("::{20d04fe0-3aea-1069-a2d8-08002b30309d}").IsComputer());
    EXPECT_EQ(kComputer.Attributes(), DCShellItem::AttrFolder);
    EXPECT_FALSE(kComputer.CanRename());
}

TEST(ShellItem, UnparsableNamesGiveTheDesktop) {
    for (const char* name : {"", "relative/path", "~", "/no/such/dyadmon/path", "::{00000000-0000}"})
        EXPECT_TRUE(DCShellItem(name).IsDesktop()) << name;
}

TEST(ShellItem, RootParsesToTheRootVolumeUnderComputer) {
    DCShellItem root("/");
    EXPECT_EQ(root.GetCount(), 2);
    EXPECT_EQ(root.GetDisplayName(DCShellItem::ForParsing), "/");
    EXPECT_EQ(root.GetPath(), "/");
    EXPECT_TRUE(root.Attributes() & DCShellItem::AttrFileSystem);
    EXPECT_TRUE(root.Attributes() & DCShellItem::AttrFolder);
    EXPECT_FALSE(root.CanDelete());
    ASSERT_TRUE(root.RemoveLast());
    EXPECT_TRUE(root == kComputer);
}

TEST(ShellItem, ComputerListsTheRootVolumeFirst) {
    DCShellItem computer(DCShellItem::kComputerName);
    const auto first = computer.FirstChild();
    ASSERT_TRUE(first);
    EXPECT_EQ(*first.item, DCShellItem("/"));
}

TEST(ShellItem, ListOperationsKeepTheLayout) {
    DCShellItem volume(List({{'C', ""}, {'V', "/mnt/a"}}));
    const DCShellItem other(List({{'C', ""}, {'V', "/mnt/b"}}));
    EXPECT_EQ(volume.GetSize(), 3u + 9u + 2u);
    EXPECT_EQ(volume.GetIDList()[3], 9); // the count holds its own two bytes
    EXPECT_EQ(volume.CommonPrefixCount(other), 1);
    EXPECT_EQ(volume.CommonPrefixCount(volume), 2);

    const auto last = volume.LastID();
    ASSERT_TRUE(last);
    EXPECT_EQ(last->GetCount(), 1);
    EXPECT_EQ(last->GetSize(), 11u);
    const auto copy = volume.Clone();
    volume.Append(DCShellItem());
    EXPECT_EQ(volume, *copy);
    EXPECT_EQ(volume.GetSize(), copy->GetSize());
    volume.RemoveLast();
    volume.Append(*last);
    EXPECT_EQ(volume, *copy);
    EXPECT_EQ(volume.GetDisplayName(DCShellItem::ForParsing), "/mnt/a");
}

TEST(ShellItem, AttachedListIsCutBeforeABadIdentifier) {
    std::vector<std::uint8_t> list = List({{'C', ""}, {'V', "/"}});
    list[3] = 200; // the second identifier claims more bytes than there are
    const DCShellItem item(std::move(list));
    EXPECT_EQ(item.GetCount(), 1);
    EXPECT_TRUE(item.IsComputer());
    EXPECT_EQ(item.GetSize(), 5u);
}

TEST(ShellItem, AChildIsMadeAgainFromItsFolderAndItsLastIdentifier) {
    const DCShellItem volume(List({{'C', ""}, {'V', "/mnt/a"}}));
    const DCShellItem file(List({{'C', ""}, {'V', "/mnt/a"}, {'F', "name"}}));
    EXPECT_EQ(file.LastIdentifier(), Identifier('F', "name"));
    EXPECT_EQ(*volume.ChildItem(file.LastIdentifier()), file);
    EXPECT_EQ(DCShellItem().LastIdentifier(), "");
    EXPECT_EQ(*volume.ChildItem(std::string("\x02\x00", 2)), volume) << "a count below the header";
}

TEST(ShellItem, ARenamedIdentifierKeepsItsKindAndCountsItsNewName) {
    const DCShellItem volume(List({{'C', ""}, {'V', "/"}}));
    const std::string name(300, 'n'); // 303 bytes with the header: both bytes of the count are used
    const std::string renamed = DCShellItem::Renamed(Identifier('F', "a"), name);
    EXPECT_EQ(renamed.substr(0, 3), std::string("\x2F\x01") + 'F');
    EXPECT_EQ(renamed.substr(3), name);
    EXPECT_EQ(volume.ChildItem(renamed)->GetPath(), "/" + name);

    const std::string longest(DCShellItem::kMaxIdentifierData, 'x');
    EXPECT_EQ(DCShellItem::Renamed(renamed, longest).substr(0, 2), "\xFF\xFF");
    EXPECT_EQ(DCShellItem::Renamed(renamed, longest + "x"), "") << "past what a count can hold";
    EXPECT_EQ(DCShellItem::Renamed("", "x"), "") << "no kind to keep";
}

TEST(ShellItem, ListsThatNameNothingHaveNoNames) {
    for (const auto& list : {List({{'V', "/"}}), List({{'C', ""}, {'F', "x"}}),
                             List({{'H', ""}, {'F', ".."}}), List({{'H', ""}, {'F', "a/b"}})}) {
        DCShellItem item{std::vector<std::uint8_t>(list)};
        EXPECT_EQ(item.GetDisplayName(), "");
        EXPECT_EQ(item.GetPath(), "");
        EXPECT_TRUE(item.FirstChild().failed);
    }
}

TEST_F(ShellItemTest, FileThreeLevelsDownIsNamedByItsPath) {
    fs::create_directories(dir / "one/two");
    const std::string path = dir / "one/two/three.bin";
    CTempDir::Write(path, "x");
    DCShellItem file(path);
    EXPECT_EQ(file.GetDisplayName(DCShellItem::ForParsing), path);
    EXPECT_EQ(file.GetDisplayName(), "three.bin");
    EXPECT_EQ(file.GetPath(), path);
    EXPECT_EQ(file.CommonPrefixCount(kComputer), 1);
    EXPECT_EQ(file.Attributes(), DCShellItem::AttrFileSystem);
    EXPECT_TRUE(file.CanRename());
    EXPECT_TRUE(file.FirstChild().failed);

    DCShellItem folder(dir / "one/two");
    EXPECT_EQ(folder.GetCount(), file.GetCount() - 1);
    EXPECT_EQ(file.CommonPrefixCount(folder), folder.GetCount());
    EXPECT_EQ(folder.Attributes(DCShellItem::AttrFolder | DCShellItem::AttrLink), DCShellItem::AttrFolder);
    EXPECT_EQ(ChildNames(folder), std::vector<std::string>{"three.bin"});
    EXPECT_EQ(DCShellItem(dir / "one/./two//three.bin"), file);
    EXPECT_EQ(DCShellItem(dir / "one/two/../two/three.bin"), file);

    // Up from the file, the lists end at a volume whose mount point holds the path.
    while (file.GetCount() > 2)
        file.RemoveLast();
    const std::string mountPoint = file.GetDisplayName(DCShellItem::ForParsing);
    EXPECT_TRUE(mountPoint == "/" || path.starts_with(mountPoint + "/")) << mountPoint;
}

TEST_F(ShellItemTest, DesktopListsHomeComputerNetworkThenTheDesktopFolder) {
    fs::create_directories(home + "/Desktop/notes");
    CTempDir::Write(home + "/Desktop/todo.txt", "");
    DCShellItem desktop;
    EXPECT_EQ(ChildNames(desktop),
              (std::vector<std::string>{"Home", "Computer", "Network", "notes", "todo.txt"}));

    const auto homeItem = desktop.FirstChild().item;
    EXPECT_EQ(homeItem->GetDisplayName(DCShellItem::ForParsing), home);
    EXPECT_EQ(homeItem->GetPath(), home);
    EXPECT_EQ(homeItem->Attributes(DCShellItem::AttrFolder | DCShellItem::AttrFileSystem),
              DCShellItem::AttrFolder | DCShellItem::AttrFileSystem);
    EXPECT_FALSE(homeItem->CanRename());
    EXPECT_TRUE(desktop.NextChild()->IsComputer());
    EXPECT_TRUE(desktop.NextChild()->IsNetwork());
    const auto notes = desktop.NextChild();
    EXPECT_EQ(notes->GetPath(), home + "/Desktop/notes");
    EXPECT_TRUE(notes->CanDelete());
    // Its path parses to the same folder, reached through Computer.
    EXPECT_EQ(DCShellItem(notes->GetPath()).GetPath(), notes->GetPath());
}

TEST_F(ShellItemTest, DesktopFolderComesFromUserDirs) {
    fs::create_directories(home + "/Desktop/ignored");
    fs::create_directories(home + "/Bureau/chosen");
    CTempDir::Write(dir / "config/user-dirs.dirs", "# comment\nXDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
    DCShellItem desktop;
    EXPECT_EQ(ChildNames(desktop), (std::vector<std::string>{"Home", "Computer", "Network", "chosen"}));

    // The home folder as desktop folder, by its name or through a link, means none.
    fs::create_directory_symlink(home, home + "/Back");
    for (const char* value : {"$HOME/", "$HOME/Back"}) {
        CTempDir::Write(dir / "config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"" + std::string(value) + "\"\n");
        EXPECT_EQ(ChildNames(desktop), (std::vector<std::string>{"Home", "Computer", "Network"})) << value;
    }
}

TEST_F(ShellItemTest, FolderListsFoldersFirstInNaturalOrder) {
    const std::string folder = dir / "list";
    for (const char* name : {"zdir", "dir3", "dir12"})
        fs::create_directories(folder + "/" + name);
    for (const char* name : {"b10", "b2", "a", ".hidden"})
        CTempDir::Write(folder + "/" + name, "");
    fs::create_directory_symlink(folder + "/zdir", folder + "/link");
    ASSERT_EQ(mkfifo((folder + "/pipe").c_str(), 0600), 0);
    const std::string odd = "caf\xE9\xFF";
    CTempDir::Write(folder + "/" + odd, "");

    DCShellItem item(folder);
    EXPECT_EQ(ChildNames(item),
              (std::vector<std::string>{"dir3", "dir12", "link", "zdir", "a", "b2", "b10", odd, "pipe"}));

    auto child = item.FirstChild().item;
    while (child && child->GetDisplayName() != "link")
        child = item.NextChild();
    ASSERT_TRUE(child);
    EXPECT_EQ(child->Attributes(DCShellItem::AttrLink | DCShellItem::AttrFolder),
              DCShellItem::AttrLink | DCShellItem::AttrFolder);
    EXPECT_EQ(DCShellItem(folder + "/.hidden").Attributes(DCShellItem::AttrHidden), DCShellItem::AttrHidden);
}

TEST_F(ShellItemTest, NonUtf8NameRoundTrips) {
    const std::string odd = "\xFF\xFE name?\x80";
    fs::create_directory(dir / "odd");
    CTempDir::Write(dir / ("odd/" + odd), "");
    DCShellItem folder(dir / "odd");
    const auto child = folder.FirstChild().item;
    ASSERT_TRUE(child);
    EXPECT_EQ(child->GetDisplayName(), odd);
    EXPECT_EQ(child->GetPath(), dir / ("odd/" + odd));
    EXPECT_EQ(DCShellItem(child->GetDisplayName(DCShellItem::ForParsing)), *child);
}

TEST_F(ShellItemTest, EmptyFolderHasNoChildrenAndAMissingOneFails) {
    fs::create_directories(dir / "empty");
    DCShellItem empty(dir / "empty");
    const DCShellItem::Child none = empty.FirstChild();
    EXPECT_FALSE(none);
    EXPECT_FALSE(none.failed);
    fs::remove(dir / "empty");
    EXPECT_TRUE(empty.FirstChild().failed);
}

TEST_F(ShellItemTest, ReadOnlyFolderRefusesRenames) {
    fs::create_directories(dir / "locked");
    CTempDir::Write(dir / "locked/file", "");
    const CReadOnlyFolder locked(dir / "locked");
    if (!locked.Made())
        GTEST_SKIP() << "no folder can be made read-only here";
    const DCShellItem file(dir / "locked/file");
    EXPECT_FALSE(file.CanRename());
    EXPECT_FALSE(file.CanDelete());
    EXPECT_EQ(file.WhyNotRenamable(),
              "the folder " + dir / "locked" + " cannot be changed (" + std::strerror(locked.Error()) + ")");
    EXPECT_TRUE(DCShellItem(dir / "locked").Attributes() & DCShellItem::AttrReadOnly);
}

TEST(ShellSortKey, NumbersCompareByValue) {
    CNaturalSortKey key;
    EXPECT_LT(key.Key("file2"), key.Key("file10"));
    EXPECT_LT(key.Key("file"), key.Key("file1"));
    EXPECT_LT(key.Key("file9"), key.Key("file9a"));
    EXPECT_LT(key.Key("7z"), key.Key("a"));
    EXPECT_LT(key.Key("x99999999999999999999"), key.Key("x100000000000000000000"));
    EXPECT_NE(key.Key("x01"), key.Key("x1"));
    EXPECT_NE(key.Key(std::string("a\0b", 3)), key.Key(std::string("a\1b", 3)));
}
