#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "compare/core/logfile.h"
#include "files/atomicfile.h"
#include "files/bufferedwriter.h"
#include "files/filebuffer.h"
#include "tempdir.h"

namespace fs = std::filesystem;

namespace {

std::string Bytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s) {
        c = static_cast<char>(rng());
    }
    return s;
}

// The file's bytes and then the zero padding, whichever way it was loaded and whatever its size
// (a size of whole pages leaves no tail in the file's last page to stand in for the padding).
TEST(FileBuffer, HoldsTheFileAndZeroPaddingInBothModes) {
    CTempDir dir;
    for (std::size_t size :
         {std::size_t{0}, std::size_t{1}, std::size_t{4095}, std::size_t{4096}, std::size_t{3} << 20}) {
        const std::string data = Bytes(size, static_cast<unsigned>(size));
        const std::string path = dir / "f";
        CTempDir::Write(path, data);
        for (auto mode : {CFileBuffer::Mode::Read, CFileBuffer::Mode::Map}) {
            CFileBuffer buffer;
            ASSERT_EQ(buffer.Load(path, mode), CFileBuffer::Error::None);
            ASSERT_EQ(buffer.Size(), size);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.Data()), size), data);
            for (std::size_t i = 0; i < CFileBuffer::kPadding; ++i) {
                ASSERT_EQ(buffer.Data()[size + i], 0) << "size " << size << ", padding byte " << i;
            }
        }
    }
}

// Sizes are 32-bit: a file of 4 GiB is refused, never cut. A sparse file costs no disk.
// A sparse file past 4 GiB is mapped whole: its size and the bytes far into it are there, and the
// padding after it reads as zeros.
TEST(FileBuffer, MapsFilesPastFourGibibytes) {
    CTempDir dir;
    const std::string path = dir / "big";
    CTempDir::Write(path, "");
    const off_t size = (off_t{6} << 30) + 3;
    ASSERT_EQ(truncate(path.c_str(), size), 0);
    const off_t at = (off_t{5} << 30) + 17;
    {
        std::FILE* f = std::fopen(path.c_str(), "r+b");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(fseeko(f, at, SEEK_SET), 0);
        std::fputs("far", f);
        ASSERT_EQ(fseeko(f, size - 1, SEEK_SET), 0);
        std::fputc('Z', f);
        std::fclose(f);
    }
    CFileBuffer buffer;
    ASSERT_EQ(buffer.Load(path, CFileBuffer::Mode::Map), CFileBuffer::Error::None);
    EXPECT_EQ(buffer.Size(), static_cast<std::uint64_t>(size));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.Data()) + at, 3), "far");
    EXPECT_EQ(buffer.Data()[at - 1], 0);
    EXPECT_EQ(buffer.Data()[size - 1], 'Z');
    for (std::size_t i = 0; i < CFileBuffer::kPadding; ++i) {
        ASSERT_EQ(buffer.Data()[static_cast<std::uint64_t>(size) + i], 0);
    }
    EXPECT_NE(CFileBuffer::Message(CFileBuffer::Error::TooLarge, "big").find("big"), std::string::npos);
}

// A file written, grown, replaced or removed after it was read is told apart from one left alone;
// a pipe never is.
TEST(FileBuffer, ToldChangedOnDiskOnlyWhenItWas) {
    CTempDir dir;
    const std::string path = dir / "f";
    const auto loaded = [&] {
        CTempDir::Write(path, "as it was");
        CFileBuffer buffer;
        EXPECT_EQ(buffer.Load(path, CFileBuffer::Mode::Map), CFileBuffer::Error::None);
        EXPECT_FALSE(buffer.ChangedOnDisk(path));
        return buffer;
    };
    {
        const CFileBuffer buffer = loaded();
        CTempDir::Write(path, "as it was, and more");
        EXPECT_TRUE(buffer.ChangedOnDisk(path)) << "grown";
    }
    {
        const CFileBuffer buffer = loaded();
        CTempDir::Write(dir / "other", "as it is!");
        std::filesystem::rename(dir / "other", path);
        EXPECT_TRUE(buffer.ChangedOnDisk(path)) << "replaced by another of the same size";
    }
    {
        const CFileBuffer buffer = loaded();
        std::filesystem::remove(path);
        EXPECT_TRUE(buffer.ChangedOnDisk(path)) << "gone";
    }
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] { CTempDir::Write(fifo, "streamed"); });
    CFileBuffer stream;
    EXPECT_EQ(stream.Load(fifo, CFileBuffer::Mode::Map), CFileBuffer::Error::None);
    writer.join();
    EXPECT_FALSE(stream.ChangedOnDisk(fifo));
}

// A pipe has no size: it is read to its end.
TEST(FileBuffer, ReadsPipesToTheirEnd) {
    CTempDir dir;
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string data = Bytes(200000, 3);
    std::thread writer([&] { CTempDir::Write(fifo, data); });
    CFileBuffer buffer;
    EXPECT_EQ(buffer.Load(fifo, CFileBuffer::Mode::Map), CFileBuffer::Error::None);
    writer.join();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Size()), data);
    EXPECT_EQ(buffer.Data()[buffer.Size()], 0);
}

TEST(AtomicFile, ReplacesOnlyOnCommit) {
    CTempDir dir;
    const std::string path = dir / "log.txt";
    CTempDir::Write(path, "earlier");
    chmod(path.c_str(), 0640);
    {
        CAtomicFile file;
        ASSERT_TRUE(file.Open(path));
        ASSERT_EQ(write(file.Fd(), "half", 4), 4);
        EXPECT_EQ(CTempDir::Read(path), "earlier");
        // Dropped without a commit: the earlier file stays and nothing is left beside it.
    }
    EXPECT_EQ(CTempDir::Read(path), "earlier");
    EXPECT_EQ(dir.FileCount(), 1);
    {
        CAtomicFile file;
        ASSERT_TRUE(file.Open(path));
        ASSERT_EQ(write(file.Fd(), "new", 3), 3);
        ASSERT_TRUE(file.Commit(true));
    }
    EXPECT_EQ(CTempDir::Read(path), "new");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(AtomicFile, FollowsLinksAndWritesDevicesInPlace) {
    CTempDir dir;
    CTempDir::Write(dir / "real", "old");
    fs::create_symlink(dir / "real", dir / "link");
    {
        CAtomicFile file;
        ASSERT_TRUE(file.Open(dir / "link"));
        ASSERT_EQ(write(file.Fd(), "via link", 8), 8);
        ASSERT_TRUE(file.Commit(false));
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(CTempDir::Read(dir / "real"), "via link");

    CAtomicFile devnull;
    ASSERT_TRUE(devnull.Open("/dev/null"));
    EXPECT_TRUE(devnull.TempPath().empty());
    EXPECT_TRUE(devnull.Commit(false));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    CAtomicFile nowhere;
    EXPECT_FALSE(nowhere.Open(dir / "no-such-folder/log.txt"));
}

// Output that spans many chunks arrives whole and in order through the writer thread.
TEST(BufferedWriter, LargeOutputArrivesInOrder) {
    std::string expected;
    const std::string written = CTempDir::Capture([&expected](CBufferedWriter& out) {
        std::mt19937 rng(5);
        for (int i = 0; i < 200000; ++i) {
            const std::string piece = std::to_string(i) + std::string(rng() % 64, 'x') + "\n";
            expected += piece;
            if (i % 2 == 0) {
                out.Write(piece);
            } else {
                std::memcpy(out.Reserve(piece.size()), piece.data(), piece.size());
                out.Commit(piece.size());
            }
        }
        return true;
    });
    EXPECT_EQ(written, expected);
}

// An input reached through a hard link is still the input, and so is one moved to the log's name
// while the log was being written; either way the input stays whole.
TEST(LogFile, NeverReplacesAnInput) {
    CTempDir dir;
    CTempDir::Write(dir / "a", "input a");
    CTempDir::Write(dir / "b", "input b");
    CFileBuffer a, b;
    ASSERT_EQ(a.Load(dir / "a", CFileBuffer::Mode::Read), CFileBuffer::Error::None);
    ASSERT_EQ(b.Load(dir / "b", CFileBuffer::Mode::Map), CFileBuffer::Error::None);
    fs::create_hard_link(dir / "a", dir / "same-as-a");
    CLogFile log;
    EXPECT_EQ(log.Open(dir / "same-as-a", a, b), CLogFile::Result::IsInput);
    EXPECT_EQ(log.Message(), "The log file is one of the compared files.");
    EXPECT_EQ(CTempDir::Read(dir / "a"), "input a");

    ASSERT_EQ(log.Open(dir / "log", a, b), CLogFile::Result::Ok);
    const auto bMovesIn = [&](CBufferedWriter& out) {
        fs::rename(dir / "b", dir / "log");
        out.Write("the log");
        return true;
    };
    EXPECT_EQ(log.Write(bMovesIn, false), CLogFile::Result::IsInput);
    EXPECT_EQ(CTempDir::Read(dir / "log"), "input b");
    EXPECT_EQ(dir.FileCount(), 3);
}

} // namespace

namespace {

// Every mapping is watched for a file cut short; once no watch is left, a file is read into memory
// instead, never mapped unwatched.
TEST(FileBuffer, MappingsBeyondTheWatchedOnesAreReadInstead) {
    CTempDir dir;
    CTempDir::Write(dir / "f", std::string(10000, 'm'));
    std::vector<CFileBuffer> buffers(300);
    int mapped = 0;
    for (CFileBuffer& buffer : buffers) {
        ASSERT_EQ(buffer.Load(dir / "f", CFileBuffer::Mode::Map), CFileBuffer::Error::None);
        ASSERT_EQ(std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Size()),
                  std::string(10000, 'm'));
        mapped += buffer.IsMapped();
    }
    EXPECT_GT(mapped, 0);
    EXPECT_LT(mapped, 300);
    buffers.clear();
    CFileBuffer again;
    ASSERT_EQ(again.Load(dir / "f", CFileBuffer::Mode::Map), CFileBuffer::Error::None);
    EXPECT_TRUE(again.IsMapped()) << "watches come back with their mappings";
}

} // namespace
