#include <array>
#include <string>

#include <QCoreApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include "browser/comparebar.h"
#include "compare/compdoc.h"
#include "platform/view.h"
#include "views/viewdoc.h"
#include "views/windowhost.h"
#include "windowfixture.h"

namespace {

const QString kNoTarget = "No target file selected";
const QString kSelectTwo = "Please select 2 target files first.";

// A compare bar of its own, floating, whose comparisons open in a window host.
class CompareBar : public CWindowFixture {
protected:
    CompareBar() {
        CTempDir::Write(dir / "a", "first file");
        CTempDir::Write(dir / "b", "second file");
        host.resize(1000, 600);
        host.show();
        bar.show();
    }

    QLabel* Label(const char* name) const { return bar.findChild<QLabel*>(name); }
    QPushButton* Button() const { return bar.findChild<QPushButton*>("59409"); }
    int Windows() const { return static_cast<int>(host.MdiArea().subWindowList().size()); }

    // Drags `urls` over the bar at `at` (bar coordinates) and drops them there: whether the drag was
    // accepted.
    bool Drop(const QList<QUrl>& urls, QPoint at, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&bar, &enter);
        QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&bar, &drop);
        EXPECT_EQ(enter.isAccepted(), drop.isAccepted());
        if (drop.isAccepted()) {
            EXPECT_NE(drop.dropAction(), Qt::MoveAction) << "the source must keep its file";
        }
        return drop.isAccepted();
    }
    QPoint Over(QWidget* child, int x) const { return child->mapTo(&bar, QPoint(x, child->height() / 2)); }
    std::string Path(const char* name) const { return dir / name; }
    QUrl File(const char* name) const { return QUrl::fromLocalFile(Q(Path(name))); }
    using Pair = std::pair<std::string, std::string>;
    Pair Slots() const { return {bar.Targets().target1, bar.Targets().target2}; }

    CWindowHost host{settings, store, CBackgroundWork::Thread::Caller};
    DCCompareBar bar{store, host.CompTemplate()};
};

TEST_F(CompareBar, ComparesOnlyWhenBothSlotsAreSetAndKeepsThem) {
    bar.StartCompare();
    bar.SetTarget1(Path("a"));
    bar.StartCompare();
    EXPECT_EQ(Messages(CPrompts::Icon::Information), std::vector<QString>(2, kSelectTwo));
    EXPECT_EQ(Windows(), 0);

    bar.SetTarget2(Path("a"));
    EXPECT_EQ(Slots(), Pair(Path("a"), Path("a")));
    Button()->click();
    ASSERT_EQ(Windows(), 1);
    EXPECT_EQ(host.MdiArea().activeSubWindow()->windowTitle(), Q(Path("a") + " : " + Path("a")));
    bar.SetTarget2(Path("b"));
    bar.StartCompare();
    EXPECT_EQ(Windows(), 2);

    bar.ClearTargets();
    EXPECT_EQ(Label("target1")->text(), kNoTarget);
    EXPECT_EQ(Label("target2")->text(), kNoTarget);
    EXPECT_EQ(Slots(), Pair());
    bar.StartCompare();
    EXPECT_EQ(Messages(CPrompts::Icon::Information), std::vector<QString>{kSelectTwo});
}

TEST_F(CompareBar, SnapshotsShowTheirNameButArePassedByReference) {
    TakeSnapshots(3);
    bar.SetTarget1("*3");
    bar.SetTarget2(Path("b"));
    EXPECT_EQ(Label("target1")->text(), "snap3");
    EXPECT_EQ(Slots(), Pair("*3", Path("b")));
    bar.StartCompare();
    ASSERT_EQ(Windows(), 1);
    EXPECT_EQ(host.MdiArea().activeSubWindow()->windowTitle(), "snap3 : " + Q(Path("b")));

    bar.SetTarget2("*2 and more");
    EXPECT_EQ(Label("target2")->text(), "*2 and more") << "a file name, not a reference";
    bar.SetTarget1(Path("a"));
    EXPECT_EQ(Slots(), Pair(Path("a"), "*2 and more")) << "a plain file drops the reference";
}

TEST_F(CompareBar, LabelsShowTextAsItIsAndShortenLongPathsInTheMiddle) {
    bar.SetTarget1("/tmp/salt & pepper");
    EXPECT_EQ(Label("target1")->text(), "/tmp/salt & pepper");
    const QString deep = "/home/user" + QString("/folder").repeated(40) + "/the-file.bin";
    bar.SetTarget2(deep.toStdString());
    const QString shown = Label("target2")->text();
    EXPECT_LT(Label("target2")->fontMetrics().horizontalAdvance(shown), Label("target2")->width() + 1);
    EXPECT_TRUE(shown.startsWith("/home/") && shown.endsWith("the-file.bin")) << shown.toStdString();
    EXPECT_EQ(Label("target2")->toolTip(), deep);
}

// The client is the children's parent; W is its width less a pixel on either side.
TEST_F(CompareBar, TheButtonKeepsAHundredPixelsAndTheLabelsShareTheRest) {
    QWidget* client = Button()->parentWidget();
    const auto layout = [&](int w) {
        client->resize(w + 2, 24);
        return std::array{Label("target1")->isVisibleTo(client) ? Label("target1")->geometry() : QRect(),
                          Button()->geometry(),
                          Label("target2")->isVisibleTo(client) ? Label("target2")->geometry() : QRect()};
    };
    EXPECT_EQ(layout(101), (std::array{QRect(), QRect(1, 1, 101, 22), QRect()}));
    EXPECT_EQ(layout(300),
              (std::array{QRect(1, 1, 100, 22), QRect(101, 1, 100, 22), QRect(201, 1, 100, 22)}));
    EXPECT_EQ(layout(301),
              (std::array{QRect(1, 1, 100, 22), QRect(101, 1, 101, 22), QRect(202, 1, 100, 22)}));
    EXPECT_EQ(layout(102), (std::array{QRect(1, 1, 1, 22), QRect(2, 1, 100, 22), QRect(102, 1, 1, 22)}));
}

TEST_F(CompareBar, FloatsAt600By26AndDocksAcrossTheWindow) {
    EXPECT_EQ(bar.size(), QSize(600, 26));

    auto* docked = new DCCompareBar(store, host.CompTemplate());
    host.addToolBar(Qt::TopToolBarArea, docked);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(docked->geometry(), QRect(0, 0, host.width(), 26));
    QLabel* label1 = docked->findChild<QLabel*>("target1");
    QPushButton* button = docked->findChild<QPushButton*>("59409");
    EXPECT_EQ(label1->width(), docked->findChild<QLabel*>("target2")->width());
    EXPECT_GT(label1->width(), 400);
    EXPECT_EQ(button->height(), 24) << "the children take the bar's full height less a pixel each side";

    // Dragged out by its handle, it floats at the floating size.
    const QPoint handle(label1->mapTo(docked, QPoint(0, 0)).x() / 2, 13);
    QTest::mousePress(docked, Qt::LeftButton, {}, handle);
    QTest::mouseMove(docked, handle + QPoint(30, 100));
    QTest::mouseRelease(docked, Qt::LeftButton, {}, handle + QPoint(60, 150));
    EXPECT_TRUE(docked->isFloating());
    EXPECT_EQ(docked->size(), QSize(600, 26));
}

TEST_F(CompareBar, AFileDroppedOnALabelOrTheNearerHalfOfTheButtonSetsThatSlot) {
    EXPECT_TRUE(Drop({File("a")}, Over(Label("target2"), 5)));
    EXPECT_EQ(Slots(), Pair("", Path("a")));
    EXPECT_TRUE(Drop({File("b")}, Over(Label("target1"), 200)));
    EXPECT_EQ(Slots(), Pair(Path("b"), Path("a")));
    EXPECT_TRUE(Drop({File("a")}, Over(Button(), 30)));
    EXPECT_TRUE(Drop({File("b")}, Over(Button(), 70)));
    EXPECT_EQ(Slots(), Pair(Path("a"), Path("b")));
    EXPECT_TRUE(Drop({File("b"), File("a")}, Over(Button(), 70), Qt::LinkAction));
    EXPECT_EQ(Slots(), Pair(Path("b"), Path("a"))) << "two files fill both slots in order";
}

TEST_F(CompareBar, DropsOfAnythingButOneOrTwoLocalFilesAreRefused) {
    const QPoint at = Over(Label("target1"), 5);
    EXPECT_FALSE(Drop({QUrl("https://example.org/a.bin")}, at));
    EXPECT_FALSE(Drop({File("a"), QUrl("https://example.org/a.bin")}, at));
    EXPECT_FALSE(Drop({File("a"), File("b"), File("a")}, at));
    EXPECT_FALSE(Drop({File("a")}, at, Qt::MoveAction));
    EXPECT_EQ(Slots(), Pair());
}

// File names are bytes: one that is not UTF-8, and one with "?" in it, are dropped, compared, viewed
// and logged as the files they name.
TEST_F(CompareBar, AnyFileNameIsComparedViewedAndLogged) {
    const std::string latin1 = dir / "caf\xE9.bin";
    const std::string question = dir / "a?b.bin";
    CTempDir::Write(latin1, "caf\xE9 data");
    CTempDir::Write(question, "cafe data");
    const QByteArray url = "file://" + QByteArray::fromStdString(latin1).toPercentEncoding("/");
    EXPECT_TRUE(Drop({QUrl::fromEncoded(url), File("a?b.bin")}, Over(Button(), 30)));
    EXPECT_EQ(Slots(), Pair(latin1, question));
    bar.StartCompare();
    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages[0].text.toStdString();
    ASSERT_EQ(Windows(), 1);
    auto* doc = qobject_cast<CCompDoc*>(
        &qobject_cast<CView*>(host.MdiArea().activeSubWindow()->widget())->GetDocument());
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->Size1(), 9u);
    EXPECT_EQ(doc->Size2(), 9u);

    prompts.fileAnswers.push_back(Q(dir / "log.txt"));
    doc->OnSaveLog();
    const std::string log = CTempDir::Read(dir / "log.txt");
    EXPECT_TRUE(log.starts_with("Dyadmon v3.0 log file.")) << log;
    EXPECT_NE(log.find(" E9 "), std::string::npos) << log;
    EXPECT_NE(log.find(" 65 "), std::string::npos) << log;

    const CViewDoc* viewer = host.OpenViewer(latin1);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->Size(), 9u);
    EXPECT_TRUE(prompts.messages.empty());
}

} // namespace
