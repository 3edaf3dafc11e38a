// Costs of the views that must not grow with the rows: the difference map's pixels, one screen painted
// far down a long result, and the viewer's memory beside the file it holds; and the time from
// "Compare!" to the first painted screen on two identical 1 GiB files, beside cmp on the same pair.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <benchmark/benchmark.h>

#include "cachedfile.h"
#include "compare/compdoc.h"
#include "compare/core/complines.h"
#include "compare/core/compsettings.h"
#include "platform/backgroundwork.h"
#include "platform/promptrecorder.h"
#include "snapshots/core/snapshotstore.h"
#include "snapshots/core/storemessages.h"
#include "views/compview.h"
#include "views/core/diffmapcolors.h"
#include "views/linescrollbar.h"
#include "views/viewdoc.h"
#include "views/viewview.h"
#include "views/windowhost.h"

extern char** environ;

namespace {

constexpr std::size_t kMiB = 1u << 20;
constexpr int kScreenWidth = 1000;
constexpr int kScreenHeight = 800;
// Room past the last top row asked for, so a full screen still fits below it.
constexpr std::size_t kLongFileSize = 50'000'000 + 4096;
constexpr const char* kViewerChild = "--viewer-child";

class QuietMessages : public CStoreMessages {
public:
    void ShowError(const std::string&) override {}
    void ShowNotice(const std::string&) override {}
};

// ~10M bytes in `count` blocks cycling through every kind, each a whole number of 10-byte lines on
// both sides, so 10 bytes per line gives a tenth of the rows of 1 byte per line from the same list.
struct DiffMapInput {
    CompBlockList blocks;
    std::uint32_t size1 = 0;
    std::uint32_t size2 = 0;
};

DiffMapInput MakeBlocks(std::size_t count) {
    const auto length = static_cast<std::uint32_t>(10'000'000 / count);
    DiffMapInput in;
    in.blocks.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        switch (i % 6) {
        case 0:
        case 3:
            in.blocks.push_back({BlockKind::Same, length, in.size1, in.size2});
            in.size1 += length;
            in.size2 += length;
            break;
        case 1:
            in.blocks.push_back({BlockKind::Deleted, length, in.size1, CompBlock::kAbsent});
            in.size1 += length;
            break;
        case 2:
            in.blocks.push_back({BlockKind::New, length, in.size2, CompBlock::kAbsent});
            in.size2 += length;
            break;
        case 4:
            in.blocks.push_back({BlockKind::MoveFrom, length, in.size1, in.size2});
            in.size1 += length;
            break;
        case 5:
            in.blocks.push_back({BlockKind::MoveTo, length, in.size2, in.size1});
            in.size2 += length;
            break;
        }
    }
    return in;
}

// Args: blocks, bytes per line.
void BM_BuildDiffMap(benchmark::State& state) {
    DiffMapInput in = MakeBlocks(static_cast<std::size_t>(state.range(0)));
    const CCompLines lines(std::move(in.blocks), 1, in.size1, in.size2, static_cast<int>(state.range(1)));
    const CDiffMapColors::Colors colors{CCompSettings::kDefaultDeleteColor,
                                        CCompSettings::kDefaultMoveFromColor, CCompSettings::kDefaultNewColor,
                                        CCompSettings::kDefaultMoveToColor};
    for (auto _ : state) {
        benchmark::DoNotOptimize(CDiffMapColors::Build(lines, 1000, colors).data());
    }
    state.counters["rows"] = static_cast<double>(lines.GetCount());
}
BENCHMARK(BM_BuildDiffMap)
    ->ArgNames({"blocks", "bytesPerLine"})
    ->Args({1000, 1})
    ->Args({1000, 10})
    ->Args({1'000'000, 1})
    ->Args({1'000'000, 10})
    ->Unit(benchmark::kMicrosecond);

std::string LongFile(int which) {
    return CachedRandomFile("/tmp/dyad-bench-rows-" + std::to_string(which) + ".bin", kLongFileSize, 11);
}

// Moves the top row the way the user's bar does, through its queued notification.
bool ScrollTo(CHexView& view, std::int32_t row) {
    if (row > 0) {
        view.VertBar().SetPos(row - 1);
        view.VertBar().LineDown();
    } else {
        view.VertBar().SetPos(row + 1);
        view.VertBar().LineUp();
    }
    QCoreApplication::processEvents();
    return view.TopLine() == row;
}

void PaintScreens(benchmark::State& state, CHexView& view) {
    if (!ScrollTo(view, static_cast<std::int32_t>(state.range(0)))) {
        state.SkipWithError("the top row did not move to the row asked for");
        return;
    }
    QImage image(view.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        view.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

// Two equal files at 1 byte per line: one Same block of ~50M rows. Built once for every run; torn
// down before the application.
struct LongCompare {
    QuietMessages messages;
    CSnapshotStore store{messages};
    CCompSettings settings;
    CPromptRecorder prompts;
    std::unique_ptr<CCompDoc> doc;
    std::unique_ptr<CCompView> view;
    std::string error;

    LongCompare() {
        settings.askBeforeCompare = false;
        const std::string path1 = LongFile(1);
        const std::string path2 = LongFile(2);
        doc = std::make_unique<CCompDoc>(settings, store, nullptr);
        doc->SetBytesPerLine(1);
        if (path1.empty() || path2.empty() || !doc->OnOpenDocument(CCompareTargets{path1, path2}.Join())) {
            error = "cannot open the files";
            return;
        }
        view = std::make_unique<CCompView>(*doc, settings);
        view->resize(kScreenWidth, kScreenHeight);
        view->OnInitialUpdate();
        doc->LoadAndCompare();
        if (!prompts.messages.empty() || doc->Lines().GetCount() != kLongFileSize) {
            error = "the comparison did not give one row per byte";
        }
    }
};

struct LongViewer {
    QuietMessages messages;
    CSnapshotStore store{messages};
    CCompSettings settings;
    CPromptRecorder prompts;
    std::unique_ptr<CViewDoc> doc;
    std::unique_ptr<CViewView> view;
    std::string error;

    LongViewer() {
        settings.lineLength = 1;
        const std::string path = LongFile(1);
        doc = std::make_unique<CViewDoc>(settings, store);
        if (path.empty() || !doc->OnOpenDocument(path)) {
            error = "cannot open the file";
            return;
        }
        view = std::make_unique<CViewView>(*doc, settings);
        view->resize(kScreenWidth, kScreenHeight);
        view->OnInitialUpdate();
        doc->LoadFile();
        if (!prompts.messages.empty() || doc->Lines().GetCount() != kLongFileSize) {
            error = "the viewer did not give one line per byte";
        }
    }
};

std::unique_ptr<LongCompare> g_compare;
std::unique_ptr<LongViewer> g_viewer;

void BM_PaintAtRow(benchmark::State& state) {
    if (!g_compare) {
        g_compare = std::make_unique<LongCompare>();
    }
    if (!g_compare->error.empty()) {
        state.SkipWithError(g_compare->error.c_str());
        return;
    }
    PaintScreens(state, *g_compare->view);
}
BENCHMARK(BM_PaintAtRow)->ArgName("row")->Arg(0)->Arg(50'000'000)->Unit(benchmark::kMicrosecond);

void BM_ViewerPaintAtRow(benchmark::State& state) {
    if (!g_viewer) {
        g_viewer = std::make_unique<LongViewer>();
    }
    if (!g_viewer->error.empty()) {
        state.SkipWithError(g_viewer->error.c_str());
        return;
    }
    PaintScreens(state, *g_viewer->view);
}
BENCHMARK(BM_ViewerPaintAtRow)->ArgName("row")->Arg(0)->Arg(50'000'000)->Unit(benchmark::kMicrosecond);

// The peak resident bytes of this process's memory. Not ru_maxrss: on exec Linux carries the
// spawning process's peak over into it.
long long PeakResident() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return -1;
    }
    long long kib = -1;
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::sscanf(line, "VmHWM: %lld kB", &kib) == 1) {
            break;
        }
    }
    std::fclose(status);
    return kib < 0 ? -1 : kib * 1024;
}

// In a process of its own, so that its peak is the viewer's alone: opens `path` in a viewer at
// `length` bytes per line, lays out a screen, paints it once and prints its peak.
int RunViewerChild(int argc, char** argv) {
    QApplication app(argc, argv);
    QuietMessages messages;
    CSnapshotStore store(messages);
    CCompSettings settings;
    settings.lineLength = std::atoi(argv[3]);
    CPromptRecorder prompts;
    CViewDoc doc(settings, store);
    if (!doc.OnOpenDocument(argv[2])) {
        return 1;
    }
    CViewView view(doc, settings);
    view.resize(kScreenWidth, kScreenHeight);
    view.OnInitialUpdate();
    doc.LoadFile();
    QImage image(view.size(), QImage::Format_RGB32);
    view.render(&image);
    if (!prompts.messages.empty() || doc.Lines().GetCount() == 0) {
        return 1;
    }
    std::printf("%lld\n", PeakResident());
    return 0;
}

// Peak resident bytes of a viewer child on `path`, as it reports them; -1 when it failed.
double ChildPeak(const std::string& path, int length) {
    const std::string lengthText = std::to_string(length);
    std::string self = "/proc/self/exe";
    std::string flag = kViewerChild;
    std::string file = path;
    char* args[] = {self.data(), flag.data(), file.data(), const_cast<char*>(lengthText.c_str()), nullptr};
    int out[2];
    if (pipe(out) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string text;
    char chunk[64];
    for (ssize_t n; spawned == 0 && (n = read(out[0], chunk, sizeof chunk)) > 0;) {
        text.append(chunk, static_cast<std::size_t>(n));
    }
    close(out[0]);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    return text.empty() ? -1 : std::strtod(text.c_str(), nullptr);
}

// Arg: bytes per line. The viewer on 1 GiB, against the same viewer on 4 KiB: the difference should
// be the file and nothing else, whatever the line length. Counters are bytes, shown in powers of
// 1024; the time is that of both children, start-up included.
void BM_ViewerPeakRss(benchmark::State& state) {
    constexpr std::size_t kFileSize = 1024 * kMiB;
    const std::string big = CachedRandomFile("/tmp/dyad-bench-load-1024.bin", kFileSize, 9);
    const std::string small = CachedRandomFile("/tmp/dyad-bench-load-4k.bin", 4096, 9);
    const int length = static_cast<int>(state.range(0));
    double peak = 0;
    double base = 0;
    for (auto _ : state) {
        peak = ChildPeak(big, length);
        base = ChildPeak(small, length);
    }
    if (big.empty() || small.empty() || peak < 0 || base < 0) {
        state.SkipWithError("the viewer child failed");
        return;
    }
    const auto bytes = [](double value) {
        return benchmark::Counter(value, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
    };
    state.counters["peak"] = bytes(peak);
    state.counters["peakLessFile"] = bytes(peak - static_cast<double>(kFileSize));
    state.counters["smallFilePeak"] = bytes(base);
    state.counters["beyondFile"] = bytes(peak - base - static_cast<double>(kFileSize));
}
BENCHMARK(BM_ViewerPeakRss)
    ->ArgName("bytesPerLine")
    ->Arg(1)
    ->Arg(64)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

constexpr std::size_t kIdenticalSize = 1024 * kMiB;

// Two identical files of 1 GiB: the same seed in two places.
std::pair<std::string, std::string> IdenticalPair() {
    return {CachedRandomFile("/tmp/dyad-bench-load-1024.bin", kIdenticalSize, 9),
            CachedRandomFile("/tmp/dyad-bench-same-1024.bin", kIdenticalSize, 9)};
}

// Runs `program` with `args` to its end; its exit status, or -1.
int Spawn(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// The compare bar's path in a window of the program's: open the document, read both files into
// buffers of its own, compare on the worker, cut the rows, and paint the first screen. The counters
// say when each step began and when the screen was painted, from the start, in the last run; the time
// also holds making and closing the window. The first run of a process pays for touching fresh memory.
void BM_IdenticalToFirstPaint(benchmark::State& state) {
    const auto [path1, path2] = IdenticalPair();
    QuietMessages messages;
    CSnapshotStore store(messages);
    CCompSettings settings;
    settings.askBeforeCompare = false;
    CPromptRecorder prompts;
    using Clock = std::chrono::steady_clock;
    std::vector<std::pair<std::string, Clock::time_point>> steps;
    Clock::time_point start;
    for (auto _ : state) {
        CWindowHost host(settings, store);
        host.resize(kScreenWidth, kScreenHeight);
        host.show();
        CBackgroundWork& work = *host.Work();
        steps.clear();
        work.SetReportHook([&steps, last = QString()](const CBackgroundWork::State& step) mutable {
            if (step.text != last) {
                last = step.text;
                const std::string word = step.text.section(QLatin1Char(' '), 0, 0).toLower().toStdString();
                steps.emplace_back(std::to_string(steps.size() + 1) + word, Clock::now());
            }
        });
        start = Clock::now();
        CCompDoc* doc = host.OpenCompare(path1, path2);
        while (work.IsBusy()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        const Clock::time_point compared = Clock::now();
        QWidget* view = host.MdiArea().activeSubWindow()->widget();
        view->repaint();
        const Clock::time_point painted = Clock::now();
        if (doc == nullptr || !prompts.messages.empty() || doc->Lines().Blocks().size() != 1) {
            state.SkipWithError("the comparison did not give one Same block");
            return;
        }
        const auto ms = [start](Clock::time_point t) {
            return std::chrono::duration<double, std::milli>(t - start).count();
        };
        for (const auto& [name, when] : steps) {
            state.counters[name + "@ms"] = ms(when);
        }
        state.counters["rowsDone@ms"] = ms(compared);
        state.counters["painted@ms"] = ms(painted);
    }
}
BENCHMARK(BM_IdenticalToFirstPaint)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CmpIdentical(benchmark::State& state) {
    const auto [path1, path2] = IdenticalPair();
    for (auto _ : state) {
        if (Spawn({"cmp", path1, path2}) != 0) {
            state.SkipWithError("cmp failed or found a difference");
            return;
        }
    }
}
BENCHMARK(BM_CmpIdentical)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc == 4 && std::strcmp(argv[1], kViewerChild) == 0) {
        return RunViewerChild(argc, argv);
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    g_compare.reset();
    g_viewer.reset();
    benchmark::Shutdown();
    return 0;
}
