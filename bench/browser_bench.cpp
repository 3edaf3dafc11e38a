// The file list on a folder of 100,000 files: listed, sorted and drawn; going up and back; and the
// memory the rows take beyond their names.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <string>

#include <QApplication>
#include <benchmark/benchmark.h>

#include "browser/shelllist.h"
#include "platform/shell/core/shellitem.h"

namespace {

constexpr int kFiles = 100'000;

// Made once and reused by later runs; complete only once its marker is written.
std::string BigFolder() {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "dyad-bench-100k";
    const std::filesystem::path marker = folder / ".complete";
    if (!std::filesystem::exists(marker)) {
        std::filesystem::create_directories(folder);
        for (int i = 0; i < kFiles; ++i) {
            const char* kinds[] = {".txt", ".bin", ".png", ".c", ""};
            std::ofstream(folder / ("file " + std::to_string(i) + kinds[i % 5]))
                << std::string(i % 3000, 'x');
        }
        std::ofstream(marker) << "";
    }
    return folder.string();
}

std::size_t NameBytes(const std::string& folder) {
    std::size_t bytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        bytes += entry.path().filename().string().size();
    }
    return bytes;
}

void BM_ListSortAndDraw(benchmark::State& state) {
    const DCShellItem folder(BigFolder());
    DCShellList list;
    list.resize(900, 700);
    list.show();
    QString error;
    for (auto _ : state) {
        list.SetFolder(DCShellItem(), error); // another folder first, so every fill starts afresh
        list.SetFolder(folder, error);
        list.sortByColumn(static_cast<int>(state.range(0)), Qt::AscendingOrder);
        benchmark::DoNotOptimize(list.grab());
    }
    state.counters["rows"] = list.model()->rowCount();
}
BENCHMARK(BM_ListSortAndDraw)->ArgName("sortColumn")->Arg(0)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_UpAndBack(benchmark::State& state) {
    const DCShellItem folder(BigFolder());
    const std::unique_ptr<DCShellItem> parent = folder.Clone();
    parent->RemoveLast();
    DCShellList list;
    list.resize(900, 700);
    list.show();
    QString error;
    list.SetFolder(folder, error);
    for (auto _ : state) {
        list.SetFolder(*parent, error);
        list.SetFolder(folder, error);
        benchmark::DoNotOptimize(list.grab());
    }
}
BENCHMARK(BM_UpAndBack)->Unit(benchmark::kMillisecond);

// Heap in use beyond the names, per row.
void BM_MemoryPerRow(benchmark::State& state) {
    const std::string path = BigFolder();
    const DCShellItem folder(path);
    const std::size_t names = NameBytes(path);
    for (auto _ : state) {
        DCShellList list;
        QString error;
        const std::size_t before = mallinfo2().uordblks;
        list.SetFolder(folder, error);
        const std::size_t after = mallinfo2().uordblks;
        state.counters["bytesPerRow"] =
            static_cast<double>(after - before - std::min(after - before, names)) / list.model()->rowCount();
    }
}
BENCHMARK(BM_MemoryPerRow)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
