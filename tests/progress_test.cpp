#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <random>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "compare/core/compengine.h"
#include "compare/core/complines.h"
#include "compare/core/logwriter.h"
#include "files/bufferedwriter.h"
#include "files/filebuffer.h"
#include "files/progress.h"
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
    const CLogWriter writer(lines, a.data(), b.data(), false, 8);
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

// Reading tells the bytes read of the size, a file and a pipe alike, and stops when told: the buffer
// is then empty and there is nothing to tell the user.
TEST(Progress, ReadingReportsAndStops) {
    CTempDir dir;
    const std::string data(20u << 20, 'x');
    CTempDir::Write(dir / "file", data);
    Reports reports;
    std::atomic<bool> cancel{false};
    CProgress progress(reports.Callback(), &cancel);
    CFileBuffer buffer;
    ASSERT_EQ(buffer.Load(dir / "file", CFileBuffer::Mode::Read, CFileBuffer::Source::Any, &progress),
              CFileBuffer::Error::None);
    EXPECT_EQ(buffer.Size(), data.size());
    ASSERT_GE(reports.seen.size(), 3u);
    EXPECT_EQ(reports.seen.front(), std::make_pair(std::uint64_t{0}, std::uint64_t{data.size()}));
    EXPECT_EQ(reports.seen.back(), std::make_pair(std::uint64_t{data.size()}, std::uint64_t{data.size()}));
    EXPECT_EQ(std::count(reports.seen.begin(), reports.seen.end(), reports.seen.back()), 1);

    cancel = true;
    EXPECT_EQ(buffer.Load(dir / "file", CFileBuffer::Mode::Read, CFileBuffer::Source::Any, &progress),
              CFileBuffer::Error::Cancelled);
    EXPECT_EQ(buffer.Size(), 0u);
    EXPECT_EQ(CFileBuffer::Message(CFileBuffer::Error::Cancelled, "name"), "");

    // A pipe has no size to tell against; it stops all the same, before its writer is done.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::thread writer([fd = fds[1]] {
        // The reader goes first: this thread's writes then fail rather than end the test.
        sigset_t pipeSignal;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
        const std::string chunk(1u << 16, 'p');
        while (write(fd, chunk.data(), chunk.size()) > 0) {
        }
        close(fd);
    });
    const std::string pipePath = "/proc/self/fd/" + std::to_string(fds[0]);
    std::atomic<int> told{0};
    cancel = false;
    CProgress stopping([&](std::uint64_t, std::uint64_t) { ++told; }, &cancel);
    stopping.Start(0);
    cancel = true;
    EXPECT_EQ(buffer.Load(pipePath, CFileBuffer::Mode::Read, CFileBuffer::Source::Any, &stopping),
              CFileBuffer::Error::Cancelled);
    EXPECT_EQ(told, 0) << "nothing to tell against a size of 0";
    close(fds[0]);
    writer.join();
}

} // namespace
