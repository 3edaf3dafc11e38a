#include <optional>

#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "compare/compdoc.h"
#include "platform/commandrouter.h"
#include "platform/hexdocument.h"
#include "res/resource.h"
#include "views/chargrid.h"
#include "views/compview.h"
#include "views/diffmap.h"
#include "views/linescrollbar.h"
#include "windowfixture.h"

namespace {

// A compare document on two files of the test's own, with its view laid out at a known size.
class CompView : public CWindowFixture {
protected:
    CompView() { settings.lookAhead = 10; }

    CCompView& Open(const std::string& data1, const std::string& data2, int bytesPerLine = 8,
                    bool ansi = true, QSize size = {900, 400}) {
        view.reset();
        doc = OpenCompareDoc(data1, data2);
        doc->SetBytesPerLine(bytesPerLine);
        doc->SetAnsi(ansi);
        view = std::make_unique<CCompView>(*doc, settings);
        view->resize(size);
        view->show();
        view->OnInitialUpdate();
        doc->LoadAndCompare();
        return *view;
    }
    QImage Grab() { return view->grab().toImage(); }

    std::unique_ptr<CCompDoc> doc;
    std::unique_ptr<CCompView> view;
};

// The pixels of `area` that are not white, or only those of `colour`.
int Ink(const QImage& image, QRect area, std::optional<QRgb> colour = std::nullopt) {
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            ink += colour ? image.pixel(x, y) == *colour : image.pixel(x, y) != qRgb(255, 255, 255);
        }
    }
    return ink;
}

QImage Part(const QImage& image, int x, int y, std::size_t cells) {
    return image.copy(x, y, 9 * static_cast<int>(cells), 16);
}

constexpr QRgb kHeader = qRgb(0, 0, 191);
constexpr QRgb kGrid = qRgb(128, 128, 128);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);

int RowY(int screenRow) {
    return 25 + 16 * screenRow;
}

TEST_F(CompView, PanesStandWhereTheirWidthPutsThem) {
    // 8 bytes per line with the ANSI column: a pane is 424 pixels wide.
    Open(std::string(16, 'a'), std::string(16, 'a'));
    QImage image = Grab();
    EXPECT_EQ(Part(image, 449, 5, 6), TextImage("Offset", kHeader));
    EXPECT_EQ(Part(image, 25, 5, 6), TextImage("Offset", kHeader));
    EXPECT_EQ(Part(image, 424 + 104 + 27 * 7, 5, 2), TextImage(" 7", kHeader));
    EXPECT_EQ(Part(image, 528, 25, 23), TextImage("61 61 61 61 61 61 61 61", kBlack));
    EXPECT_EQ(Part(image, 424 + 16, 25 + 16, 8), TextImage("00000008", kHeader));
    EXPECT_EQ(Part(image, 424 + 120 + 27 * 8, 25, 8), TextImage("aaaaaaaa", kBlack));
    // The two grid lines between the panes, the offset and ANSI grid lines, the header line.
    EXPECT_EQ(image.pixel(423, 60), kGrid);
    EXPECT_EQ(image.pixel(424, 60), kWhite);
    EXPECT_EQ(image.pixel(425, 60), kGrid);
    EXPECT_EQ(image.pixel(96, 60), kGrid);
    EXPECT_EQ(image.pixel(424 + 27 * 8 + 112, 60), kGrid);
    EXPECT_EQ(image.pixel(300, 23), kGrid);
    EXPECT_EQ(image.pixel(300, 22), kWhite);
    EXPECT_EQ(image.pixel(96, 383), kGrid);
    // The strip: the corner beside the horizontal bar, white above and below the map.
    EXPECT_EQ(image.pixel(870, 390), view->palette().color(QPalette::Midlight).rgb());
    EXPECT_EQ(image.pixel(862, 5), kWhite);
    EXPECT_EQ(image.pixel(862, 375), kWhite);

    // Without the ANSI column a pane is 336 pixels wide.
    Open(std::string(16, 'a'), std::string(16, 'a'), 8, false);
    image = Grab();
    EXPECT_EQ(Part(image, 336 + 25, 5, 6), TextImage("Offset", kHeader));
    EXPECT_EQ(image.pixel(27 * 8 + 112, 60), kWhite);
}

// A changed unit, an inserted one and two swapped ones at unit 8: each row shows on the sides it has
// bytes on, under its own offset and in its kind's colour, and leaves the other side blank.
TEST_F(CompView, EachKindShowsInItsPanesInItsColour) {
    settings.unitSize = 8;
    settings.m_clrNew = 0x0000C8;
    settings.m_clrDelete = 0x00C800;
    settings.m_clrMoveFrom = 0xC80000;
    settings.m_clrMoveTo = 0xC800C8;
    Open("SAMESAME"
         "abcdefgh"
         "SAMESAME"
         "11111111"
         "22222222"
         "SAMESAME",
         "SAMESAME"
         "zyxwvuts"
         "SAMESAME"
         "NEWBYTES"
         "22222222"
         "11111111"
         "SAMESAME");
    const QRgb red = qRgb(200, 0, 0), green = qRgb(0, 200, 0), blue = qRgb(0, 0, 200);
    struct Side {
        const char* offset;
        QRgb colour;
    };
    const Side none{nullptr, 0};
    // Same, Deleted, New, Same, New, MoveFrom, Same, MoveTo, Same.
    const std::pair<Side, Side> rows[] = {
        {{"00000000", kBlack}, {"00000000", kBlack}},
        {{"00000008", green}, none},
        {none, {"00000008", red}},
        {{"00000010", kBlack}, {"00000010", kBlack}},
        {none, {"00000018", red}},
        {{"00000018", blue}, none},
        {{"00000020", kBlack}, {"00000020", kBlack}},
        {none, {"00000028", qRgb(200, 0, 200)}},
        {{"00000028", kBlack}, {"00000030", kBlack}},
    };
    ASSERT_EQ(doc->Lines().GetCount(), std::size(rows));
    const QImage image = Grab();
    for (int r = 0; r < static_cast<int>(std::size(rows)); ++r) {
        for (const auto& [x, side] : {std::pair{0, rows[r].first}, std::pair{424, rows[r].second}}) {
            if (side.offset == nullptr) {
                EXPECT_EQ(Part(image, x + 16, RowY(r), 8), TextImage(std::string(8, ' '))) << r;
                EXPECT_EQ(Part(image, x + 100, RowY(r), 24), TextImage(std::string(24, ' '))) << r;
            } else {
                EXPECT_EQ(Part(image, x + 16, RowY(r), 8), TextImage(side.offset, kHeader)) << r;
                EXPECT_GT(Ink(image, QRect(x + 100, RowY(r), 216, 16), side.colour), 0) << r;
            }
        }
    }
}

TEST_F(CompView, ARowStartsInTheColumnOfItsOwnOffset) {
    Open("abcdeFGH", "abcde1234FGH");
    const CompLine row = doc->Lines().GetAt(3);
    ASSERT_EQ(row, (CompLine{BlockKind::Same, 5, 9, 3}));
    const QImage image = Grab();
    const int w = CHexView::PaneWidth(8, true);
    // Left from column 5, right from column 1, each with its own offset; the cells before are blank.
    EXPECT_EQ(Part(image, 104 + 27 * 5, RowY(3), 8), TextImage("46 47 48", kBlack));
    EXPECT_EQ(Part(image, 100, RowY(3), 15), TextImage(std::string(15, ' '), kBlack))
        << "blank before column 5";
    EXPECT_EQ(Part(image, w + 104 + 27, RowY(3), 8), TextImage("46 47 48", kBlack));
    EXPECT_EQ(Part(image, 16, RowY(3), 8), TextImage("00000005", kHeader));
    EXPECT_EQ(Part(image, w + 16, RowY(3), 8), TextImage("00000009", kHeader));
    EXPECT_EQ(Part(image, w + 120 + 27 * 8 + 9, RowY(3), 3), TextImage("FGH", kBlack));
}

// A unit past a file's end is compared with zeros, but no row shows them, and no byte of the longer
// file is left out: 74 bytes against 106 that share 72, at unit 8; 17 bytes against the same and 00,
// at unit 16, where Next change reaches file 2's last byte.
TEST_F(CompView, RowsShowTheBytesAFileHasAndNoOthers) {
    settings.unitSize = 8;
    settings.lookAhead = 0;
    settings.m_clrDelete = 0x00C800;
    std::string shared;
    for (int i = 0; i < 72; ++i) {
        shared += static_cast<char>('A' + i % 26);
    }
    Open(shared + "\xD2\x70", shared + std::string(34, '0'));
    ASSERT_EQ(doc->Lines().GetAt(9), (CompLine{BlockKind::Deleted, 0x48, 0, 2}));
    EXPECT_EQ(Part(Grab(), 104, RowY(9), 23), TextImage("D2 70" + std::string(18, ' '), qRgb(0, 200, 0)));

    settings.unitSize = 16;
    const std::string seventeen = "abcdefghijklmnopq";
    Open(seventeen, seventeen + std::string(1, '\0'), 16);
    ASSERT_EQ(doc->Lines().GetCount(), 3u);
    EXPECT_EQ(doc->Lines().GetAt(1), (CompLine{BlockKind::Same, 16, 16, 1}));
    EXPECT_EQ(doc->Lines().GetAt(2), (CompLine{BlockKind::New, 0, 17, 1}));
    const CCommandRouter::Route route{view.get(), doc.get()};
    EXPECT_TRUE(CCommandRouter::Execute(route, Res::kNextChange));
    EXPECT_EQ(view->TopLine(), 2);
}

// A screen reader reads the rows on screen as lines, each side with its offset, bytes and characters
// and the row's kind; the scroll bar and the map read the top row out of all, and follow a move to the
// next change.
TEST_F(CompView, AScreenReaderReadsTheRowsOnScreen) {
    settings.unitSize = 8;
    settings.lookAhead = 0;
    Open(std::string(8, 's') + "deleted!" + std::string(40, 't'),
         std::string(8, 's') + "NEWBYTES" + std::string(40, 't'));
    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(view.get());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->role(), QAccessible::EditableText);
    EXPECT_EQ(read->text(QAccessible::Name), "Comparison");
    EXPECT_TRUE(read->state().readOnly);
    QAccessibleTextInterface* text = read->textInterface();
    ASSERT_NE(text, nullptr);
    const QStringList lines = text->text(0, text->characterCount()).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines[0],
              "same, file 1 00000000: 73 73 73 73 73 73 73 73  ssssssss, file 2 00000000: 73 73 73 73 73 "
              "73 73 73  ssssssss");
    EXPECT_EQ(lines[1], "deleted, file 1 00000008: 64 65 6C 65 74 65 64 21  deleted!");
    EXPECT_EQ(lines[2], "new, file 2 00000008: 4E 45 57 42 59 54 45 53  NEWBYTES");
    EXPECT_EQ(text->cursorPosition(), 23) << "the caret on file 1's first byte";
    EXPECT_EQ(text->selectionCount(), 0);

    const CCommandRouter::Route route{view.get(), doc.get()};
    EXPECT_TRUE(CCommandRouter::Execute(route, Res::kNextChange));
    EXPECT_TRUE(text->text(0, text->characterCount()).startsWith("deleted, file 1 00000008"));

    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(&view->VertBar());
    ASSERT_NE(bar->valueInterface(), nullptr);
    EXPECT_EQ(bar->text(QAccessible::Name), "Rows");
    EXPECT_EQ(bar->valueInterface()->currentValue().toLongLong(), 1);
    EXPECT_EQ(bar->valueInterface()->maximumValue().toLongLong(), 7);
    QAccessibleInterface* map = QAccessible::queryAccessibleInterface(&view->DiffMap());
    EXPECT_EQ(map->text(QAccessible::Name), "Difference map");
    EXPECT_EQ(map->text(QAccessible::Value), "row 2 of 8");
}

// Ctrl+G takes an offset in file 1, or in file 2 after "2:", and shows the row that holds that byte
// on top; an offset past the file's end, or text that is none, is refused and moves nothing.
TEST_F(CompView, GoToOffsetShowsTheRowOfThatByte) {
    settings.unitSize = 8;
    settings.lookAhead = 0;
    Open(std::string(8, 's') + "deleted!" + std::string(240, 't'),
         std::string(8, 's') + "NEWBYTES" + std::string(240, 't'));
    QApplication::setActiveWindow(view.get());
    view->setFocus();
    prompts.textAnswers = {"0x8", "2:0x8", "200", "2:1000", "zz"};
    const CCommandRouter::Route route{view.get(), doc.get()};
    ASSERT_TRUE(CCommandRouter::Execute(route, Res::kGoToOffset));
    EXPECT_EQ(doc->Lines().GetAt(static_cast<std::uint64_t>(view->TopLine())).kind, BlockKind::Deleted);
    ASSERT_TRUE(CCommandRouter::Execute(route, Res::kGoToOffset));
    EXPECT_EQ(doc->Lines().GetAt(static_cast<std::uint64_t>(view->TopLine())).kind, BlockKind::New);
    ASSERT_TRUE(CCommandRouter::Execute(route, Res::kGoToOffset));
    const CompLine row = doc->Lines().GetAt(static_cast<std::uint64_t>(view->TopLine()));
    EXPECT_TRUE(row.offset1 <= 200 && 200 < row.offset1 + row.length);
    const std::int64_t top = view->TopLine();
    ASSERT_TRUE(CCommandRouter::Execute(route, Res::kGoToOffset));
    ASSERT_TRUE(CCommandRouter::Execute(route, Res::kGoToOffset));
    EXPECT_EQ(view->TopLine(), top);
    EXPECT_EQ(Messages(CPrompts::Icon::Exclamation),
              (std::vector<QString>{"Offset 1000 is past the end of the file, which holds 256 bytes.",
                                    "\"zz\" is not an offset."}));
    EXPECT_TRUE(prompts.textRequests[0].contains("2:")) << "the comparison says how to name file 2";
}

TEST_F(CompView, ControlCharactersShowAsDotsInTheAnsiColumn) {
    const std::string bytes("\x2E\x80\x9F\x7F\xA0\xFF\x41\x1F", 8);
    Open(bytes, bytes);
    const QImage image = Grab();
    EXPECT_EQ(Part(image, 120 + 27 * 8, RowY(0), 8), TextImage("....\xA0\xFF"
                                                               "A.",
                                                               kBlack));
}

TEST_F(CompView, TheMapStretchesBothSidesOverTheStrip) {
    settings.lookAhead = 0;
    std::string one(800, 'x'), two(800, 'x');
    two.replace(400, 8, "CHANGED!");
    Open(one, two, 8, true, {900, 416}); // a map 400 - 32 = 368 pixels high for 100 rows
    CDiffMap& map = view->DiffMap();
    EXPECT_EQ(map.geometry(), QRect(860, 16, 40, 368));
    const QImage bitmap = map.Bitmap();
    ASSERT_EQ(bitmap.size(), QSize(2, 368));
    const QImage shown = map.grab().toImage();
    int coloured = 0;
    for (int y = 0; y < 368; ++y) {
        EXPECT_EQ(shown.pixel(0, y), bitmap.pixel(0, y));
        EXPECT_EQ(shown.pixel(39, y), bitmap.pixel(1, y));
        coloured += bitmap.pixel(0, y) != kWhite;
    }
    // Fewer rows than pixel rows: each changed row is repeated over three or four pixel rows.
    EXPECT_GE(coloured, 3);
    EXPECT_LE(coloured, 4 * 8);
    EXPECT_EQ(bitmap.pixel(0, 0), kWhite);
}

// A view P = 30 rows high on 1000 rows.
class CompViewScroll : public CompView {
protected:
    void SetUp() override {
        Open(std::string(8000, 's'), std::string(8000, 's'), 8, true, {900, 512});
        ASSERT_EQ(doc->Lines().GetCount(), 1000u);
        ASSERT_EQ(view->VertBar().GetPage(), 30);
    }
    void Key(Qt::Key key, int times = 1) {
        for (int i = 0; i < times; ++i) {
            QTest::keyClick(view.get(), key);
        }
        QCoreApplication::processEvents();
    }
    void Wheel(int delta) {
        QWheelEvent event(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view.get(), &event);
        QCoreApplication::processEvents();
    }
};

// The arrows move the caret and the rows follow it once it would leave the 29 rows wholly shown; a
// page turns the rows with it; the wheel and Ctrl+Up scroll without it.
TEST_F(CompViewScroll, KeysWheelAndResizeKeepTheTopRowUpToTheLastReachableRow) {
    Key(Qt::Key_Down, 28);
    EXPECT_EQ(view->TopLine(), 0);
    Key(Qt::Key_Down);
    EXPECT_EQ(view->TopLine(), 1);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(view->TopLine(), 30);
    EXPECT_EQ(view->Caret(), 58u * 8);
    Key(Qt::Key_Up);
    EXPECT_EQ(view->TopLine(), 30);
    Wheel(-120);
    EXPECT_EQ(view->TopLine(), 33);
    Wheel(120);
    EXPECT_EQ(view->TopLine(), 30);
    Key(Qt::Key_Home);
    Key(Qt::Key_End);
    EXPECT_EQ(view->TopLine(), 30);
    QTest::keyClick(view.get(), Qt::Key_Up, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->TopLine(), 29);
    EXPECT_EQ(view->Caret(), 57u * 8 + 7) << "Ctrl+Up leaves the caret";
    Key(Qt::Key_PageDown, 200);
    EXPECT_EQ(view->TopLine(), 971);
    EXPECT_EQ(view->VertBar().GetPos(), 971);
    // A resize keeps the top row in range: the last row stays in view, or all rows do.
    view->resize(900, 256); // P = 14
    EXPECT_EQ(view->TopLine(), 971);
    view->resize(900, 1024); // P = 62
    EXPECT_EQ(view->TopLine(), 1000 - 62 + 1);
    view->resize(900, 20000);
    EXPECT_EQ(view->TopLine(), 0);
}

TEST_F(CompViewScroll, NarrowWindowsScrollByPixels) {
    EXPECT_FALSE(view->HorzBar().isEnabled()) << "both panes fit";
    view->resize(500, 512);
    ASSERT_TRUE(view->HorzBar().isEnabled());
    EXPECT_EQ(view->HorzBar().maximum(), 848 - 460 + 1);
    EXPECT_EQ(view->HorzBar().pageStep(), 460);
    view->HorzBar().triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(view->HorzPos(), 10);
    EXPECT_EQ(Part(Grab(), 25 - 10, 5, 6), TextImage("Offset", kHeader));
    view->HorzBar().triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(view->HorzPos(), 389);
    view->HorzBar().triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(view->HorzPos(), 379);
    view->resize(1000, 512);
    EXPECT_FALSE(view->HorzBar().isEnabled());
    EXPECT_EQ(view->HorzPos(), 0);
    EXPECT_EQ(Part(Grab(), 25, 5, 6), TextImage("Offset", kHeader));
}

TEST_F(CompView, TopRowsPastSixteenBitsArriveWhole) {
    Open(std::string(8 * 70'100, 's'), std::string(8 * 70'100, 's'), 8, false, {900, 512});
    view->VertBar().SetPos(69'999);
    view->VertBar().LineDown();
    QCoreApplication::processEvents();
    EXPECT_EQ(view->TopLine(), 70'000);
    EXPECT_EQ(Part(Grab(), 16, RowY(0), 8), TextImage("00088B80", kHeader));
}

// Rows: Same, Deleted, New, Same ... at 8 bytes per line; Next goes to the Deleted run, then the New
// one, then stays. The rows fit the window, so the bar stays at 0 while the top row moves.
TEST_F(CompView, ChangesAreReachedThroughTheCommandRoute) {
    settings.lookAhead = 0;
    Open(std::string(8, 's') + "deleted!" + std::string(40, 't'),
         std::string(8, 's') + "NEWBYTES" + std::string(40, 't'));
    const CCommandRouter::Route route{view.get(), doc.get()};
    EXPECT_TRUE(CCommandRouter::Update(route, Res::kPreviousChange).enabled);
    EXPECT_FALSE(CCommandRouter::Update(route, Res::kFileSave).enabled) << "nobody on the route handles it";
    std::vector<std::int64_t> tops;
    for (int id :
         {Res::kNextChange, Res::kNextChange, Res::kNextChange, Res::kPreviousChange, Res::kPreviousChange}) {
        EXPECT_TRUE(CCommandRouter::Execute(route, id));
        tops.push_back(view->TopLine());
    }
    EXPECT_EQ(tops, (std::vector<std::int64_t>{1, 2, 2, 1, 1}));
    EXPECT_EQ(view->VertBar().GetPos(), 0);
}

// Every character the views print, drawn between two empty cells, inks its own cell and no other,
// but for the line characters that join their neighbours.
TEST(CharGrid, TheBundledFontFillsNineBySixteenCells) {
    const CCharGrid grid;
    ASSERT_TRUE(grid.IsValid());
    EXPECT_TRUE(grid.HasCellAdvance());
    for (int c = 0x21; c < 0x100; ++c) {
        if (c >= 0x7F && c <= 0xA0) {
            continue;
        }
        QImage image(27, 48, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setPen(Qt::black);
        const char text = static_cast<char>(c);
        grid.DrawText(painter, 9, 16, std::string_view(&text, 1));
        painter.end();
        const QRect cell = c == '_' || c == 0xAF ? QRect(8, 16, 11, 16) : QRect(9, 16, 9, 16);
        EXPECT_GT(Ink(image, cell), 0) << "character " << c;
        EXPECT_EQ(Ink(image, image.rect()), Ink(image, cell)) << "character " << c;
    }
}

// A view of more rows than 32 bits count.
struct HugeDocument : CHexDocument {
    HugeDocument() : CHexDocument(false, nullptr) {}
    bool OnOpenDocument(const std::string&) override { return true; }
    std::int32_t BytesPerLine() const override { return 16; }
    std::int32_t MaxBytesPerLine() const override { return 16; }
    void SetBytesPerLine(std::int32_t) override {}
    void Reload() override {}
};

class HugeView : public CHexView {
public:
    explicit HugeView(CDocument& document) : CHexView(document, 16, nullptr) {}
    using CHexView::JumpTo;
    QString RowText(std::int64_t row) const override { return QString::number(row); }
    std::optional<std::int64_t> RowOfOffset(int, std::uint64_t offset, std::uint64_t&) const override {
        return static_cast<std::int64_t>(offset);
    }

protected:
    std::int64_t RowCount() const override { return 600'000'000'000; }
    int ContentWidth() const override { return 100; }
    int VertBarX() const override { return 0; }
    void Draw(QPainter&) override {}
};

// The rows of a file of some terabytes: the bar, the wheel and a jump all reach every one of them.
TEST(HexView, TheBarAndAJumpReachRowsPastThirtyTwoBits) {
    HugeDocument doc;
    HugeView view(doc);
    view.resize(300, 300);
    view.show();
    view.OnInitialUpdate();
    EXPECT_EQ(view.VertBar().GetMaximum(), 600'000'000'000);
    view.JumpTo(400'000'000'000);
    EXPECT_EQ(view.TopLine(), 400'000'000'000);
    EXPECT_EQ(view.VertBar().GetPos(), 400'000'000'000);
    EXPECT_NEAR(view.VertBar().ThumbStart(), view.VertBar().TrackLength() * 2 / 3, 1);
    QWheelEvent down(QPointF(50, 50), view.mapToGlobal(QPointF(50, 50)), {}, QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &down);
    EXPECT_TRUE(Eventually([&] { return view.TopLine() == 400'000'000'003; })) << view.TopLine();
    // A click near the end of the track puts the thumb there, among the last rows.
    QTest::mouseClick(&view.VertBar(), Qt::LeftButton, {}, QPoint(8, view.VertBar().height() - 17));
    EXPECT_TRUE(Eventually([&] { return view.TopLine() == view.VertBar().GetPos(); })) << view.TopLine();
    EXPECT_GT(view.TopLine(), 590'000'000'000);
}

} // namespace
