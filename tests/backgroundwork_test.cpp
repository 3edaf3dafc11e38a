#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include "compare/compdoc.h"
#include "files/mappingguard.h"
#include "platform/backgroundwork.h"
#include "platform/progresspanel.h"
#include "platform/view.h"
#include "res/resource.h"
#include "views/windowhost.h"
#include "windowfixture.h"

namespace {

// Twelve megabytes, so that every step reports more than once before it ends.
std::string Bytes(std::uint32_t seed) {
    std::string bytes(12u << 20, '\0');
    std::mt19937 rng(seed);
    for (char& c : bytes) {
        c = static_cast<char>(rng() % 7);
    }
    return bytes;
}

class Background : public CWindowFixture {
protected:
    Background() {
        settings.unitSize = 8;
        settings.lookAhead = 10;
        const std::string data = Bytes(1);
        std::string changed = data;
        changed.insert(5u << 20, "inserted");
        changed.erase(9u << 20, 100);
        CTempDir::Write(dir / "one", data);
        CTempDir::Write(dir / "two", changed);
        host.resize(800, 600);
        host.show();
        QApplication::setActiveWindow(&host);
    }

    CCompDoc* Compare() { return host.OpenCompare(dir / "one", dir / "two"); }
    void Idle() {
        WaitUntilIdle(work);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    int Windows() const { return static_cast<int>(host.MdiArea().subWindowList().size()); }

    CWindowHost host{settings, store};
    CBackgroundWork& work = *host.Work();
};

// Stopped while reading either file or comparing, by the Cancel button or Esc, a first comparison
// takes its window away and says nothing; the window's thread runs throughout.
TEST_F(Background, StoppingAFirstComparisonLeavesNoWindow) {
    const struct {
        QString step;
        bool escape;
    } cases[] = {
        {"Reading " + Q(dir / "one"), false}, {"Reading " + Q(dir / "two"), true}, {"Comparing", false}};
    for (const auto& c : cases) {
        CWorkHold hold(work, c.step);
        QElapsedTimer since;
        since.start();
        ASSERT_NE(Compare(), nullptr);
        hold.Reached();
        EXPECT_TRUE(work.IsBusy());
        bool ticked = false;
        QTimer::singleShot(0, [&ticked] { ticked = true; });
        while (!ticked) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        EXPECT_TRUE(host.ProgressPanel().isHidden() || since.elapsed() >= CProgressPanel::kShowAfterMs)
            << "not before half a second";
        if (c.escape) {
            QTest::keyClick(&host, Qt::Key_Escape);
        } else {
            host.ProgressPanel().CancelButton()->click();
        }
        Idle();
        EXPECT_EQ(Windows(), 0) << c.step.toStdString();
        EXPECT_TRUE(Messages().empty());
        EXPECT_EQ(host.StatusText(), "Ready");
    }
}

// A comparison done in the background gives the rows of one done at once, and each step reports its
// end exactly once, after reports that only rise.
TEST_F(Background, FinishesWithTheForegroundRowsAndReportsEachEndOnce) {
    std::mutex mutex;
    std::map<QString, std::vector<std::uint64_t>> reports;
    work.SetReportHook([&](const CBackgroundWork::State& state) {
        const std::lock_guard lock(mutex);
        EXPECT_NE(state.total, 0u);
        reports[state.text].push_back(state.done * 1000 / state.total);
    });
    CCompDoc* background = Compare();
    ASSERT_NE(background, nullptr);
    Idle();
    ASSERT_EQ(Windows(), 1);
    std::unique_ptr<CCompDoc> foreground = std::make_unique<CCompDoc>(settings, store, nullptr);
    ASSERT_TRUE(foreground->OnOpenDocument(CCompareTargets{dir / "one", dir / "two"}.Join()));
    ASSERT_TRUE(foreground->LoadAndCompare());
    EXPECT_GT(background->Lines().Blocks().size(), 3u);
    EXPECT_EQ(background->Lines().Blocks(), foreground->Lines().Blocks());
    EXPECT_EQ(background->Lines().GetCount(), foreground->Lines().GetCount());

    ASSERT_EQ(reports.size(), 3u);
    for (const auto& [step, permille] : reports) {
        // A file read mapped is there at once: its step reports its end alone.
        EXPECT_GE(permille.size(), step.startsWith("Comparing") ? 3u : 1u) << step.toStdString();
        EXPECT_TRUE(std::is_sorted(permille.begin(), permille.end())) << step.toStdString();
        EXPECT_EQ(std::count(permille.begin(), permille.end(), 1000), 1) << step.toStdString();
    }
}

// Stopping a later comparison keeps the rows, width and ANSI flag shown, and the window.
TEST_F(Background, StoppingAReloadKeepsWhatIsShown) {
    CCompDoc* doc = Compare();
    Idle();
    ASSERT_NE(doc, nullptr);
    const std::int32_t width = doc->BytesPerLine();
    const bool ansi = doc->IsAnsi();
    const std::uint64_t rows = doc->Lines().GetCount();
    for (const int command : {Res::kMoreColumns, Res::kViewAnsi}) {
        CWorkHold hold(work, "Comparing");
        EXPECT_TRUE(doc->OnCommand(command));
        hold.Reached();
        CommandState state;
        doc->OnUpdateCommand(Res::kSaveLog, state);
        EXPECT_FALSE(state.enabled) << "nothing else starts meanwhile";
        EXPECT_FALSE(doc->LoadAndCompare());
        work.Stop();
        Idle();
        EXPECT_EQ(Windows(), 1);
        EXPECT_EQ(doc->BytesPerLine(), width);
        EXPECT_EQ(doc->IsAnsi(), ansi);
        EXPECT_EQ(doc->Lines().GetCount(), rows);
    }
}

// A stopped log save leaves no file, not even a temporary one, and an earlier log as it was.
TEST_F(Background, StoppingTheLogSaveKeepsTheEarlierFile) {
    CCompDoc* doc = Compare();
    Idle();
    ASSERT_NE(doc, nullptr);
    CTempDir::Write(dir / "log.txt", "earlier log");
    CWorkHold hold(work, "Saving the log");
    prompts.fileAnswers.push_back(Q(dir / "log.txt"));
    doc->OnSaveLog();
    hold.Reached();
    work.Stop();
    Idle();
    EXPECT_EQ(CTempDir::Read(dir / "log.txt"), "earlier log");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"log.txt", "one", "store", "two"}));
    EXPECT_TRUE(Messages().empty());
}

// While the Compare Settings dialog waits for the user between reading and comparing, nothing runs:
// no progress bar, no Cancel, and a status bar that says so; the comparison then shows its own step.
TEST_F(Background, WhileTheSettingsAreAskedNothingShowsAsRunning) {
    settings.askBeforeCompare = true;
    CCompDoc doc(settings, store, &host);
    ASSERT_TRUE(doc.OnOpenDocument(CCompareTargets{dir / "one", dir / "two"}.Join()));
    int asked = 0;
    doc.SetSettingsAsker([&](CCompSettings&, std::int32_t&, std::int32_t&) {
        ++asked;
        // The user takes a while to answer, longer than the bar waits before it shows.
        QTest::qWait(2 * CProgressPanel::kShowAfterMs);
        EXPECT_TRUE(host.ProgressPanel().isHidden());
        EXPECT_EQ(host.StatusText(), "Ready");
        QTest::keyClick(&host, Qt::Key_Escape);
        return true;
    });
    ASSERT_TRUE(doc.LoadAndCompare());
    EXPECT_TRUE(Eventually([&] { return host.StatusText() == "Comparing ..." || !work.IsBusy(); }));
    Idle();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(doc.Lines().IsEmpty()) << "an Esc while nothing runs stops nothing";
    EXPECT_EQ(host.StatusText(), "Ready");
    EXPECT_TRUE(host.ProgressPanel().isHidden());
}

// A fifo is refused at once rather than waited on where no one could stop the wait.
TEST_F(Background, AFifoIsRefusedNotWaitedOn) {
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    CCompDoc* doc = host.OpenCompare(dir / "fifo", dir / "two");
    ASSERT_NE(doc, nullptr);
    Idle();
    EXPECT_EQ(Messages(), (std::vector<QString>{"Can't open the file " + Q(dir / "fifo") +
                                                ": it is not a regular file."}));
    EXPECT_TRUE(doc->Lines().IsEmpty());
}

} // namespace

namespace {

// A file that shrinks while it is compared (it is read mapped) neither crashes the program nor passes
// unnoticed: the comparison ends, reading zeros past the new end, and the window asks to compare again.
TEST_F(Background, AFileThatShrinksWhileComparedIsToldNotCrashedOn) {
    CMappingGuard::Install();
    // Once both files are read (mapped), before the comparison reads them.
    std::atomic<bool> shrunk{false};
    const std::string two = dir / "two";
    work.SetReportHook([&shrunk, two](const CBackgroundWork::State& state) {
        if (state.text.startsWith(QStringLiteral("Comparing")) && !shrunk.exchange(true)) {
            std::filesystem::resize_file(two, 4096);
        }
    });
    prompts.questionAnswers = {true};
    ASSERT_NE(Compare(), nullptr);
    Idle();
    work.SetReportHook(nullptr);
    ASSERT_EQ(Windows(), 1);
    // Asked once the result is shown, from the window's event loop.
    ASSERT_TRUE(Eventually([this] { return prompts.questions.size() == 1; }));
    EXPECT_TRUE(prompts.questions[0].startsWith("The file " + Q(dir / "two") + " changed after it was read"))
        << prompts.questions[0].toStdString();
    // Compared again as the file is now: nothing more to say.
    Idle();
    EXPECT_EQ(prompts.questions.size(), 1u);
    auto* doc = static_cast<CCompDoc*>(
        &static_cast<CView*>(host.MdiArea().activeSubWindow()->widget())->GetDocument());
    EXPECT_EQ(doc->Lines().Blocks().back().kind, BlockKind::Deleted) << "file 1's rest, now deleted";
}

} // namespace
