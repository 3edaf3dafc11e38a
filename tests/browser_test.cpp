#include <filesystem>

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include "browser/browser.h"
#include "browser/comparebar.h"
#include "browser/foldercombo.h"
#include "browser/shelllist.h"
#include "compare/compdoc.h"
#include "platform/shell/core/shellitem.h"
#include "platform/view.h"
#include "views/windowhost.h"
#include "windowfixture.h"

namespace fs = std::filesystem;

namespace {

// Two panes over a compare bar, their viewers and comparisons in a window host.
class Browser : public CWindowFixture {
protected:
    Browser() {
        for (DCBrowser* pane : {&pane1, &pane2}) {
            pane->SetTargetSlots(&bar);
            pane->SetStatusReporter([this](const QString& text) { status.push_back(text); });
            pane->resize(600, 300);
            pane->show();
        }
        host.resize(900, 500);
        host.show();
    }
    // Clicks the row of the list that shows `name`.
    void Click(DCBrowser& pane, const QString& name, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QAbstractItemModel* model = pane.List().model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, 0).data().toString() == name) {
                const QModelIndex index = model->index(row, 0);
                pane.List().scrollTo(index);
                QTest::mouseClick(pane.List().viewport(), Qt::LeftButton, modifiers,
                                  pane.List().visualRect(index).center());
                return;
            }
        }
        ADD_FAILURE() << "no row " << name.toStdString();
    }

    CWindowHost host{settings, store, CBackgroundWork::Thread::Caller};
    DCCompareBar bar{store, host.CompTemplate()};
    DCBrowser pane1{0, host.ViewTemplate()};
    DCBrowser pane2{1, host.ViewTemplate()};
    std::vector<QString> status;
};

TEST_F(Browser, StartsInComputerAndShowsTheChainToAFolderInTheBox) {
    EXPECT_TRUE(pane1.CurrentFolder().IsComputer());
    const DCFolderCombo& box = pane1.Folders();
    EXPECT_TRUE(box.ItemAt(box.currentIndex())->IsComputer());
    EXPECT_EQ(box.DepthAt(box.currentIndex()), 1);
    EXPECT_EQ(box.DepthAt(box.currentIndex() + 1), 2) << "the volumes follow Computer";

    fs::create_directories(dir / "one/two/three");
    pane1.GoFolder(DCShellItem(dir / "one/two/three"));
    EXPECT_EQ(pane1.CurrentFolder().GetPath(), dir / "one/two/three");
    const int selected = box.currentIndex();
    EXPECT_EQ(box.ItemAt(selected)->GetPath(), dir / "one/two/three");
    EXPECT_EQ(box.DepthAt(selected), pane1.CurrentFolder().GetCount());
    EXPECT_EQ(box.ItemAt(selected - 1)->GetPath(), dir / "one/two");

    // Up at the desktop stays there.
    pane1.GoFolder(DCShellItem());
    pane1.GoUp();
    EXPECT_TRUE(pane1.CurrentFolder().IsDesktop());
}

// A click on a file fills the pane's own slot; both panes' files, one of them not UTF-8, compare.
TEST_F(Browser, EachPaneFillsItsOwnSlotAndAnyNameCompares) {
    CTempDir::Write(dir / "caf\xE9.bin", "bytes one");
    CTempDir::Write(dir / "b.bin", "bytes two");
    fs::create_directory(dir / "sub");
    pane1.GoFolder(DCShellItem(dir.path().string()));
    pane2.GoFolder(DCShellItem(dir.path().string()));
    Click(pane2, "b.bin");
    Click(pane1, QFile::decodeName(QByteArray("caf\xE9.bin")));
    EXPECT_EQ(bar.Targets().target1, dir / "caf\xE9.bin");
    EXPECT_EQ(bar.Targets().target2, dir / "b.bin");
    Click(pane1, "sub");
    EXPECT_EQ(bar.Targets().target1, dir / "caf\xE9.bin") << "a folder is no target";
    bar.StartCompare();
    ASSERT_EQ(host.MdiArea().subWindowList().size(), 1);
    EXPECT_TRUE(prompts.messages.empty());
}

// A delete goes to the trash after a yes, and leaves no slot naming a file that may be gone.
TEST_F(Browser, DeletingEmptiesBothSlots) {
    CTempDir::Write(dir / "gone.txt", "x");
    pane1.GoFolder(DCShellItem(dir.path().string()));
    Click(pane1, "gone.txt");
    bar.SetTarget2(dir / "gone.txt");
    EXPECT_EQ(bar.Targets().target1, dir / "gone.txt");
    prompts.questionAnswers.push_back(true);
    pane1.DeleteSelected();
    EXPECT_FALSE(fs::exists(dir / "gone.txt"));
    EXPECT_EQ(bar.Targets().target1, "");
    EXPECT_EQ(bar.Targets().target2, "");
}

// Changes from outside show up: new, removed and rewritten files; the shown folder removed or moved
// away (even with another in its place) takes the pane to the desktop.
TEST_F(Browser, FollowsChangesToTheShownFolder) {
    // Long enough for any machine; the waits end as soon as the change shows.
    constexpr int kPatienceMs = 30000;
    const auto sizeOf = [this](const QString& name) {
        QAbstractItemModel* model = pane1.List().model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, 0).data().toString() == name) {
                return model->index(row, 1).data().toString();
            }
        }
        return QStringLiteral("(none)");
    };
    fs::create_directories(dir / "watched");
    pane1.GoFolder(DCShellItem(dir / "watched"));
    CTempDir::Write(dir / "watched/new.txt", "x");
    EXPECT_TRUE(QTest::qWaitFor([&] { return sizeOf("new.txt") == "1"; }, kPatienceMs));
    CTempDir::Write(dir / "watched/new.txt", "rewritten");
    EXPECT_TRUE(QTest::qWaitFor([&] { return sizeOf("new.txt") == "9"; }, kPatienceMs));
    fs::remove_all(dir / "watched");
    EXPECT_TRUE(QTest::qWaitFor([&] { return pane1.CurrentFolder().IsDesktop(); }, kPatienceMs));

    fs::create_directories(dir / "shown");
    pane1.GoFolder(DCShellItem(dir / "shown"));
    fs::rename(dir / "shown", dir / "moved");
    EXPECT_TRUE(QTest::qWaitFor([&] { return pane1.CurrentFolder().IsDesktop(); }, kPatienceMs));
    pane1.GoFolder(DCShellItem(dir / "moved"));
    fs::rename(dir / "moved", dir / "away");
    fs::create_directories(dir / "moved");
    EXPECT_TRUE(QTest::qWaitFor([&] { return pane1.CurrentFolder().IsDesktop(); }, kPatienceMs))
        << "a new folder under the old name is not the one shown";
}

} // namespace

namespace {

// A folder five levels down is reached by typing its path: Ctrl+L, or a character typed into the
// folder box; a path that is no folder is refused with the reason and the pane stays where it was.
TEST_F(Browser, APathIsTypedInPlaceOfTheFolderBox) {
    std::filesystem::create_directories(dir / "one/two/three/four/five");
    CTempDir::Write(dir / "file", "x");
    pane1.GoFolder(DCShellItem(dir.path().string()));
    QApplication::setActiveWindow(&pane1);
    pane1.List().setFocus();
    QTest::keyClick(&pane1.List(), Qt::Key_L, Qt::ControlModifier);
    auto* location = pane1.findChild<QLineEdit*>(QStringLiteral("location"));
    ASSERT_NE(location, nullptr);
    ASSERT_TRUE(location->isVisible());
    EXPECT_EQ(location->text(), Q(dir.path().string()));
    EXPECT_EQ(location->accessibleName(), "Location");
    EXPECT_NE(location->completer(), nullptr) << "folder names are completed";
    QTest::keyClick(location, Qt::Key_End);
    QTest::keyClicks(location, "/one/two/three/four/five");
    QTest::keyClick(location, Qt::Key_Return);
    EXPECT_EQ(pane1.CurrentFolder().GetPath(), dir / "one/two/three/four/five");
    EXPECT_FALSE(location->isVisible());
    EXPECT_TRUE(pane1.List().hasFocus());

    // Typed into the box: the first character starts the path; relative to the folder shown.
    pane1.Folders().setFocus();
    QTest::keyClick(&pane1.Folders(), '.');
    ASSERT_TRUE(location->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), location);
    EXPECT_EQ(location->text(), ".");
    QTest::keyClick(QApplication::focusWidget(), '.');
    EXPECT_EQ(location->text(), "..");
    QTest::keyClick(location, Qt::Key_Return);
    EXPECT_EQ(pane1.CurrentFolder().GetPath(), dir / "one/two/three/four");

    for (const auto& [typed, why] :
         {std::pair{Q(dir / "gone"), QStringLiteral("it does not exist")},
          std::pair{Q(dir / "file"), QStringLiteral("it is a file, not a folder")}}) {
        QTest::keyClick(&pane1.List(), Qt::Key_L, Qt::ControlModifier);
        location->setText(typed);
        QTest::keyClick(location, Qt::Key_Return);
        EXPECT_EQ(pane1.CurrentFolder().GetPath(), dir / "one/two/three/four");
        ASSERT_FALSE(prompts.messages.empty());
        EXPECT_EQ(prompts.messages.back().text, "\"" + typed + "\" cannot be opened: " + why + ".");
        EXPECT_TRUE(location->isVisible()) << "the text stays to be mended";
        QTest::keyClick(location, Qt::Key_Escape);
        EXPECT_FALSE(location->isVisible());
    }
}

} // namespace
