#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "res/resourcetables.h"

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

std::vector<int> Ids(std::span<const MenuItem> items) {
    std::vector<int> ids;
    for (const MenuItem& item : items) {
        ids.push_back(item.id);
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

// Each later menu bar is the earlier one with items appended to "&View" and, from 127 on, a "&Window"
// menu before "&Help" that ends in the list of open windows.
TEST(MenuBars, DocumentMenusExtendTheEarlierOnes) {
    struct Step {
        int earlier;
        int later;
        std::vector<int> viewAdditions;
    };
    const Step steps[] = {
        {Res::kMainFrame, Res::kViewType, {0, Res::kViewAnsi, Res::kLessColumns, Res::kMoreColumns}},
        {Res::kViewType, Res::kCompType, {0, Res::kPreviousChange, Res::kNextChange}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::to_string(step.earlier) + " -> " + std::to_string(step.later));
        const std::span<const Menu> later = MenuBar(step.later);
        auto next = later.begin();
        for (const Menu& menu : MenuBar(step.earlier)) {
            next = std::find_if(next, later.end(), [&](const Menu& m) { return m.title == menu.title; });
            ASSERT_NE(next, later.end()) << menu.title << " missing or out of order";
            const std::vector<int> before = Ids(menu.items);
            const std::vector<int> after = Ids(next->items);
            ASSERT_GE(after.size(), before.size()) << menu.title;
            EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin())) << menu.title;
            for (std::size_t i = 0; i < before.size(); ++i) {
                EXPECT_EQ(menu.items[i].text, next->items[i].text);
            }
            const std::vector<int> added(after.begin() + before.size(), after.end());
            EXPECT_EQ(added, menu.title == "&View" ? step.viewAdditions : std::vector<int>{}) << menu.title;
        }
        ASSERT_GE(later.size(), 2u);
        EXPECT_EQ(later.back().title, "&Help");
        EXPECT_EQ(later[later.size() - 2].title, "&Window");
        EXPECT_EQ(later[later.size() - 2].items.back().id, kWindowList);
    }
    EXPECT_FALSE(MenuCommands(Res::kMainFrame).count(kWindowList));
}

TEST(Toolbars, StandardToolbarHoldsItsElevenCommandsInFiveGroups) {
    const std::vector<int> expected = {Res::kView,        Res::kCompare,     Res::kShellExecute,
                                       Res::kSnapshot,    Res::kDescription, Res::kLessColumns,
                                       Res::kMoreColumns, Res::kViewAnsi,    Res::kPreviousChange,
                                       Res::kNextChange,  Res::kHelpContents};
    std::vector<int> commands;
    std::vector<int> groupSizes = {0};
    for (int id : Toolbar(Res::kMainFrame)) {
        if (id == 0) {
            groupSizes.push_back(0);
        } else {
            commands.push_back(id);
            ++groupSizes.back();
        }
    }
    EXPECT_EQ(commands, expected);
    EXPECT_EQ(groupSizes, (std::vector<int>{3, 2, 3, 2, 1}));

    // Menu items take their images from the toolbar, so a button missing from the menus has no home there.
    const std::set<int> onMenu = MenuCommands(Res::kCompType);
    for (int id : commands) {
        EXPECT_TRUE(onMenu.count(id)) << id;
    }
}

TEST(Accelerators, KeysAreUnique) {
    std::set<std::string_view> keys;
    for (const Accelerator& a : Accelerators()) {
        EXPECT_TRUE(keys.insert(a.keys).second) << a.keys;
        EXPECT_EQ(a.keys.find(' '), std::string_view::npos) << "not a portable key text: " << a.keys;
    }
    EXPECT_EQ(keys.size(), 10u);
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The build embeds what icons.qrc lists, so an icon on disk but not listed is as missing as no file.
TEST(Icons, EveryToolbarButtonAndIconIdHasAListedSvgDrawnWithoutText) {
    const std::filesystem::path res = DYAD_RES_DIR;
    const std::string qrc = ReadFile(res / "icons.qrc");
    std::set<int> ids = {Res::kMainFrame, Res::kCompareIcon, Res::kUpIcon};
    for (int toolbarId : {Res::kMainFrame, Res::kCompareBar, Res::kMenuImages}) {
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
        const std::string svg = ReadFile(res / "icons" / name);
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
