#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "res/resourcetables.h"
#include "tempdir.h"

namespace {

using namespace ResourceTables;

constexpr int kMenuIds[] = {Res::kMainFrame, Res::kViewType, Res::kCompType};

bool IsCommand(int id) {
    return id != 0 && id != kWindowList;
}

std::set<int> MenuCommands(int menuId) {
    std::set<int> ids;
    for (const Menu& menu : MenuBar(menuId)) {
        for (const MenuItem& item : menu.items) {
            ids.insert(item.id);
        }
    }
    return ids;
}

TEST(CommandStrings, EachIdHasOneEntryAndEveryCommandInUseHasBothTexts) {
    for (const CommandString& s : CommandStrings()) {
        EXPECT_EQ(FindCommandString(s.id), &s) << "listed twice: " << s.id;
    }
    EXPECT_EQ(FindCommandString(0), nullptr);
    EXPECT_EQ(FindCommandString(kWindowList), nullptr);

    std::set<int> used;
    for (int menuId : kMenuIds) {
        used.merge(MenuCommands(menuId));
    }
    for (int toolbarId : {Res::kMainFrame, Res::kCompareBar}) {
        used.insert(Toolbar(toolbarId).begin(), Toolbar(toolbarId).end());
    }
    for (const Accelerator& a : Accelerators()) {
        used.insert(a.command);
    }
    for (int id : used) {
        if (!IsCommand(id)) {
            continue;
        }
        const CommandString* s = FindCommandString(id);
        ASSERT_NE(s, nullptr) << id;
        EXPECT_FALSE(s->prompt.empty()) << id;
        EXPECT_FALSE(s->tooltip.empty()) << id;
        // The string table's line break splits prompt from tooltip; one left in means a bad split.
        EXPECT_EQ(s->prompt.find('\n'), std::string_view::npos) << id;
    }
}

// Menu items take their images from the toolbar, so a button missing from the menus has no home there.
TEST(Toolbars, EveryStandardButtonIsOnTheCompareMenus) {
    const std::set<int> onMenu = MenuCommands(Res::kCompType);
    for (int id : Toolbar(Res::kMainFrame)) {
        EXPECT_TRUE(id == 0 || onMenu.count(id)) << id;
    }
}

TEST(Accelerators, KeysAreUnique) {
    std::set<std::string_view> keys;
    for (const Accelerator& a : Accelerators()) {
        EXPECT_TRUE(keys.insert(a.keys).second) << a.keys;
        EXPECT_EQ(a.keys.find(' '), std::string_view::npos) << "not a portable key text: " << a.keys;
    }
}

// The build embeds what icons.qrc lists, so an icon on disk but not listed is as missing as no file.
TEST(Icons, EveryToolbarButtonAndIconIdHasAListedSvgDrawnWithoutText) {
    const std::filesystem::path res = DYAD_RES_DIR;
    const std::string qrc = CTempDir::Read(res / "icons.qrc");
    std::set<int> ids = {Res::kMainFrame, Res::kCompareIcon, Res::kUpIcon};
    for (int toolbarId : {Res::kMainFrame, Res::kCompareBar, Res::kMenuImages, Res::kSnapshotImages}) {
        for (int id : Toolbar(toolbarId)) {
            if (IsCommand(id)) {
                ids.insert(id);
            }
        }
    }
    for (int id : ids) {
        const std::string name = std::to_string(id) + ".svg";
        SCOPED_TRACE(name);
        EXPECT_NE(qrc.find("<file alias=\"" + name + "\">icons/" + name + "</file>"), std::string::npos);
        const std::string svg = CTempDir::Read(res / "icons" / name);
        EXPECT_NE(svg.find("viewBox="), std::string::npos);
        EXPECT_EQ(svg.find("<text"), std::string::npos) << "would depend on the fonts installed";
    }

    int listed = 0;
    for (std::size_t at = qrc.find("<file"); at != std::string::npos; at = qrc.find("<file", at + 1)) {
        const std::size_t start = qrc.find('>', at) + 1;
        const std::string file = qrc.substr(start, qrc.find("</file>", start) - start);
        EXPECT_TRUE(std::filesystem::is_regular_file(res / file)) << file;
        ++listed;
    }
    const auto icons = std::filesystem::directory_iterator(res / "icons");
    EXPECT_EQ(listed, std::count_if(begin(icons), end(icons),
                                    [](const auto& e) { return e.path().extension() == ".svg"; }))
        << "every icon file is listed once";
}

} // namespace
