#include <string>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <gtest/gtest.h>

#include "compare/compdoc.h"
#include "res/resource.h"
#include "views/compview.h"
#include "views/core/selectiontext.h"
#include "views/viewdoc.h"
#include "views/viewview.h"
#include "views/windowhost.h"
#include "windowfixture.h"

namespace {

// Viewer and compare windows in a host that has the program's keys, driven by keys and the pointer
// as a user drives them.
class Selecting : public CWindowFixture {
protected:
    Selecting() {
        settings.lookAhead = 10;
        host.resize(1200, 700);
        host.show();
        QApplication::setActiveWindow(&host);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }

    CHexView& Viewer(const std::string& data) {
        CTempDir::Write(dir / "data", data);
        viewDoc = host.OpenViewer(dir / "data");
        EXPECT_NE(viewDoc, nullptr);
        return Focused();
    }
    CHexView& Compare(const std::string& data1, const std::string& data2) {
        CTempDir::Write(dir / "one", data1);
        CTempDir::Write(dir / "two", data2);
        compDoc = host.OpenCompare(dir / "one", dir / "two");
        EXPECT_NE(compDoc, nullptr);
        return Focused();
    }
    CHexView& Focused() {
        host.MdiArea().activeSubWindow()->showMaximized();
        view = static_cast<CHexView*>(host.MdiArea().activeSubWindow()->widget());
        view->setFocus();
        QCoreApplication::processEvents();
        return *view;
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int times = 1) {
        for (int i = 0; i < times; ++i) {
            QTest::keyClick(view, key, modifiers);
        }
    }
    static QString Clipboard() { return QGuiApplication::clipboard()->text(); }
    // Where the pointer finds byte `column` of screen row `row` in the pane starting at `paneX`.
    static QPoint HexCell(int paneX, int row, int column) {
        return {paneX + 104 + 27 * column + 5, 25 + 16 * row + 8};
    }
    static QPoint AnsiCell(int paneX, int bytesPerLine, int row, int column) {
        return {paneX + 27 * bytesPerLine + 120 + 9 * column + 4, 25 + 16 * row + 8};
    }
    bool CopyEnabled() {
        QAction* copy = host.Actions().Action(Res::kEditCopy);
        return copy->isEnabled();
    }

    CWindowHost host{settings, store, CBackgroundWork::Thread::Caller};
    CViewDoc* viewDoc = nullptr;
    CCompDoc* compDoc = nullptr;
    CHexView* view = nullptr;
};

// Shift+Right three times and Ctrl+C copy three bytes as hex, Ctrl+Shift+C as the characters column
// shows them, in the viewer and in each file of a comparison (Tab goes over to the other file).
TEST_F(Selecting, ShiftRightThriceAndCtrlCCopyThreeBytes) {
    Viewer("AB\x01Z and more");
    EXPECT_FALSE(CopyEnabled()) << "nothing selected";
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "before");
    Key(Qt::Key_Right, Qt::ShiftModifier, 3);
    EXPECT_TRUE(CopyEnabled());
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "41 42 01");
    Key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Clipboard(), "AB.");
    EXPECT_EQ(host.StatusText(), "0x00000000-0x00000002, 3 bytes");
    // A screen reader reads the selected bytes' digits, and the caret on the last of them.
    QAccessibleTextInterface* read = QAccessible::queryAccessibleInterface(view)->textInterface();
    ASSERT_EQ(read->selectionCount(), 1);
    int start = 0, end = 0;
    read->selection(0, &start, &end);
    EXPECT_EQ(read->text(start, end), "41 42 01");
    EXPECT_EQ(read->text(read->cursorPosition(), read->cursorPosition() + 2), "01");
    Key(Qt::Key_Right);
    EXPECT_FALSE(CopyEnabled()) << "a step without Shift drops the selection";
    EXPECT_EQ(host.StatusText(), "Ready");
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "5A") << "the byte after the selection";

    Compare("aaaaaaaa", "bcdefghi");
    Key(Qt::Key_Right, Qt::ShiftModifier, 3);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "61 61 61");
    EXPECT_EQ(host.StatusText(), "File 1: 0x00000000-0x00000002, 3 bytes");
    Key(Qt::Key_Tab);
    EXPECT_EQ(view->CaretSide(), 1);
    EXPECT_EQ(host.StatusText(), "Ready");
    EXPECT_EQ(QApplication::focusWidget(), view) << "Tab stays in the comparison";
    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier, 3);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "62 63 64");
    Key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Clipboard(), "bcd");
    EXPECT_EQ(host.StatusText(), "File 2: 0x00000000-0x00000002, 3 bytes");
    read = QAccessible::queryAccessibleInterface(view)->textInterface();
    read->selection(0, &start, &end);
    EXPECT_EQ(read->text(start, start + 2), "62") << "the first selected byte of file 2";
    EXPECT_EQ(read->text(end - 2, end), "64");
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(view->CaretSide(), 0);
}

// Ctrl+A selects the whole file the caret is in, in the viewer and in either file of a comparison.
TEST_F(Selecting, CtrlASelectsTheWholeFileOfTheCaret) {
    Viewer("AB\x01Z and more");
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Clipboard(), "AB.Z and more");
    EXPECT_EQ(host.StatusText(), "0x00000000-0x0000000C, 13 bytes");

    Compare("aaaaaaaa", "bcdefghijk");
    Key(Qt::Key_Tab);
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "62 63 64 65 66 67 68 69 6A 6B");
    EXPECT_EQ(host.StatusText(), "File 2: 0x00000000-0x00000009, 10 bytes");
}

// Shift+Down takes a line of the file, also where the other file's rows lie between its rows; the
// selected bytes are drawn highlighted in their own rows only, and the caret as an outline.
TEST_F(Selecting, ShiftDownSelectsAcrossRowsOfItsFileOnly) {
    Viewer("0123456789abcdefGHIJKLMNOPQRSTUV");
    ASSERT_EQ(viewDoc->LineLength(), 16);
    Key(Qt::Key_Right, Qt::NoModifier, 2);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Clipboard(), "23456789abcdefGH");

    settings.unitSize = 8;
    Compare(std::string(8, 'A') + std::string(8, 'B'),
            std::string(8, 'A') + "insert!!" + std::string(8, 'B'));
    ASSERT_EQ(compDoc->BytesPerLine(), 8);
    ASSERT_EQ(compDoc->Lines().GetCount(), 3u);
    ASSERT_EQ(compDoc->Lines().GetAt(1).kind, BlockKind::New);
    Key(Qt::Key_Right);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "41 41 41 41 41 41 41 42");
    EXPECT_EQ(view->Caret(), 8u) << "on the last byte reached";
    const QImage image = view->grab().toImage();
    const QRgb highlight = view->palette().color(QPalette::Highlight).rgb();
    const int pane = CHexView::PaneWidth(8, true);
    // The top left of a cell, where no glyph reaches.
    const auto at = [&](QPoint p) { return image.pixel(p.x() - 4, p.y() - 7); };
    EXPECT_NE(at(HexCell(0, 0, 0)), highlight) << "before the selection";
    EXPECT_EQ(at(HexCell(0, 0, 1)), highlight);
    EXPECT_EQ(at(AnsiCell(0, 8, 0, 7)), highlight);
    EXPECT_EQ(at(HexCell(0, 2, 0)), highlight) << "the Same row below the new one";
    EXPECT_NE(at(HexCell(pane, 1, 0)), highlight) << "file 2's row between them";
    EXPECT_NE(at(HexCell(pane, 0, 1)), highlight) << "file 2's side of a Same row";
    EXPECT_EQ(image.pixel(104 - 1, 25 + 16 * 2 + 8), view->palette().color(QPalette::Text).rgb())
        << "the caret's outline on byte 8";
}

// A press puts the caret on a byte, a drag selects to the byte under the pointer (hex or characters
// column), Shift+click stretches the selection; in a comparison the pane pressed is the file.
TEST_F(Selecting, ThePointerSelectsByPressAndDrag) {
    Viewer(std::string("0123456789abcdef") + "GHIJKLMNOPQRSTUV" + "wxyz");
    QTest::mousePress(view, Qt::LeftButton, {}, HexCell(0, 0, 2));
    EXPECT_EQ(view->Caret(), 2u);
    EXPECT_FALSE(view->Selection());
    QTest::mouseMove(view, HexCell(0, 0, 4));
    QTest::mouseMove(view, AnsiCell(0, 16, 1, 3));
    QTest::mouseRelease(view, Qt::LeftButton, {}, AnsiCell(0, 16, 1, 3));
    EXPECT_EQ(view->Selection(), (CHexView::Selected{0, 2, 18}));
    Key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Clipboard(), "23456789abcdefGHIJ");
    QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier, HexCell(0, 2, 1));
    EXPECT_EQ(view->Selection(), (CHexView::Selected{0, 2, 32})) << "from the pressed byte to x";
    QTest::mousePress(view, Qt::LeftButton, {}, AnsiCell(0, 16, 1, 5));
    QTest::mouseMove(view, AnsiCell(0, 16, 0, 14));
    QTest::mouseRelease(view, Qt::LeftButton, {}, AnsiCell(0, 16, 0, 14));
    EXPECT_EQ(view->Selection(), (CHexView::Selected{0, 14, 8})) << "dragged back, the pressed byte kept";

    Compare("abcdefgh12", "abcdefgh34");
    const int pane = CHexView::PaneWidth(compDoc->BytesPerLine(), true);
    QTest::mousePress(view, Qt::LeftButton, {}, HexCell(pane, 0, 1));
    QTest::mouseMove(view, HexCell(pane, 0, 3));
    QTest::mouseRelease(view, Qt::LeftButton, {}, HexCell(pane, 0, 3));
    EXPECT_EQ(view->Selection(), (CHexView::Selected{1, 1, 3}));
    Key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Clipboard(), "bcd");
    EXPECT_EQ(host.StatusText(), "File 2: 0x00000001-0x00000003, 3 bytes");
    QTest::mouseClick(view, Qt::LeftButton, {}, HexCell(0, 0, 0));
    EXPECT_EQ(view->CaretSide(), 0);
    EXPECT_FALSE(view->Selection());
    EXPECT_FALSE(CopyEnabled());
}

// Ctrl+G marks the byte it goes to: the caret on it, and it alone selected.
TEST_F(Selecting, GoToOffsetMarksTheByte) {
    std::string data(4096, 'd');
    data[0x812] = 'X';
    Viewer(data);
    prompts.textAnswers = {"0x812"};
    Key(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(view->TopLine(), 0x812 / 16);
    EXPECT_EQ(view->Selection(), (CHexView::Selected{0, 0x812, 1}));
    EXPECT_EQ(view->Caret(), 0x812u);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "58");
    EXPECT_EQ(host.StatusText(), "0x00000812-0x00000812, 1 byte");

    Compare("0123456789", "abcdefghij");
    prompts.textAnswers = {"2:7"};
    Key(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(view->Selection(), (CHexView::Selected{1, 7, 1}));
    Key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Clipboard(), "h");
}

// What a Find calls: the range selected, its first byte brought to the top row when it was not shown,
// the rows left as they are when it was.
TEST_F(Selecting, SelectShowsTheRangeItWasGiven) {
    Compare(std::string(8000, 's'), std::string(100, 'n') + std::string(8000, 's'));
    view->Select(1, 5000, 4);
    EXPECT_EQ(view->Selection(), (CHexView::Selected{1, 5000, 4}));
    const auto row = static_cast<std::uint64_t>(view->TopLine());
    const CompLine top = compDoc->Lines().GetAt(row);
    EXPECT_TRUE(top.offset2 <= 5000 && 5000 < top.offset2 + top.length);
    view->Select(1, 5000 + 8, 2);
    EXPECT_EQ(static_cast<std::uint64_t>(view->TopLine()), row) << "already shown";
    view->Select(0, 7990, 100);
    EXPECT_EQ(view->Selection(), (CHexView::Selected{0, 7990, 10})) << "cut at the file's end";
    EXPECT_EQ(host.StatusText(), "File 1: 0x00001F36-0x00001F3F, 10 bytes");
}

// A selection over the copy limit is refused with the limit, not cut short.
TEST_F(Selecting, ASelectionOverSixteenMebibytesIsRefused) {
    Viewer(std::string(CSelectionText::kMaxCopy + 1, 'L'));
    Key(Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(view->Selection(), (CHexView::Selected{0, 0, CSelectionText::kMaxCopy + 1}));
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Messages(CPrompts::Icon::Exclamation),
              std::vector<QString>{"The selection holds 16777217 bytes; at most 16 MiB (16777216 bytes) can "
                                   "be copied at once."});
    EXPECT_EQ(Clipboard(), "before");
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(view->TopLine(), 0);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "4C");
}

} // namespace
