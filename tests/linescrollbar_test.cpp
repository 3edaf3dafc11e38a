#include <QCoreApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "views/linescrollbar.h"

namespace {

// A bar of `height` pixels with a range, a page and a position, and a record of what it told.
class ScrollBar : public ::testing::Test {
protected:
    void Make(int height, std::int64_t maximum, std::int64_t page, std::int64_t position = 0) {
        bar.resize(CLineScrollBar::kButton, height);
        bar.SetRange(0, maximum);
        bar.SetPage(page);
        bar.SetPos(position);
    }
    // The notifications are posted: they arrive once the events are processed.
    QList<std::int64_t> Told() {
        QCoreApplication::processEvents();
        QList<std::int64_t> told;
        for (const QList<QVariant>& call : spy) {
            told.push_back(call.at(0).value<std::int64_t>());
        }
        spy.clear();
        return told;
    }
    QRgb At(int x, int y) { return bar.grab().toImage().pixel(x, y); }
    QRgb Colour(QPalette::ColorRole role) const { return bar.palette().color(role).rgb(); }

    CLineScrollBar bar;
    QSignalSpy spy{&bar, &CLineScrollBar::Scrolled};
};

TEST_F(ScrollBar, ThumbIsProportionalAndEndsAtTheTrackEnd) {
    Make(332, 1000, 30, 971); // a 300-pixel track
    EXPECT_EQ(bar.TrackLength(), 300);
    EXPECT_EQ(bar.ThumbLength(), 9);
    EXPECT_EQ(bar.ThumbStart(), 291);
    // Outline on its first and last row, button face inside, the track's end right below.
    EXPECT_EQ(At(7, 16 + 291), Colour(QPalette::Shadow));
    EXPECT_EQ(At(7, 16 + 299), Colour(QPalette::Shadow));
    EXPECT_EQ(At(3, 16 + 295), Colour(QPalette::Button));
    EXPECT_EQ(At(5, 16 + 290), (5 + 16 + 290) % 2 != 0 ? Colour(QPalette::Base) : Colour(QPalette::Midlight));
    EXPECT_EQ(Told(), QList<std::int64_t>{}); // setters never tell
}

TEST_F(ScrollBar, OnePixelThumbIsMarkedAboveAndBelow) {
    Make(332, 10'000'000, 40, 5'000'000);
    ASSERT_EQ(bar.ThumbLength(), 1);
    const int s = bar.ThumbStart();
    EXPECT_EQ(At(7, s + 15), Colour(QPalette::Shadow));
    EXPECT_EQ(At(7, s + 16), Colour(QPalette::Shadow));
    EXPECT_EQ(At(7, s + 17), Colour(QPalette::Shadow));
    EXPECT_NE(At(7, s + 18), Colour(QPalette::Shadow));
}

TEST_F(ScrollBar, TrackClickCentresTheThumbAndDragIsClamped) {
    Make(332, 1000, 30);
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(5, 166));
    EXPECT_EQ(bar.GetPos(), 485);
    QTest::mouseMove(&bar, QPoint(5, -40));
    EXPECT_EQ(bar.GetPos(), 0);
    QTest::mouseMove(&bar, QPoint(5, 1000));
    EXPECT_EQ(bar.GetPos(), 1000 - 30 + 1);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(5, 1000));
    EXPECT_FALSE(bar.IsRepeating());
    // Moving after the release changes nothing.
    QTest::mouseMove(&bar, QPoint(5, 166));
    EXPECT_EQ(Told(), (QList<std::int64_t>{485, 0, 971}));
}

TEST_F(ScrollBar, ArrowsStepRepeatAndAlwaysTell) {
    Make(332, 1000, 30);
    bar.LineUp(); // at the minimum, still told
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(5, 330));
    EXPECT_TRUE(bar.IsRepeating());
    bar.AutoRepeat();
    bar.AutoRepeat();
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(5, 330));
    EXPECT_FALSE(bar.IsRepeating());
    bar.AutoRepeat(); // released: a late tick does nothing
    EXPECT_EQ(Told(), (QList<std::int64_t>{0, 1, 2, 3}));
    // A held arrow is drawn pressed: outline in the button shadow, the arrow one pixel lower.
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(At(0, 0), Colour(QPalette::Dark));
    EXPECT_EQ(At(8, 7), Colour(QPalette::ButtonText));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(At(0, 0), Colour(QPalette::Shadow));
    EXPECT_EQ(At(7, 6), Colour(QPalette::ButtonText));
}

TEST_F(ScrollBar, PageAndPositionStayInsideTheRange) {
    Make(332, 99, 10, 95);
    EXPECT_EQ(bar.GetPos(), 90);
    bar.SetPage(500);
    EXPECT_EQ(bar.GetPage(), 100);
    bar.SetPos(77);
    EXPECT_EQ(bar.GetPos(), 0);
    bar.SetRange(0, 9); // the page shrinks with the range
    EXPECT_EQ(bar.GetPage(), 10);
}

TEST_F(ScrollBar, ShortControlsHaveNoTrack) {
    Make(32, 1000, 30, 100);
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(5, 16));
    EXPECT_TRUE(bar.IsRepeating());
    EXPECT_EQ(bar.GetPos(), 100);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(5, 16));
    EXPECT_EQ(Told(), QList<std::int64_t>{});
    // Lower than 32 pixels the buttons overlap, and y of 16 or more is the down button.
    bar.resize(CLineScrollBar::kButton, 24);
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(5, 16));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(5, 16));
    EXPECT_EQ(Told(), QList<std::int64_t>{101});
}

} // namespace
