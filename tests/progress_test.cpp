#include <atomic>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "compare/core/bufferedwriter.h"
#include "compare/core/compengine.h"
#include "compare/core/complines.h"
#include "compare/core/logwriter.h"
#include "compare/core/progress.h"
#include "tempdir.h"

namespace {

// Two buffers of `size` bytes, with the padding the engine reads past their ends, that differ in
// scattered places.
std::vector<std::uint8_t> Data(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> data(size + 64);
    std::mt19937 rng(1);
    for (std::size_t i = 0; i < size; ++i) {
        data[i] = static_cast<std::uint8_t>(rng() >> 24);
    }
    std::mt19937 changes(seed);
    for (int i = 0; i < 200; ++i) {
        data[changes() % size] ^= 0x5A;
    }
    return data;
}

struct Reports {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> seen;
    CProgress::Callback Callback() {
        return [this](std::uint64_t done, std::uint64_t total) { seen.emplace_back(done, total); };
    }
};

TEST(Progress, ACompareReportsRisingBytesAndFinishesOnceWithTheSameBlocks) {
    const std::size_t size = 24u << 20;
    const std::vector<std::uint8_t> a = Data(size, 2);
    const std::vector<std::uint8_t> b = Data(size, 3);
    CCompEngine plain(a.data(), size, b.data(), size);
    plain.SetUnitSize(4);
    plain.Run();

    Reports reports;
    CProgress progress(reports.Callback(), nullptr);
    CCompEngine watched(a.data(), size, b.data(), size);
    watched.SetUnitSize(4);
    ASSERT_TRUE(watched.Run(progress));
    EXPECT_TRUE(watched.Blocks() == plain.Blocks());
    ASSERT_GE(reports.seen.size(), 3u);
    for (std::size_t i = 0; i + 1 < reports.seen.size(); ++i) {
        EXPECT_LT(reports.seen[i].first, reports.seen[i + 1].first);
        EXPECT_LT(reports.seen[i].first, 2 * size) << "all of it is told only at the end";
    }
    EXPECT_EQ(reports.seen.back(), std::make_pair(std::uint64_t{2 * size}, std::uint64_t{2 * size}));
    progress.Finish();
    EXPECT_EQ(reports.seen.back().first, 2 * size);
    EXPECT_EQ(std::count(reports.seen.begin(), reports.seen.end(), reports.seen.back()), 1);
}

TEST(Progress, CancelStopsTheCompareAndTheLog) {
    const std::size_t size = 24u << 20;
    const std::vector<std::uint8_t> a = Data(size, 4);
    const std::vector<std::uint8_t> b = Data(size, 5);
    std::atomic<bool> cancel{false};
    Reports reports;
    CProgress progress(
        [&](std::uint64_t done, std::uint64_t total) {
            reports.seen.emplace_back(done, total);
            cancel = done > 0;
        },
        &cancel);
    CCompEngine engine(a.data(), size, b.data(), size);
    engine.SetUnitSize(1);
    EXPECT_FALSE(engine.Run(progress));
    EXPECT_LT(reports.seen.back().first, reports.seen.back().second) << "a stopped compare never says 100%";

    // A log of many rows stops between rows; the same log without a flag is whole.
    CCompEngine whole(a.data(), size / 16, b.data(), size / 16);
    whole.SetUnitSize(1);
    whole.Run();
    const CCompLines lines(whole.TakeBlocks(), 1, size / 16, size / 16, 1);
    const CLogWriter writer(lines, a.data(), b.data(), false);
    cancel = false;
    bool written = true;
    const std::string cut = CTempDir::Capture([&](CBufferedWriter& out) {
        written = writer.WriteLog(out, progress);
        return true;
    });
    EXPECT_FALSE(written);
    const std::string full = CTempDir::Capture([&](CBufferedWriter& out) { return writer.WriteLog(out); });
    EXPECT_LT(cut.size(), full.size());
}

} // namespace
