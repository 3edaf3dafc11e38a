#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

#include "app/dyadmonapp.h"
#include "app/mainframe.h"
#include "compare/compdoc.h"
#include "compare/core/compareresult.h"
#include "compare/core/differenceline.h"
#include "platform/rowlist.h"
#include "platform/settingsprofile.h"
#include "res/resource.h"
#include "views/compview.h"
#include "views/differencelistmodel.h"
#include "views/differencespane.h"
#include "views/viewdoc.h"
#include "windowfixture.h"

namespace fs = std::filesystem;

namespace {

// The program on a profile and data folder of the test's own, comparing byte by byte with a
// look-ahead so that every kind of block comes up.
class DifferencesPane : public CProgramFixture {
protected:
    CMainFrame& Start() {
        CMainFrame& frame = CProgramFixture::Start();
        app->m_pSettings->unitSize = 1;
        app->m_pSettings->lookAhead = 10;
        return frame;
    }
    DCDifferencesPane& Pane() { return Frame().Differences(); }
    CDifferenceListModel& Model() { return Pane().Model(); }
    CRowList& List() { return Pane().List(); }
    CCompView* ViewOf(CCompDoc* doc) { return static_cast<CCompView*>(doc->GetViews().front()); }
    QString Cell(int row, int column) { return Model().index(row, column).data().toString(); }
    // Files of `size` bytes that differ every `every` bytes, in turn by a changed, a missing and an
    // added byte.
    void WriteSpread(const std::string& one, const std::string& two, int size, int every) {
        std::string a;
        std::string b;
        for (int i = 0; i < size; ++i) {
            const char c = static_cast<char>('A' + i % 23);
            a += c;
            if (i % every != every - 1) {
                b += c;
            } else if ((i / every) % 3 == 0) {
                b += 'z';
            } else if ((i / every) % 3 == 2) {
                b += std::string("zz") + c;
            }
        }
        CTempDir::Write(dir / one, a);
        CTempDir::Write(dir / two, b);
    }
    // Row `row` of the list against the differences of the blocks taken in order.
    ::testing::AssertionResult RowsAreTheDifferences(const CCompLines& lines) {
        int row = 0;
        for (const CompBlock& block : lines.Blocks()) {
            if (!CDifferenceLine::IsDifference(block)) {
                continue;
            }
            const CDifferenceLine line(block);
            for (int column = 0; column < CDifferenceLine::kColumns; ++column) {
                const QString expected = Q(line.Field(column, CDifferenceLine::Style::Shown));
                if (Cell(row, column) != expected) {
                    return ::testing::AssertionFailure()
                           << "row " << row << " column " << column << ": " << Cell(row, column).toStdString()
                           << " for " << expected.toStdString();
                }
            }
            ++row;
        }
        if (row != Model().rowCount()) {
            return ::testing::AssertionFailure()
                   << Model().rowCount() << " rows for " << row << " differences";
        }
        return ::testing::AssertionSuccess();
    }
    void ClickRow(int row) {
        List().scrollTo(Model().index(row, 0));
        QTest::mouseClick(List().viewport(), Qt::LeftButton, {},
                          List().visualRect(Model().index(row, 0)).center());
    }
};

// Hidden at first; the View command shows it with the kinds and both ends of every difference, and
// it comes back as it was left.
TEST_F(DifferencesPane, TheViewCommandShowsEveryDifferenceInOrder) {
    Start();
    EXPECT_TRUE(Pane().isHidden());
    CTempDir::Write(dir / "m1", "ABCDEFGHxy");
    CTempDir::Write(dir / "m2", "EFABCDGHz");
    CCompDoc* moved = OpenCompare(dir / "m1", dir / "m2");
    ASSERT_NE(moved, nullptr);
    EXPECT_FALSE(CCommandRouter::Update(Frame().Route(), Res::kDifferencesList).checked);
    Run(Res::kDifferencesList);
    EXPECT_TRUE(Pane().isVisible());
    EXPECT_TRUE(CCommandRouter::Update(Frame().Route(), Res::kDifferencesList).checked);
    EXPECT_EQ(Pane().accessibleName(), "Differences");
    EXPECT_FALSE(List().accessibleName().isEmpty());
    const QStringList headers = {"Kind", "Offset in file 1", "Offset in file 2", "Length"};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(Model().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(), headers[column]);
    }
    ASSERT_EQ(Model().rowCount(), 4);
    const QStringList rows[] = {{"Moved from", "00000000", "00000002", "4"},
                                {"Moved to", "00000000", "00000002", "4"},
                                {"Deleted", "00000008", "-", "2"},
                                {"New", "-", "00000008", "1"}};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            EXPECT_EQ(Cell(row, column), rows[row][column]) << row << ", " << column;
        }
    }
    EXPECT_TRUE(List().verticalHeader()->sectionResizeMode(0) == QHeaderView::Fixed);
    // Room for every column beside the document windows.
    QCoreApplication::processEvents();
    EXPECT_GE(Pane().width(), Pane().PreferredWidth());
    EXPECT_GE(List().viewport()->width(), List().columnViewportPosition(3) + 40);

    WriteSpread("s1", "s2", 3000, 37);
    CCompDoc* spread = OpenCompare(dir / "s1", dir / "s2");
    ASSERT_NE(spread, nullptr);
    EXPECT_GT(Model().rowCount(), 100);
    EXPECT_TRUE(RowsAreTheDifferences(spread->Lines()));

    Stop();
    Start();
    EXPECT_FALSE(Pane().isHidden());
    Run(Res::kDifferencesList);
    EXPECT_TRUE(Pane().isHidden());
    Stop();
    Start();
    EXPECT_TRUE(Pane().isHidden());
}

// A click, or Enter on the row the arrows reach, puts the block's first row at the top of the view;
// the focus stays in the list, and F6 goes round it with the other panes.
TEST_F(DifferencesPane, AClickOrEnterShowsTheBlockInTheView) {
    Start();
    WriteSpread("s1", "s2", 3000, 37);
    CCompDoc* doc = OpenCompare(dir / "s1", dir / "s2");
    ASSERT_NE(doc, nullptr);
    CCompView* view = ViewOf(doc);
    Run(Res::kDifferencesList);
    ASSERT_GT(Model().rowCount(), 40);
    const auto firstRow = [&](int row) {
        return static_cast<std::int64_t>(doc->Lines().FirstRowOf(Model().BlockOfRow(row)));
    };
    List().setFocus();
    ClickRow(30);
    EXPECT_EQ(view->TopLine(), firstRow(30));
    EXPECT_GT(view->TopLine(), 0);
    EXPECT_EQ(QApplication::focusWidget(), &List()) << QApplication::focusWidget()->metaObject()->className();
    QTest::keyClick(&List(), Qt::Key_Down);
    QTest::keyClick(&List(), Qt::Key_Down);
    EXPECT_EQ(view->TopLine(), firstRow(30)) << "the arrows only move in the list";
    QTest::keyClick(&List(), Qt::Key_Return);
    EXPECT_EQ(view->TopLine(), firstRow(32));
    EXPECT_EQ(QApplication::focusWidget(), &List());
    ClickRow(3);
    EXPECT_EQ(view->TopLine(), firstRow(3));

    view->setFocus();
    QWidget* reached = nullptr;
    for (int presses = 0; presses < 6 && reached != &List(); ++presses) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
        reached = QApplication::focusWidget();
    }
    EXPECT_EQ(reached, &List());
    QTest::keyClick(&List(), Qt::Key_F6);
    EXPECT_EQ(QApplication::focusWidget(), view);
}

// The list is the active compare window's: another window, a viewer, none, a comparison made
// again; a click after its window has gone does nothing.
TEST_F(DifferencesPane, TheListFollowsTheActiveCompareWindow) {
    Start();
    Run(Res::kDifferencesList);
    WriteSpread("s1", "s2", 3000, 37);
    WriteSpread("t1", "t2", 600, 50);
    CCompDoc* first = OpenCompare(dir / "s1", dir / "s2");
    ASSERT_NE(first, nullptr);
    QMdiSubWindow* firstWindow = Frame().MdiArea().activeSubWindow();
    const int firstRows = Model().rowCount();
    CCompDoc* second = OpenCompare(dir / "t1", dir / "t2");
    ASSERT_NE(second, nullptr);
    QMdiSubWindow* secondWindow = Frame().MdiArea().activeSubWindow();
    EXPECT_NE(Model().rowCount(), firstRows);
    EXPECT_TRUE(RowsAreTheDifferences(second->Lines()));
    Frame().MdiArea().setActiveSubWindow(firstWindow);
    EXPECT_EQ(Pane().Followed(), ViewOf(first));
    EXPECT_TRUE(RowsAreTheDifferences(first->Lines()));

    ASSERT_NE(CViewDoc::Open(app->GetViewTemplate(), dir / "s1"), nullptr);
    EXPECT_EQ(Model().rowCount(), 0);
    EXPECT_EQ(Pane().Followed(), nullptr);
    Frame().MdiArea().setActiveSubWindow(secondWindow);
    EXPECT_TRUE(RowsAreTheDifferences(second->Lines()));

    // Compared again after a change: the new result's rows.
    CTempDir::Write(dir / "t2", "entirely other");
    ASSERT_TRUE(second->LoadAndCompare());
    WaitUntilIdle(*Frame().Work());
    EXPECT_TRUE(RowsAreTheDifferences(second->Lines()));
    EXPECT_LT(Model().rowCount(), 5);

    Frame().MdiArea().setActiveSubWindow(firstWindow);
    ASSERT_GT(Model().rowCount(), 10);
    Frame().MdiArea().closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Pane().Followed(), nullptr);
    EXPECT_EQ(Model().rowCount(), 0);
    QTest::mouseClick(List().viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    QTest::keyClick(&List(), Qt::Key_Return);
}

// Ctrl+C copies the selected rows, the menu all of them: a header, then the rows as shown.
TEST_F(DifferencesPane, CopiesRowsAsTabSeparatedText) {
    Start();
    Run(Res::kDifferencesList);
    CTempDir::Write(dir / "m1", "ABCDEFGHxy");
    CTempDir::Write(dir / "m2", "EFABCDGHz");
    CCompDoc* doc = OpenCompare(dir / "m1", dir / "m2");
    ASSERT_NE(doc, nullptr);
    // Bytes selected in the window make its Copy live; in the list Ctrl+C is still the list's.
    ViewOf(doc)->Select(0, 0, 2);
    const QString header = "Kind\tOffset in file 1\tOffset in file 2\tLength\n";
    ClickRow(0);
    List().scrollTo(Model().index(2, 0));
    QTest::mouseClick(List().viewport(), Qt::LeftButton, Qt::ControlModifier,
                      List().visualRect(Model().index(2, 0)).center());
    QApplication::clipboard()->clear();
    QTest::keyClick(&List(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              header + "Moved from\t00000000\t00000002\t4\nDeleted\t00000008\t-\t2\n");

    std::unique_ptr<QMenu> menu(Pane().MakeContextMenu(nullptr));
    QAction* all = menu->findChild<QAction*>(QStringLiteral("copyAll"));
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(all->text().remove('&'), "Copy all as text");
    all->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(),
              header + "Moved from\t00000000\t00000002\t4\nMoved to\t00000000\t00000002\t4\n"
                       "Deleted\t00000008\t-\t2\nNew\t-\t00000008\t1\n");
}

// Every other byte changed: over a million blocks, and the list has its row count and its last row
// at once, as it makes rows only when they are asked for.
TEST_F(DifferencesPane, AMillionDifferencesOpenAtOnce) {
    Start();
    Run(Res::kDifferencesList);
    app->m_pSettings->lookAhead = 0;
    std::string a(1 << 21, 'a');
    std::string b = a;
    for (std::size_t i = 0; i < b.size(); i += 2) {
        b[i] = 'b';
    }
    CTempDir::Write(dir / "a", a);
    CTempDir::Write(dir / "b", b);
    CCompDoc* doc = OpenCompare(dir / "a", dir / "b");
    ASSERT_NE(doc, nullptr);
    ASSERT_GT(Model().rowCount(), 1'000'000);
    const CompBlockList& blocks = doc->Lines().Blocks();
    std::size_t last = blocks.size() - 1;
    while (!CDifferenceLine::IsDifference(blocks[last])) {
        --last;
    }
    const int lastRow = Model().rowCount() - 1;
    EXPECT_EQ(Model().BlockOfRow(lastRow), last);
    EXPECT_EQ(Cell(lastRow, 0), Q(CDifferenceLine(blocks[last]).Field(0, CDifferenceLine::Style::Shown)));
    EXPECT_EQ(Cell(lastRow, 1), Q(CDifferenceLine(blocks[last]).Field(1, CDifferenceLine::Style::Shown)));
    List().scrollToBottom();
    QTest::keyClick(&List(), Qt::Key_End);
    EXPECT_EQ(List().currentIndex().row(), lastRow);
}

} // namespace
