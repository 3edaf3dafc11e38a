#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <poll.h>
#include <pty.h>
#include <random>
#include <set>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "cli/buserrorguard.h"
#include "compare/core/blockjsonwriter.h"
#include "compare/core/compengine.h"
#include "compare/core/complines.h"
#include "compare/core/differenceline.h"
#include "files/bufferedwriter.h"
#include "files/filebuffer.h"
#include "files/pendingfiles.h"
#include "platform/settingsprofile.h"
#include "recordedmessages.h"
#include "snapshots/core/snapshotstore.h"
#include "tempdir.h"
#include "testinputs.h"

namespace fs = std::filesystem;

namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

using Args = std::vector<std::string>;

// Runs the real dyadmon-cli, or a copy of it at `program`; `inChild` runs between fork and exec.
Result RunCli(const Args& args, const std::function<void()>& inChild = {},
              const std::string& program = DYADMON_CLI) {
    CTempDir dir;
    const std::string out = dir / "out";
    const std::string err = dir / "err";
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
        if (inChild) {
            inChild();
        }
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), CTempDir::Read(out),
            CTempDir::Read(err)};
}

// Trouble: status 2, nothing on standard output and the one line `message` on standard error.
void ExpectTrouble(const Args& args, const std::string& message, const std::function<void()>& inChild = {}) {
    const Result r = RunCli(args, inChild);
    EXPECT_EQ(r.status, 2) << message;
    EXPECT_EQ(r.out, "") << message;
    EXPECT_EQ(r.err, "dyadmon-cli: " + message + "\n");
}

void LimitFileSize(rlim_t bytes) {
    const rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_FSIZE, &limit);
}

class CliCompare : public ::testing::Test {
protected:
    void SetUp() override {
        CTempDir::Write(dir / "a", "ABCDEFGH");
        CTempDir::Write(dir / "b", "ABXCDEFGH");
        CTempDir::Write(dir / "a2", "ABCDEFGH");
    }
    CTempDir dir;
};

// Each kind names its file-1 and file-2 offsets; a move names both ends.
TEST_F(CliCompare, ExitStatusTellsIdenticalFromDifferentAndJsonListsTheBlocks) {
    EXPECT_EQ(RunCli({"compare", dir / "a", dir / "a2"}).status, 0);
    CTempDir::Write(dir / "m1", "ABCDEFGHxy");
    CTempDir::Write(dir / "m2", "EFABCDGHz");
    const Result r =
        RunCli({"compare", "--unit=1", "--lookahead=10", "--format=json", dir / "m1", dir / "m2"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "{\n  \"file1\": {\"name\": \"" + dir / "m1" +
                  "\", \"size\": 10},\n  \"file2\": {\"name\": \"" + dir / "m2" +
                  "\", \"size\": 9},\n  \"unit\": 1,\n  \"lookahead\": 10,\n  \"identical\": false,\n"
                  "  \"blocks\": [\n"
                  "    {\"kind\": \"movefrom\", \"count\": 4, \"offset1\": 0, \"offset2\": 2},\n"
                  "    {\"kind\": \"same\", \"count\": 2, \"offset1\": 4, \"offset2\": 0},\n"
                  "    {\"kind\": \"moveto\", \"count\": 4, \"offset1\": 0, \"offset2\": 2},\n"
                  "    {\"kind\": \"same\", \"count\": 2, \"offset1\": 6, \"offset2\": 6},\n"
                  "    {\"kind\": \"deleted\", \"count\": 2, \"offset1\": 8, \"offset2\": null},\n"
                  "    {\"kind\": \"new\", \"count\": 1, \"offset1\": null, \"offset2\": 8}\n  ]\n}\n");
    EXPECT_EQ(r.err, "");
    // Unit 16: a trailing zero byte compares as Same, but the files are not identical.
    CTempDir::Write(dir / "z", std::string("ABCDEFGH") + '\0');
    const Result z = RunCli({"compare", "--unit", "16", "--format", "json", dir / "a", dir / "z"});
    EXPECT_EQ(z.status, 1);
    EXPECT_NE(z.out.find("\"identical\": false,\n  \"blocks\": [\n    {\"kind\": \"same\", \"count\": 1, "
                         "\"offset1\": 0, \"offset2\": 0}\n  ]"),
              std::string::npos)
        << z.out;
}

// Sparse files of 6 GiB with a few bytes written past 5 GiB: exactly those changes, at offsets above
// 4 GiB, and the run holds little memory. A snapshot of one is refused with the store's limit.
TEST_F(CliCompare, FilesPastFourGibibytes) {
    const std::uint64_t size = std::uint64_t{6} << 30;
    const std::uint64_t far = (std::uint64_t{5} << 30) + 96;
    for (const char* name : {"big1", "big2"}) {
        CTempDir::Write(dir / name, "");
        ASSERT_EQ(truncate((dir / name).c_str(), static_cast<off_t>(size)), 0);
    }
    const int fd = open((dir / "big2").c_str(), O_WRONLY);
    ASSERT_EQ(pwrite(fd, "XYZ", 3, static_cast<off_t>(far + 2)), 3);
    ASSERT_EQ(pwrite(fd, "Q", 1, static_cast<off_t>(size - 1)), 1);
    close(fd);
    const Result r = RunCli({"compare", "--format=json", "--unit=8", dir / "big1", dir / "big2"});
    EXPECT_EQ(r.status, 1) << r.err;
    const std::string blocks = r.out.substr(r.out.find("\"blocks\""));
    EXPECT_EQ(blocks,
              "\"blocks\": [\n"
              "    {\"kind\": \"same\", \"count\": 671088652, \"offset1\": 0, \"offset2\": 0},\n"
              "    {\"kind\": \"deleted\", \"count\": 1, \"offset1\": 5368709216, \"offset2\": null},\n"
              "    {\"kind\": \"new\", \"count\": 1, \"offset1\": null, \"offset2\": 5368709216},\n"
              "    {\"kind\": \"same\", \"count\": 134217714, \"offset1\": 5368709224, "
              "\"offset2\": 5368709224},\n"
              "    {\"kind\": \"deleted\", \"count\": 1, \"offset1\": 6442450936, \"offset2\": null},\n"
              "    {\"kind\": \"new\", \"count\": 1, \"offset1\": null, \"offset2\": 6442450936}\n"
              "  ]\n}\n");
    EXPECT_NE(r.out.find("\"size\": 6442450944}"), std::string::npos);
    ExpectTrouble({"snapshot", "add", "--store", dir / "snaps", dir / "big1"},
                  "The file " + dir / "big1" +
                      " is too large for a snapshot: the limit is 4294967231 bytes (4 GiB less 65 bytes).");
}

// A file written while compared (here while the log waits for its reader) gives no result: status 2
// and what happened, also for a file replaced by another under its name.
TEST_F(CliCompare, AFileChangedWhileComparedIsTrouble) {
    for (const bool replace : {false, true}) {
        std::string one(1 << 20, 'a');
        std::string two = one;
        for (std::size_t i = 0; i < two.size(); i += 16) {
            two[i] = 'b';
        }
        CTempDir::Write(dir / "one", one);
        CTempDir::Write(dir / "two", two);
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        const std::string err = dir / "err";
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(out[1], STDOUT_FILENO);
            dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
            close(out[0]);
            execl(DYADMON_CLI, DYADMON_CLI, "compare", "--unit=1", (dir / "one").c_str(),
                  (dir / "two").c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        // The log is megabytes: once its first bytes are here, the rest waits for this reader.
        char buffer[65536];
        ASSERT_GT(read(out[0], buffer, 1), 0);
        if (replace) {
            CTempDir::Write(dir / "new", two);
            fs::rename(dir / "new", dir / "two");
        } else {
            // Grown in place, never shorter meanwhile: cut short, the pages read would raise SIGBUS.
            const int fd = open((dir / "two").c_str(), O_WRONLY | O_APPEND);
            ASSERT_EQ(write(fd, "more", 4), 4);
            close(fd);
        }
        while (read(out[0], buffer, sizeof buffer) > 0) {
        }
        close(out[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << status;
        EXPECT_EQ(CTempDir::Read(err),
                  "dyadmon-cli: The file " + dir / "two" + " changed while it was being compared.\n");
    }
    // Left alone, the same files compare as always.
    EXPECT_EQ(RunCli({"compare", "--unit=1", dir / "one", dir / "one"}).status, 0);
}

// Identical means equal sizes and equal bytes; the document tells it before the first block.
TEST_F(CliCompare, JsonTellsIdenticalBeforeTheBlocks) {
    CTempDir::Write(dir / "e1", "");
    CTempDir::Write(dir / "e2", "");
    CTempDir::Write(dir / "last", "ABCDEFGX");
    const auto json = [&](const std::string& one, const std::string& two) {
        return RunCli({"compare", "--unit", "2", "--format", "json", dir / one, dir / two});
    };
    const Result same = json("a", "a2");
    EXPECT_EQ(same.status, 0);
    EXPECT_TRUE(
        same.out.ends_with("\"identical\": true,\n  \"blocks\": [\n    {\"kind\": \"same\", \"count\": "
                           "4, \"offset1\": 0, \"offset2\": 0}\n  ]\n}\n"))
        << same.out;
    const Result empty = json("e1", "e2");
    EXPECT_EQ(empty.status, 0);
    EXPECT_TRUE(empty.out.ends_with("\"size\": 0},\n  \"unit\": 2,\n  \"lookahead\": 0,\n  \"identical\": "
                                    "true,\n  \"blocks\": []\n}\n"))
        << empty.out;
    for (const auto& [one, two] : {std::pair{"e1", "a"}, {"a", "e1"}, {"a", "last"}}) {
        const Result r = json(one, two);
        EXPECT_EQ(r.status, 1) << one << " / " << two;
        EXPECT_NE(r.out.find("\"identical\": false,\n"), std::string::npos) << r.out;
    }
}

// Hundreds of thousands of blocks, moves among them, are written as the engine finishes them: the
// document is the one made from the whole list, and a write that fails part-way is trouble as ever.
TEST_F(CliCompare, JsonOfALongRunIsTheWholeListsDocument) {
    const auto [one, two] = CTestInputs::Unrelated(300000, 21);
    const std::string r1 = dir / "r1", r2 = dir / "r2", log = dir / "log.json";
    CTempDir::Write(r1, {one.begin(), one.end()});
    CTempDir::Write(r2, {two.begin(), two.end()});
    const PaddedBytes a(one);
    const PaddedBytes b(two);
    CCompEngine engine(a.Data(), a.Size(), b.Data(), b.Size());
    engine.SetUnitSize(1);
    engine.SetLookAhead(100);
    engine.Run();
    ASSERT_GT(engine.Blocks().size(), 3 * CCompEngine::kSinkBatch);
    const std::string expected = CTempDir::Capture([&](CBufferedWriter& out) {
        return CBlockJsonWriter::Write(out, {r1, one.size()}, {r2, two.size()}, 1, 100, false,
                                       engine.Blocks());
    });

    const Args args = {"compare", "--unit", "1", "--lookahead", "100", "--format", "json"};
    const auto with = [&](Args more) {
        more.insert(more.begin(), args.begin(), args.end());
        return more;
    };
    const Result r = RunCli(with({r1, r2}));
    EXPECT_EQ(r.status, 1);
    // Not printed whole when it fails: it runs to megabytes.
    const auto differ = std::mismatch(r.out.begin(), r.out.end(), expected.begin(), expected.end());
    EXPECT_TRUE(r.out == expected) << "sizes " << r.out.size() << " and " << expected.size()
                                   << ", first difference at " << (differ.first - r.out.begin());
    ExpectTrouble(with({"--log", "/dev/full", r1, r2}), "Error in writing log file.");
    CTempDir::Write(log, "the earlier log");
    ExpectTrouble(with({"--log", log, r1, r2}), "Error in writing log file.", [] { LimitFileSize(1 << 20); });
    EXPECT_EQ(CTempDir::Read(log), "the earlier log");
    EXPECT_EQ(dir.FileCount(), 6); // a, b, a2, r1, r2, log.json
}

// A line per difference with the offsets of both files, cut at the files' ends as the rows are: the
// bytes one file has past the other's end in a last unit matched against zeros get a line of their own.
TEST_F(CliCompare, SummaryListsEachDifferenceAsTheRowsShowIt) {
    const auto summary = [&](const std::string& unit, const std::string& one, const std::string& two) {
        return RunCli(
            {"compare", "--unit", unit, "--lookahead", "10", "--format=summary", dir / one, dir / two});
    };
    CTempDir::Write(dir / "m1", "ABCDEFGHxy");
    CTempDir::Write(dir / "m2", "EFABCDGHz");
    const Result moved = summary("1", "m1", "m2");
    EXPECT_EQ(moved.status, 1);
    EXPECT_EQ(moved.out, "movefrom\t0\t2\t4\nmoveto\t0\t2\t4\ndeleted\t8\t-\t2\nnew\t-\t8\t1\n");
    EXPECT_EQ(moved.err, "");

    // Unit 4, 17 bytes against 18: the last unit holds one byte of file 1 and two of file 2.
    const std::string body = "0123456789abcdef";
    CTempDir::Write(dir / "s17", body + "x");
    CTempDir::Write(dir / "s18", body + "x" + '\0');
    CTempDir::Write(dir / "c18", body + "yz");
    const Result zero = summary("4", "s17", "s18");
    EXPECT_EQ(zero.status, 1);
    EXPECT_EQ(zero.out, "new\t-\t17\t1\n");
    EXPECT_EQ(summary("4", "s18", "s17").out, "deleted\t17\t-\t1\n");
    const Result changed = summary("4", "s17", "c18");
    EXPECT_EQ(changed.status, 1);
    EXPECT_EQ(changed.out, "deleted\t16\t-\t1\nnew\t-\t16\t2\n");

    // Identical files, empty ones too, print nothing; trouble prints nothing on standard output.
    CTempDir::Write(dir / "e1", "");
    CTempDir::Write(dir / "e2", "");
    for (const auto& [one, two] : {std::pair{"a", "a2"}, {"e1", "e2"}}) {
        const Result same = summary("8", one, two);
        EXPECT_EQ(same.status, 0) << one;
        EXPECT_EQ(same.out, "") << one;
    }
    EXPECT_EQ(summary("8", "e1", "a").out, "new\t-\t0\t8\n");
    ExpectTrouble({"compare", "--format", "summary", dir / "a", dir / "missing"},
                  "Can't open the file " + dir / "missing" + " (it does not exist)");
    EXPECT_EQ(RunCli({"compare", "--format", "summary", "--log", dir / "s.txt", dir / "a", dir / "b"}).status,
              1);
    EXPECT_EQ(CTempDir::Read(dir / "s.txt"), "deleted\t0\t-\t8\nnew\t-\t0\t9\n");
}

// Blocks come in batches; the lines are those of the whole list, and a failed write is trouble.
TEST_F(CliCompare, SummaryOfALongRunIsTheWholeListsSummary) {
    const auto [one, two] = CTestInputs::Unrelated(300001, 22);
    const std::string r1 = dir / "r1", r2 = dir / "r2";
    CTempDir::Write(r1, {one.begin(), one.end()});
    CTempDir::Write(r2, {two.begin(), two.end() - 2});
    const PaddedBytes a(one);
    const PaddedBytes b(std::vector<std::uint8_t>(two.begin(), two.end() - 2));
    CCompEngine engine(a.Data(), a.Size(), b.Data(), b.Size());
    engine.SetUnitSize(1);
    engine.SetLookAhead(100);
    engine.Run();
    ASSERT_GT(engine.Blocks().size(), 3 * CCompEngine::kSinkBatch);
    const CCompLines lines(engine.Blocks(), 1, a.Size(), b.Size(), 1);
    const std::string expected = CTempDir::Capture(
        [&](CBufferedWriter& out) { return CDifferenceLine::WriteSummary(out, lines.Blocks()); });
    const Args args = {"compare", "--unit", "1", "--lookahead", "100", "--format", "summary", r1, r2};
    const Result r = RunCli(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out == expected) << "sizes " << r.out.size() << " and " << expected.size();
    Args full = args;
    full.insert(full.begin() + 1, {"--log", "/dev/full"});
    ExpectTrouble(full, "Error in writing log file.");
}

TEST_F(CliCompare, LogGoesToStandardOutputOrTheNamedFile) {
    const Result toStdout = RunCli({"compare", dir / "a", dir / "b"});
    // Defaults: 8 bytes per side with the characters column.
    EXPECT_EQ(toStdout.out.substr(0, 24), "Dyadmon v3.0 log file.\r\n");
    EXPECT_NE(toStdout.out.find("\r\n00000000 : 41 42 43 44 45 46 47 48 ; ABCDEFGH"), std::string::npos);
    const Result toFile = RunCli({"compare", "--log", dir / "log.txt", dir / "a", dir / "b"});
    EXPECT_EQ(toFile.status, 1);
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(CTempDir::Read(dir / "log.txt"), toStdout.out);
    EXPECT_EQ(RunCli({"compare", "--log", "-", dir / "a", dir / "b"}).out, toStdout.out);

    const Result narrow = RunCli(
        {"compare", "--no-ansi", "--bytes-per-line", "3", "--log", dir / "n.txt", dir / "a", dir / "a2"});
    EXPECT_EQ(narrow.status, 0);
    EXPECT_NE(CTempDir::Read(dir / "n.txt").find("\r\n00000006 : 47 48    ;      00000006 : 47 48    ; \r\n"),
              std::string::npos);
}

// The log shows the bytes each file has: no zeros a unit past a file's end was compared with, and no
// byte of the longer file left out (the exit status said "different" for it before).
TEST_F(CliCompare, TheLogShowsExactlyTheFilesBytes) {
    std::string shared;
    for (int i = 0; i < 72; ++i) {
        shared += static_cast<char>('A' + i % 26);
    }
    CTempDir::Write(dir / "p1", shared + "\xD2\x70");
    CTempDir::Write(dir / "p2", shared + std::string(34, '0'));
    const Result cut = RunCli({"compare", "--no-ansi", dir / "p1", dir / "p2"});
    EXPECT_EQ(cut.status, 1);
    EXPECT_NE(cut.out.find("--  Deleted block  --\r\n00000048 : D2 70                   ; \r\n"),
              std::string::npos)
        << cut.out;
    EXPECT_NE(cut.out.find("00000068 : 30 30                   ; \r\n"), std::string::npos)
        << "file 2 ends at 0x6A";

    const std::string seventeen = "abcdefghijklmnopq";
    CTempDir::Write(dir / "q1", seventeen);
    CTempDir::Write(dir / "q2", seventeen + std::string(1, '\0'));
    const Result shown =
        RunCli({"compare", "--unit", "16", "--bytes-per-line", "16", "--no-ansi", dir / "q1", dir / "q2"});
    EXPECT_EQ(shown.status, 1);
    EXPECT_TRUE(shown.out.ends_with("--  New block  --\r\n" + std::string(66, ' ') + "00000011 :    00" +
                                    std::string(43, ' ') + "; \r\n"))
        << shown.out;
}

TEST_F(CliCompare, HelpAndWrongArgumentsNameTheOptionAndItsRange) {
    const Result help = RunCli({"compare", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--lookahead 0-100"), std::string::npos);
    const std::pair<Args, std::string> cases[] = {
        {{"--unit", "3"}, "--unit: '3' is not a compare unit; use 1, 2, 4, 8 or 16"},
        {{"--unit", "8x"}, "--unit: '8x' is not a compare unit; use 1, 2, 4, 8 or 16"},
        {{"--lookahead", "101"}, "--lookahead: '101' is out of range; use 0 to 100"},
        {{"--lookahead", "-1"}, "--lookahead: '-1' is out of range; use 0 to 100"},
        {{"--bytes-per-line", "0"}, "--bytes-per-line: '0' is out of range; use 1 to 32"},
        {{"--bytes-per-line=33"}, "--bytes-per-line: '33' is out of range; use 1 to 32"},
        {{"--format", "xml"}, "--format: 'xml' is not a format; use log, json or summary"},
        {{"--colour"}, "unknown option --colour (see 'dyadmon-cli compare --help')"},
    };
    for (const auto& [options, message] : cases) {
        Args args{"compare"};
        args.insert(args.end(), options.begin(), options.end());
        args.insert(args.end(), {dir / "a", dir / "b"});
        ExpectTrouble(args, message);
    }
    ExpectTrouble({"compare", dir / "a"}, "compare needs two files (see 'dyadmon-cli compare --help')");
    ExpectTrouble({"compare", "--log"}, "--log needs a value");
    for (const Args& args :
         {Args{"compare", "--log", "", dir / "a", dir / "b"}, {"compare", "--log=", dir / "a", dir / "b"}}) {
        ExpectTrouble(args, "--log needs a file ('-' for standard output)");
    }
    EXPECT_EQ(RunCli({"frobnicate"}).status, 2);
    EXPECT_EQ(RunCli({}).status, 2);
}

// Trouble leaves no output file, keeps an earlier one whole and never writes over an input, by its
// name or through a link. A write that fails part-way (at the file size limit, whose signal the
// program ignores) leaves no temporary file behind.
TEST_F(CliCompare, TroubleIsToldAndLeavesNoOutputFile) {
    std::string big(300000, 'q');
    CTempDir::Write(dir / "big1", big);
    big[150000] = 'r';
    CTempDir::Write(dir / "big2", big);
    CTempDir::Write(dir / "log.txt", "the earlier log");
    fs::create_symlink(dir / "b", dir / "link-to-b");
    const std::string log = dir / "log.txt", a = dir / "a", b = dir / "b";
    const std::string isInput = "The log file is one of the compared files.";
    ExpectTrouble({"compare", "--log", log, a, dir / "gone"},
                  "Can't open the file " + dir / "gone" + " (it does not exist)");
    // Each reason told: a folder, a socket.
    ExpectTrouble({"compare", a, dir.path().string()},
                  "Can't open the file " + dir.path().string() + " (it is a folder)");
    const std::string socketPath = dir / "socket";
    const int listening = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ExpectTrouble({"compare", a, socketPath}, "Can't open the file " + socketPath + " (it is a socket)");
    close(listening);
    fs::remove(socketPath);
    ExpectTrouble({"compare", "--log", dir / "none/log.txt", a, b},
                  "File is using by other application. (No such file or directory)");
    ExpectTrouble({"compare", "--log", dir.path().string(), a, b},
                  "File is using by other application. (Is a directory)");
    ExpectTrouble({"compare", "--log", "/dev/full", a, b}, "Error in writing log file.");
    ExpectTrouble({"compare", "--log", a, a, b}, isInput);
    ExpectTrouble({"compare", "--log", dir / "link-to-b", a, b}, isInput);
    // Standard output appended to an input (">> b") is refused as --log b is.
    ExpectTrouble({"compare", a, b}, "Standard output is one of the compared files.",
                  [&b] { dup2(open(b.c_str(), O_WRONLY | O_APPEND), STDOUT_FILENO); });
    ExpectTrouble({"compare", "--log", log, dir / "big1", dir / "big2"}, "Error in writing log file.",
                  [] { LimitFileSize(1 << 20); });
    EXPECT_EQ(CTempDir::Read(log), "the earlier log");
    EXPECT_EQ(CTempDir::Read(a), "ABCDEFGH");
    EXPECT_EQ(CTempDir::Read(b), "ABXCDEFGH");
    EXPECT_FALSE(fs::exists(dir / "gone"));
    EXPECT_EQ(dir.FileCount(), 7); // a, b, a2, big1, big2, log.txt, link-to-b
}

// One pipe given as both files would be read once, and the second reading see nothing: refused.
TEST_F(CliCompare, OneStreamGivenTwiceIsRefused) {
    int in[2];
    ASSERT_EQ(pipe2(in, O_CLOEXEC), 0);
    ASSERT_EQ(write(in[1], "same", 4), 4);
    close(in[1]);
    ExpectTrouble(
        {"compare", "/dev/stdin", "/dev/stdin"},
        "/dev/stdin and /dev/stdin are one stream, which can be read only once: save it to a file and "
        "compare that.",
        [&in] { dup2(in[0], STDIN_FILENO); });
    close(in[0]);
    EXPECT_EQ(RunCli({"compare", "/dev/null", "/dev/null"}).status, 0) << "a device that is no stream";
}

// A stream that outgrows the memory it may have ends in a message, not an abort.
TEST_F(CliCompare, StreamLargerThanMemoryIsRefusedCleanly) {
    ExpectTrouble({"compare", "/dev/zero", dir / "a"}, "Not enough memory to read the file /dev/zero.", [] {
        const rlimit limit{512u << 20, 512u << 20};
        setrlimit(RLIMIT_AS, &limit);
    });
}

// The progress line goes to standard error on a terminal, drawn in place and erased; standard output
// never sees it, and without a terminal it stays away unless asked for.
TEST_F(CliCompare, ProgressShowsOnTheTerminalOnly) {
    const auto onTerminal = [&](const char* flag) {
        const std::string out = dir / "out";
        const std::string a = dir / "a", b = dir / "b";
        int master = -1;
        const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
        if (pid == 0) {
            const int file = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(file, STDOUT_FILENO);
            execl(DYADMON_CLI, DYADMON_CLI, "compare", flag, a.c_str(), b.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        std::string terminal;
        char chunk[4096];
        for (ssize_t n; (n = read(master, chunk, sizeof chunk)) > 0;) {
            terminal.append(chunk, static_cast<std::size_t>(n));
        }
        close(master);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_EQ(CTempDir::Read(out).find("Comparing"), std::string::npos);
        return terminal;
    };
    const std::string shown = onTerminal("--progress");
    EXPECT_NE(shown.find("Comparing 100%"), std::string::npos) << shown;
    EXPECT_TRUE(shown.ends_with("\r\x1b[K")) << "erased when done";
    EXPECT_EQ(onTerminal("--no-progress"), "");
    EXPECT_EQ(RunCli({"compare", dir / "a", dir / "b"}).err, "") << "no terminal, no line";
}

// A signal that ends the program while the log is being made takes the temporary log with it; one the
// caller ignores (as nohup does SIGHUP) stays ignored, and a standard error closed by its reader
// leaves the run to complete its log.
TEST_F(CliCompare, SignalsDuringTheLogLeaveTheFolderClean) {
    std::string random(4 << 20, '\0');
    std::generate(random.begin(), random.end(), std::mt19937(12345));
    CTempDir::Write(dir / "r1", random);
    std::reverse(random.begin(), random.end());
    CTempDir::Write(dir / "r2", random);
    const std::string log = dir / "log.txt", r1 = dir / "r1", r2 = dir / "r2";
    struct Running {
        pid_t pid;
        int errReader;
    };
    const auto start = [&]() -> Running {
        const int watch = inotify_init1(IN_CLOEXEC);
        EXPECT_GE(inotify_add_watch(watch, dir.path().c_str(), IN_CREATE), 0);
        // Standard error is a full pipe: the progress line's first write, made once the comparison
        // has begun, blocks, so the program is still at work when the signal comes, however slow
        // this machine is.
        int err[2];
        EXPECT_EQ(pipe2(err, O_CLOEXEC | O_NONBLOCK), 0);
        const std::string filler(4096, 'f');
        while (write(err[1], filler.data(), filler.size()) > 0) {
        }
        EXPECT_EQ(fcntl(err[1], F_SETFL, 0), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(err[1], STDERR_FILENO);
            signal(SIGHUP, SIG_IGN);
            const char* argv[] = {DYADMON_CLI, "compare",   "--unit",     "1",        "--lookahead", "100",
                                  "--log",     log.c_str(), "--progress", r1.c_str(), r2.c_str(),    nullptr};
            execv(DYADMON_CLI, const_cast<char**>(argv));
            _exit(127);
        }
        close(err[1]);
        // The temporary log is made before the comparison starts: signal as soon as it is there.
        alignas(inotify_event) char events[4096];
        EXPECT_GT(read(watch, events, sizeof events), 0);
        close(watch);
        return {pid, err[0]};
    };
    for (const int ending : {SIGTERM, SIGINT, SIGUSR1, SIGUSR2, SIGALRM, SIGRTMIN + 2}) {
        const Running run = start();
        kill(run.pid, ending);
        int status = 0;
        waitpid(run.pid, &status, 0);
        close(run.errReader);
        ASSERT_TRUE(WIFSIGNALED(status))
            << strsignal(ending) << ": ended before it with " << WEXITSTATUS(status);
        EXPECT_EQ(WTERMSIG(status), ending);
        EXPECT_EQ(dir.FileCount(), 5) << strsignal(ending); // a, b, a2, r1, r2
    }

    const Running run = start();
    kill(run.pid, SIGHUP);
    close(run.errReader);
    int status = 0;
    waitpid(run.pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "died of " << strsignal(WTERMSIG(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(dir.FileCount(), 6) << "the log, complete, and no temporary beside it";
    EXPECT_NE(CTempDir::Read(log).find("Dyadmon v3.0 log file."), std::string::npos);
}

// A reader of standard output that has gone ends the program as it ends other tools, quietly; a full
// standard output is a failed write, status 2, for help and version too.
TEST_F(CliCompare, ClosedOrFullStandardOutput) {
    const Result closed = RunCli({"compare", dir / "a", dir / "b"}, [] { close(STDOUT_FILENO); });
    EXPECT_EQ(closed.status, 2);
    for (const Args& args : {Args{"--version"}, Args{"--help"}, Args{"compare", "--help"},
                             Args{"snapshot", "--help"}, Args{"compare", dir / "a", dir / "b"}}) {
        const Result full = RunCli(args, [] { dup2(open("/dev/full", O_WRONLY), STDOUT_FILENO); });
        EXPECT_EQ(full.status, 2) << args[0];
        EXPECT_NE(full.err, "") << args[0];
    }
    int out[2];
    ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
    close(out[0]);
    const Result gone = RunCli({"compare", dir / "a", dir / "b"}, [&] { dup2(out[1], STDOUT_FILENO); });
    close(out[1]);
    EXPECT_EQ(gone.status, 128 + SIGPIPE);
    EXPECT_EQ(gone.err, "");
}

// A mapped file that shrinks under the comparison ends in a message and status 2, and the output
// being written is removed.
TEST(BusErrorGuardDeathTest, ShrunkMappedFileEndsCleanly) {
    CTempDir dir;
    const std::string path = dir / "shrinks";
    CTempDir::Write(path, std::string(1 << 16, 'k'));
    CTempDir::Write(dir / "partial-output", "x");
    EXPECT_EXIT(
        {
            CFileBuffer buffer;
            buffer.Load(path, CFileBuffer::Mode::Map);
            CBusErrorGuard::Install("dyadmon-cli");
            CBusErrorGuard::Watch(buffer.Data(), buffer.SpanLength(), "shrinks");
            CPendingFiles::Add(dir / "partial-output");
            if (truncate(path.c_str(), 0) != 0) {
                _exit(5);
            }
            volatile std::uint8_t sink = buffer.Data()[40000];
            (void)sink;
            _exit(0);
        },
        ::testing::ExitedWithCode(2),
        "dyadmon-cli: The file shrinks changed size while it was being compared.");
    EXPECT_FALSE(fs::exists(dir / "partial-output"));
}

// dyadmon-cli with its profile and data folders in the test's folder, so no test touches the user's.
class CliSnapshot : public ::testing::Test {
protected:
    void SetUp() override {
        CTempDir::Write(dir / "v1", "version one");
        CTempDir::Write(dir / "v2", "version two!");
    }
    Result Run(const Args& args, const std::function<void()>& inChild = {},
               const std::string& program = DYADMON_CLI) {
        const std::string config = dir / "config", data = dir / "data";
        return RunCli(
            args,
            [&] {
                setenv("XDG_CONFIG_HOME", config.c_str(), 1);
                setenv("XDG_DATA_HOME", data.c_str(), 1);
                if (inChild) {
                    inChild();
                }
            },
            program);
    }
    // "snapshot VERB --store STORE ARGS...".
    Result Snap(const Args& args, const std::function<void()>& inChild = {}) {
        Args full{"snapshot", args.front(), "--store", store};
        full.insert(full.end(), args.begin() + 1, args.end());
        return Run(full, inChild);
    }
    CTempDir dir;
    std::string store = dir / "snaps";
};

TEST_F(CliSnapshot, AddListDescribeRemove) {
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(Snap({"add", dir / (i % 2 ? "v1" : "v2")}).out, std::to_string(i) + "\n");
    }
    EXPECT_EQ(Snap({"describe", "2", "tab\there\nand \\ back"}).status, 0);
    const Result list = Snap({"list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.err, "");
    const std::string second = list.out.substr(list.out.find("\n2\t") + 1);
    EXPECT_TRUE(second.starts_with("2\tv2  (")) << second;
    const std::string source = dir / "v2";
    EXPECT_EQ(second.substr(second.find(")\t") + 2, source.size() + 1), source + '\t');
    EXPECT_NE(second.find("\t12\ttab\\there\\nand \\\\ back\tHex00002.img\n"), std::string::npos) << second;

    // Several at once, by the numbers listed before the removal.
    EXPECT_EQ(Snap({"remove", "1", "3"}).status, 0);
    EXPECT_FALSE(fs::exists(store + "/Hex00001.img"));
    const Result after = Snap({"list"});
    EXPECT_TRUE(after.out.starts_with("1\tv2  (")) << after.out;
    EXPECT_NE(after.out.find("Hex00002.img\n2\tv2"), std::string::npos) << after.out;
    EXPECT_TRUE(after.out.ends_with("Hex00004.img\n"));
    ExpectTrouble({"snapshot", "remove", "--store", store, "3"},
                  "'3' is not a snapshot number; the snapshot folder " + store + " holds 2 snapshots");
}

// A reference is exactly "*" and a number; anything else is a file name.
TEST_F(CliSnapshot, CompareTakesExactSnapshotReferences) {
    Snap({"add", dir / "v1"});
    CTempDir::Write(dir / "v1", "version ONE");
    const Result r = Run({"compare", "--store", store, "--format", "json", "--unit", "1", "*1", dir / "v1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("\"file1\": {\"name\": \"v1  ("), std::string::npos) << r.out;
    EXPECT_EQ(Run({"compare", "--store", store, "*1", "*1"}).status, 0);
    ExpectTrouble({"compare", "--store", store, "*1", "*2"},
                  "There is no snapshot *2: the snapshot folder " + store + " holds 1.");
    for (const std::string target : {"*1x", "*01", "*1.bin"}) {
        ExpectTrouble({"compare", "--store", store, target, dir / "v1"},
                      "Can't open the file " + target + " (it does not exist)");
    }
    for (const Args& args : {Args{"compare", "--store", "", "*1", "*1"},
                             {"compare", "--store=", "*1", "*1"},
                             {"snapshot", "list", "--store="},
                             {"snapshot", "add", "--store", "", dir / "v1"}}) {
        ExpectTrouble(args, "--store needs a folder");
    }
}

// Readers go ahead while the window holds the store; writers are refused at once.
TEST_F(CliSnapshot, ChangesAreRefusedWhileAWindowHoldsTheStore) {
    Snap({"add", dir / "v1"});
    CRecordedMessages messages;
    CSnapshotStore holder(messages);
    holder.LoadCatalogue(store);
    ASSERT_FALSE(holder.IsReadOnly());
    const Result add = Snap({"add", dir / "v2"});
    EXPECT_EQ(add.status, 2);
    EXPECT_NE(add.err.find("Another Dyadmon is using the snapshot folder " + store), std::string::npos);
    EXPECT_FALSE(fs::exists(store + "/Hex00002.img"));
    EXPECT_EQ(Snap({"list"}).status, 0);
    EXPECT_EQ(Run({"compare", "--store", store, "*1", dir / "v1"}).status, 0);
}

// Another command holds the store for a moment: a change waits for it instead of failing, so commands
// run side by side all land.
TEST_F(CliSnapshot, ChangesWaitForAnotherCommand) {
    Snap({"add", dir / "v1"});
    CRecordedMessages messages;
    auto holder = std::make_unique<CSnapshotStore>(messages);
    holder->SetHolder(CSnapshotStore::Holder::Command);
    holder->LoadCatalogue(store);
    ASSERT_FALSE(holder->IsReadOnly());
    const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    ASSERT_GE(inotify_add_watch(watch, (store + "/DadUzura.lock").c_str(), IN_ACCESS), 0);
    CTempDir outDir;
    const std::string out = outDir / "out";
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        const std::string file = dir / "v2";
        execl(DYADMON_CLI, DYADMON_CLI, "snapshot", "add", "--store", store.c_str(), file.c_str(), nullptr);
        _exit(127);
    }
    // The command reads who holds the lock once it has found it held: it is waiting then.
    int status = 0;
    bool waiting = false;
    while (!waiting && waitpid(pid, &status, WNOHANG) == 0) {
        pollfd ready{watch, POLLIN, 0};
        alignas(inotify_event) char events[4096];
        waiting = poll(&ready, 1, 100) > 0 && read(watch, events, sizeof events) > 0;
    }
    close(watch);
    ASSERT_TRUE(waiting) << "ended without waiting, status " << WEXITSTATUS(status);
    holder.reset();
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(CTempDir::Read(out), "2\n");

    std::vector<pid_t> running;
    for (int i = 0; i < 6; ++i) {
        running.push_back(fork());
        if (running.back() == 0) {
            dup2(open("/dev/null", O_WRONLY), STDOUT_FILENO);
            const std::string file = dir / "v1";
            execl(DYADMON_CLI, DYADMON_CLI, "snapshot", "add", "--store", store.c_str(), file.c_str(),
                  nullptr);
            _exit(127);
        }
    }
    for (const pid_t child : running) {
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_TRUE(Snap({"list"}).out.find("\n8\tv1") != std::string::npos);
}

// Without --store the folder comes from the profile, as the program keeps it.
TEST_F(CliSnapshot, WorkingFolderFromTheProfile) {
    fs::create_directories(dir / "config/Orvane Lab");
    fs::create_directories(dir / "kept");
    CTempDir::Write(dir / "config/Orvane Lab/Dyadmon v3.0.conf",
                    "[Settings]\nWorkingDir=" + dir / "kept" + "\n");
    EXPECT_EQ(Run({"snapshot", "add", dir / "v1"}).out, "1\n");
    EXPECT_TRUE(fs::exists(dir / "kept/Hex00001.img"));
}

// A profile that is there but cannot be read stops every command that needs the store: read as empty,
// it would send the snapshots to another folder than the one it names.
TEST_F(CliSnapshot, AProfileThatCannotBeReadIsAnError) {
    const std::string profile = dir / "config/Orvane Lab/Dyadmon v3.0.conf";
    fs::create_directories(profile);
    const std::string said = "dyadmon-cli: The profile " + profile + " cannot be read: it is a folder\n";
    for (const Args& args :
         {Args{"snapshot", "add", dir / "v1"}, Args{"snapshot", "list"}, Args{"compare", "*1", dir / "v1"}}) {
        const Result r = Run(args);
        EXPECT_EQ(r.status, 2) << args[1];
        EXPECT_EQ(r.err, said);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(fs::exists(dir / "data/Orvane Lab")) << "no other store was made";
    EXPECT_EQ(Run({"compare", dir / "v1", dir / "v1"}).status, 0) << "files need no store";
    if (geteuid() != 0) {
        fs::remove(profile);
        CTempDir::Write(profile, "[Settings]\nWorkingDir=" + dir / "kept" + "\n");
        fs::permissions(profile, fs::perms::none);
        const Result r = Run({"snapshot", "add", dir / "v1"});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "dyadmon-cli: The profile " + profile + " cannot be read: Permission denied\n");
    }
}

// The store beside a program in a folder whose name is not UTF-8 is found again by its bytes.
TEST_F(CliSnapshot, AProgramFolderThatIsNotTextIsKeptByItsBytes) {
    const std::string folder = dir / "tools \xff\xfe";
    fs::create_directory(folder);
    const std::string program = folder + "/dyadmon-cli";
    fs::copy_file(DYADMON_CLI, program);
    fs::permissions(program, fs::perms::owner_all);
    EXPECT_EQ(Run({"snapshot", "add", dir / "v1"}, {}, program).out, "1\n");
    EXPECT_TRUE(fs::exists(folder + "/DadUzura/Hex00001.img"));
    EXPECT_EQ(Run({"snapshot", "add", dir / "v2"}, {}, program).out, "2\n");
    EXPECT_TRUE(fs::exists(folder + "/DadUzura/Hex00002.img")) << "the same folder, from the profile";
    // As the program reads it.
    const char* before = std::getenv("XDG_CONFIG_HOME");
    const std::string kept = before != nullptr ? before : "";
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    EXPECT_EQ(CSettingsProfile().GetString("Settings", "WorkingDir"), folder + "/DadUzura");
    before != nullptr ? setenv("XDG_CONFIG_HOME", kept.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
}

TEST_F(CliSnapshot, ImagesMustBeRegularFilesAndMessagesNameThem) {
    Snap({"add", dir / "v1"});
    Snap({"add", dir / "v2"});
    const std::string image = store + "/Hex00001.img";
    ExpectTrouble({"compare", "--store", store, "--log", image, "*1", dir / "v2"},
                  "The log file is one of the compared files.");
    EXPECT_EQ(CTempDir::Read(image), "version one");

    fs::remove(image);
    const Result missing = Run({"compare", "--store", store, "*1", dir / "v1"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.starts_with("dyadmon-cli: Can't open the file v1  (")) << missing.err;
    EXPECT_TRUE(missing.err.ends_with("(snapshot *1, image " + image + ": No such file or directory)\n"))
        << missing.err;

    // A fifo in the image's place is refused at once, never waited on.
    ASSERT_EQ(mkfifo(image.c_str(), 0600), 0);
    const Result fifo = Run({"compare", "--store", store, "*1", dir / "v1"}, [] { alarm(20); });
    EXPECT_EQ(fifo.status, 2);
    EXPECT_NE(fifo.err.find(": it is not a regular file. (snapshot *1, image " + image + ")"),
              std::string::npos)
        << fifo.err;
}

TEST_F(CliSnapshot, FailuresAreNeverReportedAsSuccess) {
    Snap({"add", dir / "v1"});
    const std::string catalogue = store + "/DadUzura.cfg";
    const std::string good = CTempDir::Read(catalogue);
    const auto images = [&] {
        return std::count_if(fs::directory_iterator(store), {},
                             [](const auto& entry) { return entry.path().extension() == ".img"; });
    };

    // Standard output that cannot be written: no number, and no snapshot left behind.
    ExpectTrouble({"snapshot", "add", "--store", store, dir / "v2"}, "Error in writing to standard output.",
                  [] { dup2(open("/dev/full", O_WRONLY), STDOUT_FILENO); });
    EXPECT_EQ(CTempDir::Read(catalogue), good);
    EXPECT_EQ(images(), 1);

    // A file-size limit stops the image: said as the failed write it is, not as a file too large.
    CTempDir::Write(dir / "big", std::string(3 << 20, 'b'));
    const Result limited = Snap({"add", dir / "big"}, [] { LimitFileSize(1 << 20); });
    EXPECT_EQ(limited.status, 2);
    EXPECT_EQ(limited.out, "");
    EXPECT_TRUE(limited.err.starts_with("dyadmon-cli: Can't write the image " + store +
                                        "/Hex00002.img (File too large)"))
        << limited.err;
    EXPECT_EQ(CTempDir::Read(catalogue), good);
    EXPECT_EQ(images(), 1);

    // Damaged, and no copy of it can be kept aside (the file size limit is a few bytes).
    CTempDir::Write(catalogue, good + "\x07");
    const Result damaged = Snap({"add", dir / "v2"}, [] { LimitFileSize(8); });
    EXPECT_EQ(damaged.status, 3);
    EXPECT_EQ(damaged.out, "");
    EXPECT_EQ(CTempDir::Read(catalogue), good + "\x07");
    EXPECT_EQ(images(), 1);
    const Result list = Snap({"list"});
    EXPECT_EQ(list.status, 3) << "the good records are listed, and the damage told";
    EXPECT_TRUE(list.out.starts_with("1\tv1  (")) << list.out;
    EXPECT_EQ(list.err, "dyadmon-cli: Config file DadUzura.cfg damaged.\n");

    // A folder where the catalogue belongs: nothing can be read, nothing is changed.
    fs::remove(catalogue);
    fs::create_directory(catalogue);
    for (const Args& args : {Args{"add", dir / "v2"}, {"remove", "1"}, {"describe", "1", "x"}, {"list"}}) {
        const Result r = Snap(args);
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(r.out, "") << args[0];
        EXPECT_NE(r.err.find("Error in opening the config file. (" + catalogue + ": it is a folder)"),
                  std::string::npos)
            << r.err;
    }
    EXPECT_EQ(images(), 1);
}

} // namespace

namespace {

// The options --help lists are the ones the man page describes and the completion offers: the three
// cannot drift apart unnoticed.
TEST(CliDocumentation, HelpManPageAndCompletionNameTheSameOptions) {
    const std::string man = CTempDir::Read(DYAD_SOURCE_DIR "/res/man/dyadmon-cli.1");
    const std::string completion = CTempDir::Read(DYAD_SOURCE_DIR "/res/completion/dyadmon-cli.bash");
    std::set<std::string> options;
    for (const Args& help : {Args{"compare", "--help"}, Args{"snapshot", "--help"}, Args{"--help"}}) {
        const Result r = RunCli(help);
        ASSERT_EQ(r.status, 0);
        for (std::size_t at = r.out.find("--"); at != std::string::npos; at = r.out.find("--", at + 2)) {
            const std::size_t end = r.out.find_first_not_of("abcdefghijklmnopqrstuvwxyz-", at + 2);
            options.insert(r.out.substr(at, end - at));
        }
    }
    ASSERT_GE(options.size(), 12u);
    for (const std::string& option : options) {
        std::string roff;
        for (const char c : option) {
            roff += c == '-' ? std::string("\\-") : std::string(1, c);
        }
        EXPECT_NE(man.find(roff), std::string::npos) << option << " is not in the man page";
        EXPECT_NE(completion.find(option), std::string::npos) << option << " is not completed";
    }
    // The values of --unit and --format, as the help gives them.
    const std::string help = RunCli({"compare", "--help"}).out;
    for (const std::string name : {"unit", "format"}) {
        const std::size_t at = help.find("--" + name + " ") + name.size() + 3;
        const std::string values = help.substr(at, help.find(' ', at) - at);
        std::string words = values;
        std::replace(words.begin(), words.end(), '|', ' ');
        EXPECT_NE(man.find("\\-\\-" + name + " \" " + values + "\""), std::string::npos) << values;
        EXPECT_NE(completion.find("compgen -W '" + words + "'"), std::string::npos) << values;
    }
    for (const char* verb : {"list", "add", "remove", "describe"}) {
        EXPECT_NE(man.find(std::string("snapshot ") + verb), std::string::npos) << verb;
        EXPECT_NE(completion.find(verb), std::string::npos) << verb;
    }
}

} // namespace
