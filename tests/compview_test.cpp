#include <array>
#include <set>

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "compare/compdoc.h"
#include "compare/core/compsettings.h"
#include "platform/commandrouter.h"
#include "platform/promptrecorder.h"
#include "recordedmessages.h"
#include "res/resource.h"
#include "snapshots/core/snapshotstore.h"
#include "tempdir.h"
#include "views/chargrid.h"
#include "views/compview.h"
#include "views/diffmap.h"
#include "views/linescrollbar.h"

namespace {

// A compare document on two files of the test's own, with its view laid out at a known size.
class CompView : public ::testing::Test {
protected:
    CompView() {
        settings.askBeforeCompare = false;
        settings.unitSize = 1;
        settings.lookAhead = 10;
        store.LoadCatalogue(dir.path().string());
    }

    CCompView& Open(const std::string& data1, const std::string& data2, int bytesPerLine = 8,
                    bool ansi = true, QSize size = {900, 400}) {
        CTempDir::Write(dir / "one", data1);
        CTempDir::Write(dir / "two", data2);
        doc = std::make_unique<CCompDoc>(settings, store, nullptr);
        doc->SetBytesPerLine(bytesPerLine);
        doc->SetAnsi(ansi);
        EXPECT_TRUE(doc->OnOpenDocument(CCompareTargets{dir / "one", dir / "two"}.Join()));
        view = std::make_unique<CCompView>(*doc, settings);
        view->resize(size);
        view->show();
        view->OnInitialUpdate();
        doc->LoadAndCompare();
        return *view;
    }
    QImage Grab() { return view->grab().toImage(); }

    CTempDir dir;
    CRecordedMessages messages;
    CSnapshotStore store{messages};
    CCompSettings settings;
    CPromptRecorder prompts;
    std::unique_ptr<CCompDoc> doc;
    std::unique_ptr<CCompView> view;
};

bool HasInk(const QImage& image, QRect area, QRgb colour) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixel(x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

// `text` as the grid draws it in `colour` on white, to hold against a part of a view.
QImage TextImage(std::string_view text, QRgb colour) {
    QImage image(9 * static_cast<int>(text.size()), 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QColor(colour));
    CCharGrid().DrawText(painter, 0, 0, text);
    return image;
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
    Open(std::string(16, 'a'), std::string(16, 'a'));
    const QImage image = Grab();
    // 8 bytes per line with the ANSI column: W = 424.
    EXPECT_EQ(CHexView::PaneWidth(8, true), 424);
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
}

TEST_F(CompView, WithoutAnsiThePanesAreNarrower) {
    Open(std::string(16, 'a'), std::string(16, 'a'), 8, false);
    const QImage image = Grab();
    const int w = CHexView::PaneWidth(8, false);
    EXPECT_EQ(w, 336);
    EXPECT_EQ(Part(image, w + 25, 5, 6), TextImage("Offset", kHeader));
    EXPECT_EQ(image.pixel(27 * 8 + 112, 60), kWhite);
}

TEST_F(CompView, EachKindShowsInItsPanesInItsColour) {
    settings.m_clrNew = 0x0000C8;
    settings.m_clrDelete = 0x00C800;
    settings.m_clrMoveFrom = 0xC80000;
    settings.m_clrMoveTo = 0xC800C8;
    // A changed stretch, an inserted one and two swapped ones, one row each at 8 bytes per line.
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
    const QImage image = Grab();
    const int w = CHexView::PaneWidth(8, true);
    std::set<BlockKind> seen;
    for (std::uint64_t r = 0; r < doc->Lines().GetCount(); ++r) {
        const CompLine row = doc->Lines().GetAt(r);
        seen.insert(row.kind);
        const std::uint32_t value =
            std::array{settings.m_clrCommon, settings.m_clrNew, settings.m_clrDelete, settings.m_clrMoveFrom,
                       settings.m_clrMoveTo}[static_cast<int>(row.kind)];
        const QRgb colour = qRgb(value & 0xFF, (value >> 8) & 0xFF, value >> 16);
        const QRect left(100, RowY(static_cast<int>(r)), w - 110, 16);
        const QRect right = left.translated(w, 0);
        const bool file1 =
            row.kind == BlockKind::Same || row.kind == BlockKind::Deleted || row.kind == BlockKind::MoveFrom;
        const bool file2 =
            row.kind == BlockKind::Same || row.kind == BlockKind::New || row.kind == BlockKind::MoveTo;
        EXPECT_EQ(HasInk(image, left, colour), file1) << "row " << r;
        EXPECT_EQ(HasInk(image, right, colour), file2) << "row " << r;
        EXPECT_EQ(HasInk(image, QRect(5, RowY(static_cast<int>(r)), 85, 16), kHeader), file1) << "row " << r;
    }
    EXPECT_EQ(seen.size(), 5u) << "every kind appears";
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

TEST_F(CompView, ControlCharactersShowAsDotsInTheAnsiColumn) {
    const std::string bytes("\x2E\x80\x9F\x7F\xA0\xFF\x41\x1F", 8);
    Open(bytes, bytes);
    const QImage image = Grab();
    EXPECT_EQ(Part(image, 120 + 27 * 8, RowY(0), 8), TextImage("....\xA0\xFF"
                                                               "A.",
                                                               kBlack));
    EXPECT_EQ(Part(image, 120 + 27 * 8, RowY(0), 8), TextImage(".... \xFF"
                                                               "A.",
                                                               kBlack));
}

TEST_F(CompView, AnEmptyResultPaintsTheHeaderOnlyAndAWhiteMap) {
    Open("", "");
    EXPECT_EQ(doc->GetTitle(),
              QString::fromStdString(dir / "one") + " : " + QString::fromStdString(dir / "two"));
    const QImage image = Grab();
    EXPECT_TRUE(HasInk(image, QRect(0, 0, 100, 20), kHeader));
    EXPECT_FALSE(HasInk(image, QRect(0, RowY(0), 860, 16), kHeader));
    const QImage map = view->DiffMap().grab().toImage();
    EXPECT_FALSE(HasInk(map, map.rect(), kBlack));
    EXPECT_EQ(map.pixel(3, map.height() / 2), kWhite);
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

TEST_F(CompViewScroll, KeysAndWheelMoveByRowsUpToTheLastReachableRow) {
    Key(Qt::Key_Down);
    EXPECT_EQ(view->TopLine(), 1);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(view->TopLine(), 11);
    Key(Qt::Key_Up);
    EXPECT_EQ(view->TopLine(), 10);
    Wheel(-120);
    EXPECT_EQ(view->TopLine(), 13);
    Wheel(120);
    EXPECT_EQ(view->TopLine(), 10);
    Key(Qt::Key_Home);
    Key(Qt::Key_End);
    EXPECT_EQ(view->TopLine(), 10);
    Key(Qt::Key_PageDown, 200);
    EXPECT_EQ(view->TopLine(), 971);
    EXPECT_EQ(view->VertBar().GetPos(), 971);
    Key(Qt::Key_PageUp, 98);
    EXPECT_EQ(view->TopLine(), 0);
}

TEST_F(CompViewScroll, ResizeKeepsTheTopRowInRange) {
    Key(Qt::Key_PageDown, 200);
    view->resize(900, 256); // P = 14
    EXPECT_EQ(view->TopLine(), 971);
    view->resize(900, 1024); // P = 62: the top row moves up so the last row stays in view
    EXPECT_EQ(view->TopLine(), 1000 - 62 + 1);
    view->resize(900, 20000); // taller than the rows: back to 0
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

TEST_F(CompView, ChangesAreReachedThroughTheCommandRoute) {
    // Rows: Same, Deleted, New, Same ... at 8 bytes per line; Next goes to the Deleted run, then the
    // New one, then stays. The rows fit the window, so the bar stays at 0 while the top row moves.
    settings.lookAhead = 0;
    Open(std::string(8, 's') + "deleted!" + std::string(40, 't'),
         std::string(8, 's') + "NEWBYTES" + std::string(40, 't'));
    const CCommandRouter::Route route{view.get(), doc.get()};
    EXPECT_TRUE(CCommandRouter::Update(route, Res::kNextChange).enabled);
    EXPECT_TRUE(CCommandRouter::Update(route, Res::kPreviousChange).enabled);
    EXPECT_FALSE(CCommandRouter::Update(route, Res::kFileSave).enabled) << "nobody on the route handles it";
    std::vector<std::int32_t> tops;
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(CCommandRouter::Execute(route, Res::kNextChange));
        tops.push_back(view->TopLine());
    }
    EXPECT_EQ(tops, (std::vector<std::int32_t>{1, 2, 2}));
    EXPECT_EQ(view->VertBar().GetPos(), 0);
    CCommandRouter::Execute(route, Res::kPreviousChange);
    EXPECT_EQ(view->TopLine(), 1);
    CCommandRouter::Execute(route, Res::kPreviousChange);
    EXPECT_EQ(view->TopLine(), 1);
}

} // namespace

namespace {

TEST(CharGrid, TheBundledFontFillsNineBySixteenCells) {
    const CCharGrid grid;
    ASSERT_TRUE(grid.IsValid());
    EXPECT_TRUE(grid.HasCellAdvance());
    // Every character the views print stays inside its own row, and inside its own cell but for the
    // line characters that join their neighbours, when drawn between two empty cells.
    for (int c = 0x21; c < 0x100; ++c) {
        if (c >= 0x7F && c <= 0xA0) {
            continue;
        }
        QImage image(27, 48, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setPen(Qt::black);
            const char text = static_cast<char>(c);
            grid.DrawText(painter, 9, 16, std::string_view(&text, 1));
        }
        bool inked = false;
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 27; ++x) {
                if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                    inked = true;
                    const bool joins = c == '_' || c == 0xAF;
                    EXPECT_TRUE(y >= 16 && y < 32) << "character " << c << " at " << x << "," << y;
                    EXPECT_TRUE((x >= 9 && x < 18) || (joins && (x == 8 || x == 18)))
                        << "character " << c << " at " << x << "," << y;
                }
            }
        }
        EXPECT_TRUE(inked) << "character " << c;
    }
}

} // namespace

namespace {

// A view of more rows than the scroll bar counts.
class HugeDocument : public CDocument {
public:
    bool OnOpenDocument(const std::string&) override { return true; }
};

class HugeView : public CHexView {
public:
    explicit HugeView(CDocument& document) : CHexView(document, 16, nullptr) {}
    using CHexView::JumpTo;

protected:
    std::int64_t RowCount() const override { return 3'000'000'000; }
    int ContentWidth() const override { return 100; }
    int VertBarX() const override { return 0; }
    void Draw(QPainter&) override {}
};

TEST(HexView, AJumpReachesRowsPastThirtyTwoBits) {
    HugeDocument doc;
    HugeView view(doc);
    view.resize(300, 300);
    view.show();
    view.OnInitialUpdate();
    view.JumpTo(2'500'000'000);
    EXPECT_EQ(view.TopLine(), 2'500'000'000);
    EXPECT_EQ(view.VertBar().GetPos(), view.VertBar().GetMaximum() - view.VertBar().GetPage() + 1)
        << "the bar stays at its end";
}

} // namespace
