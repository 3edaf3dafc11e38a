#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "cli/buserrorguard.h"
#include "cli/comparecommand.h"
#include "compare/core/filebuffer.h"
#include "compare/core/pendingfiles.h"
#include "snapshots/core/snapshotstore.h"
#include "snapshots/core/storemessages.h"
#include "tempdir.h"

namespace fs = std::filesystem;

namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

// Runs the real dyadmon-cli; `inChild` runs between fork and exec.
Result RunCli(const std::vector<std::string>& args, const std::function<void()>& inChild = {}) {
    CTempDir dir;
    const std::string out = dir / "out";
    const std::string err = dir / "err";
    const pid_t pid = fork();
    if (pid == 0) {
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(o, STDOUT_FILENO);
        dup2(e, STDERR_FILENO);
        if (inChild) {
            inChild();
        }
        std::vector<char*> argv{const_cast<char*>(DYADMON_CLI)};
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execv(DYADMON_CLI, argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), CTempDir::Read(out),
            CTempDir::Read(err)};
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

TEST_F(CliCompare, ExitStatusTellsIdenticalFromDifferent) {
    EXPECT_EQ(RunCli({"compare", dir / "a", dir / "a2"}).status, 0);
    EXPECT_EQ(RunCli({"compare", dir / "a", dir / "b"}).status, 1);
    // Unit 16: a trailing zero byte compares as Same, but the files are not identical.
    CTempDir::Write(dir / "z", std::string("ABCDEFGH") + '\0');
    const Result r = RunCli({"compare", "--unit", "16", "--format", "json", dir / "a", dir / "z"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("\"identical\": false"), std::string::npos);
    EXPECT_NE(r.out.find("{\"kind\": \"same\", \"count\": 1, \"offset1\": 0, \"offset2\": 0}"),
              std::string::npos);
    EXPECT_EQ(r.out.find("\"new\""), std::string::npos);
}

TEST_F(CliCompare, JsonListsTheEnginesBlocks) {
    const Result r = RunCli({"compare", "--unit=1", "--lookahead=10", "--format=json", dir / "a", dir / "b"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "{\n  \"file1\": {\"name\": \"" + dir / "a" +
                         "\", \"size\": 8},\n  \"file2\": {\"name\": \"" + dir / "b" +
                         "\", \"size\": 9},\n  \"unit\": 1,\n  \"lookahead\": 10,\n  \"identical\": false,\n"
                         "  \"blocks\": [\n"
                         "    {\"kind\": \"same\", \"count\": 2, \"offset1\": 0, \"offset2\": 0},\n"
                         "    {\"kind\": \"new\", \"count\": 1, \"offset1\": null, \"offset2\": 2},\n"
                         "    {\"kind\": \"same\", \"count\": 6, \"offset1\": 2, \"offset2\": 3}\n  ]\n}\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(CliCompare, LogGoesToStandardOutputOrTheNamedFile) {
    const Result toStdout = RunCli({"compare", dir / "a", dir / "b"});
    // Defaults: 8 bytes per side with the characters column, 8L + 31 characters a Same line.
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

TEST_F(CliCompare, WrongArgumentsNameTheOptionAndItsRange) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--unit", "3"}, "--unit: '3' is not a compare unit; use 1, 2, 4, 8 or 16"},
        {{"--lookahead", "101"}, "--lookahead: '101' is out of range; use 0 to 100"},
        {{"--lookahead", "-1"}, "--lookahead: '-1' is out of range; use 0 to 100"},
        {{"--bytes-per-line", "0"}, "--bytes-per-line: '0' is out of range; use 1 to 32"},
        {{"--bytes-per-line=33"}, "--bytes-per-line: '33' is out of range; use 1 to 32"},
        {{"--unit", "8x"}, "--unit: '8x' is not a compare unit; use 1, 2, 4, 8 or 16"},
        {{"--format", "xml"}, "--format: 'xml' is not a format; use log or json"},
        {{"--colour"}, "unknown option --colour (see 'dyadmon-cli compare --help')"},
    };
    for (const auto& [options, message] : cases) {
        std::vector<std::string> args{"compare"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(dir / "a");
        args.push_back(dir / "b");
        const Result r = RunCli(args);
        EXPECT_EQ(r.status, 2) << message;
        EXPECT_EQ(r.err, "dyadmon-cli: " + message + "\n");
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(RunCli({"compare", dir / "a"}).err,
              "dyadmon-cli: compare needs two files (see 'dyadmon-cli compare --help')\n");
    EXPECT_EQ(RunCli({"compare", "--log"}).err, "dyadmon-cli: --log needs a value\n");
    EXPECT_EQ(RunCli({"frobnicate"}).status, 2);
    EXPECT_EQ(RunCli({}).status, 2);
}

TEST_F(CliCompare, HelpAndVersion) {
    const Result help = RunCli({"compare", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--lookahead 0-100"), std::string::npos);
    EXPECT_EQ(RunCli({"--help"}).status, 0);
    EXPECT_EQ(RunCli({"--version"}).out, "dyadmon-cli " DYAD_VERSION "\n");
}

TEST_F(CliCompare, TroubleLeavesNoOutputFile) {
    const Result missing = RunCli({"compare", "--log", dir / "log.txt", dir / "a", dir / "gone"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "dyadmon-cli: Can't open the file " + dir / "gone" + "\n");
    EXPECT_FALSE(fs::exists(dir / "log.txt"));
    EXPECT_FALSE(fs::exists(dir / "gone"));

    const Result noFolder = RunCli({"compare", "--log", dir / "none/log.txt", dir / "a", dir / "b"});
    EXPECT_EQ(noFolder.status, 2);
    EXPECT_EQ(noFolder.err, "dyadmon-cli: File is using by other application. (No such file or directory)\n");

    const Result full = RunCli({"compare", "--log", "/dev/full", dir / "a", dir / "b"});
    EXPECT_EQ(full.status, 2);
    EXPECT_EQ(full.err, "dyadmon-cli: Error in writing log file.\n");
}

// A write that fails part-way (here: the file size limit, whose signal the program ignores) keeps
// the earlier log whole and leaves no temporary file behind.
TEST_F(CliCompare, FailedWriteKeepsTheEarlierLog) {
    std::string big(300000, 'q');
    CTempDir::Write(dir / "big1", big);
    big[150000] = 'r';
    CTempDir::Write(dir / "big2", big);
    CTempDir::Write(dir / "log.txt", "the earlier log");
    const Result r = RunCli({"compare", "--log", dir / "log.txt", dir / "big1", dir / "big2"}, [] {
        const rlimit limit{1 << 20, 1 << 20};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "dyadmon-cli: Error in writing log file.\n");
    EXPECT_EQ(CTempDir::Read(dir / "log.txt"), "the earlier log");
    EXPECT_EQ(dir.FileCount(), 6); // a, b, a2, big1, big2, log.txt
}

TEST_F(CliCompare, TheLogIsNeverOneOfTheInputs) {
    fs::create_symlink(dir / "b", dir / "link-to-b");
    for (const std::string& log : {dir / "a", dir / "link-to-b"}) {
        const Result r = RunCli({"compare", "--log", log, dir / "a", dir / "b"});
        EXPECT_EQ(r.status, 2) << log;
        EXPECT_EQ(r.err, "dyadmon-cli: The log file is one of the compared files.\n");
    }
    EXPECT_EQ(CTempDir::Read(dir / "a"), "ABCDEFGH");
    EXPECT_EQ(CTempDir::Read(dir / "b"), "ABXCDEFGH");
    EXPECT_EQ(dir.FileCount(), 4);
    // The system's reason follows the message.
    EXPECT_EQ(RunCli({"compare", "--log", dir.path().string(), dir / "a", dir / "b"}).err,
              "dyadmon-cli: File is using by other application. (Is a directory)\n");
}

// A stream that outgrows the memory it may have ends in a message, not an abort.
TEST_F(CliCompare, StreamLargerThanMemoryIsRefusedCleanly) {
    const Result r = RunCli({"compare", "/dev/zero", dir / "a"}, [] {
        const rlimit limit{512u << 20, 512u << 20};
        setrlimit(RLIMIT_AS, &limit);
    });
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "dyadmon-cli: Not enough memory to read the file /dev/zero.\n");
}

// SIGTERM while the log is being made: the temporary log goes with the program.
TEST_F(CliCompare, SignalDuringTheLogLeavesTheFolderClean) {
    std::string random(4 << 20, '\0');
    std::uint32_t x = 12345;
    for (char& c : random) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    CTempDir::Write(dir / "r1", random);
    std::reverse(random.begin(), random.end());
    CTempDir::Write(dir / "r2", random);
    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watch, dir.path().c_str(), IN_CREATE), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        const char* argv[] = {DYADMON_CLI, "compare", "--unit", "1",     "--lookahead", "100",
                              "--log",     nullptr,   nullptr,  nullptr, nullptr};
        const std::string log = dir / "log.txt", r1 = dir / "r1", r2 = dir / "r2";
        argv[7] = log.c_str();
        argv[8] = r1.c_str();
        argv[9] = r2.c_str();
        execv(DYADMON_CLI, const_cast<char**>(argv));
        _exit(127);
    }
    // The temporary log is made before the comparison starts: signal as soon as it is there.
    alignas(inotify_event) char events[4096];
    ASSERT_GT(read(watch, events, sizeof events), 0);
    close(watch);
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "ended before the signal with " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_EQ(dir.FileCount(), 5); // a, b, a2, r1, r2
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

} // namespace

namespace {

// dyadmon-cli with its profile and data folders in `home`, so no test touches the user's.
Result RunIn(const CTempDir& home, const std::vector<std::string>& args) {
    const std::string config = home / "config";
    const std::string data = home / "data";
    return RunCli(args, [&] {
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        setenv("XDG_DATA_HOME", data.c_str(), 1);
    });
}

class CliSnapshot : public ::testing::Test {
protected:
    void SetUp() override {
        CTempDir::Write(dir / "v1", "version one");
        CTempDir::Write(dir / "v2", "version two!");
    }
    // "snapshot VERB --store STORE ARGS...".
    Result Snap(const std::vector<std::string>& args) {
        std::vector<std::string> full{"snapshot", args.front(), "--store", store};
        full.insert(full.end(), args.begin() + 1, args.end());
        return RunIn(dir, full);
    }
    CTempDir dir;
    std::string store = dir / "snaps";
};

TEST_F(CliSnapshot, AddListDescribeRemove) {
    EXPECT_EQ(Snap({"add", dir / "v1"}).out, "1\n");
    EXPECT_EQ(Snap({"add", dir / "v2"}).out, "2\n");
    EXPECT_EQ(Snap({"describe", "2", "tab\there\nand \\ back"}).status, 0);
    const Result list = Snap({"list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.err, "");
    const std::string second = list.out.substr(list.out.find("\n2\t") + 1);
    EXPECT_TRUE(second.starts_with("2\tv2  (")) << second;
    const std::string source = dir / "v2";
    EXPECT_EQ(second.substr(second.find(")\t") + 2, source.size() + 1), source + '\t');
    EXPECT_NE(second.find("\t12\ttab\\there\\nand \\\\ back\tHex00002.img\n"), std::string::npos) << second;

    EXPECT_EQ(Snap({"remove", "1"}).status, 0);
    EXPECT_FALSE(fs::exists(store + "/Hex00001.img"));
    const Result after = Snap({"list"});
    EXPECT_TRUE(after.out.starts_with("1\tv2  (")) << after.out;
    EXPECT_EQ(std::count(after.out.begin(), after.out.end(), '\n'), 1);
}

TEST_F(CliSnapshot, RemovesSeveralByTheNumbersListed) {
    for (int i = 0; i < 4; ++i) {
        Snap({"add", dir / (i % 2 ? "v2" : "v1")});
    }
    EXPECT_EQ(Snap({"remove", "1", "3"}).status, 0);
    const Result list = Snap({"list"});
    EXPECT_NE(list.out.find("1\tv2"), std::string::npos);
    EXPECT_NE(list.out.find("Hex00002.img\n2\tv2"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("Hex00004.img\n"), std::string::npos);
    const Result bad = Snap({"remove", "3"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err, "dyadmon-cli: '3' is not a snapshot number; the snapshot folder " + store +
                           " holds 2 snapshots\n");
}

// 500 bytes, not 500 characters: a longer description would make the next load stop as damaged.
TEST_F(CliSnapshot, DescriptionsAreLimitedTo500Bytes) {
    Snap({"add", dir / "v1"});
    std::string euros;
    for (int i = 0; i < 167; ++i) {
        euros += "\xE2\x82\xAC"; // 501 bytes in 167 characters
    }
    const Result refused = Snap({"describe", "1", euros});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("500 bytes"), std::string::npos);
    EXPECT_EQ(Snap({"describe", "1", euros.substr(3)}).status, 0);
    EXPECT_EQ(Snap({"list"}).status, 0);
}

TEST_F(CliSnapshot, CompareTakesSnapshotReferences) {
    Snap({"add", dir / "v1"});
    CTempDir::Write(dir / "v1", "version ONE");
    const Result r =
        RunIn(dir, {"compare", "--store", store, "--format", "json", "--unit", "1", "*1", dir / "v1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("\"file1\": {\"name\": \"v1  ("), std::string::npos) << r.out;
    EXPECT_EQ(RunIn(dir, {"compare", "--store", store, "*1", "*1"}).status, 0);
    const Result missing = RunIn(dir, {"compare", "--store", store, "*1", "*2"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err,
              "dyadmon-cli: There is no snapshot *2: the snapshot folder " + store + " holds 1.\n");
}

TEST_F(CliSnapshot, DamagedCatalogueListsTheGoodRecords) {
    Snap({"add", dir / "v1"});
    std::ofstream(store + "/DadUzura.cfg", std::ios::app) << "\x07";
    const Result list = Snap({"list"});
    EXPECT_EQ(list.status, 3);
    EXPECT_TRUE(list.out.starts_with("1\tv1  ("));
    EXPECT_EQ(list.err, "dyadmon-cli: Config file DadUzura.cfg damaged.\n");
}

TEST_F(CliSnapshot, ChangesWaitForTheOtherWriter) {
    Snap({"add", dir / "v1"});
    struct Quiet : CStoreMessages {
        void ShowError(const std::string&) override {}
        void ShowNotice(const std::string&) override {}
    } quiet;
    CSnapshotStore holder(quiet);
    holder.LoadCatalogue(store);
    ASSERT_FALSE(holder.IsReadOnly());
    const Result add = Snap({"add", dir / "v2"});
    EXPECT_EQ(add.status, 2);
    EXPECT_NE(add.err.find("Another Dyadmon is using the snapshot folder " + store), std::string::npos);
    EXPECT_FALSE(fs::exists(store + "/Hex00002.img"));
    EXPECT_EQ(Snap({"list"}).status, 0);
    EXPECT_EQ(RunIn(dir, {"compare", "--store", store, "*1", dir / "v1"}).status, 0);
}

// Without --store the folder comes from the profile, as the program keeps it.
TEST_F(CliSnapshot, WorkingFolderFromTheProfile) {
    fs::create_directories(dir / "config/Orvane Lab");
    fs::create_directories(dir / "kept");
    CTempDir::Write(dir / "config/Orvane Lab/Dyadmon v3.0.conf",
                    "[Settings]\nWorkingDir=" + dir / "kept" + "\n");
    EXPECT_EQ(RunIn(dir, {"snapshot", "add", dir / "v1"}).out, "1\n");
    EXPECT_TRUE(fs::exists(dir / "kept/Hex00001.img"));
}

TEST_F(CliSnapshot, ReferencesAreExactlyStarAndANumber) {
    Snap({"add", dir / "v1"});
    for (const std::string target : {"*1x", "*01", "*1.bin"}) {
        const Result r = RunIn(dir, {"compare", "--store", store, target, dir / "v1"});
        EXPECT_EQ(r.status, 2) << target;
        EXPECT_EQ(r.err, "dyadmon-cli: Can't open the file " + target + "\n");
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"compare", "--store", "", "*1", "*1"},
          {"compare", "--store=", "*1", "*1"},
          {"snapshot", "list", "--store="},
          {"snapshot", "add", "--store", "", dir / "v1"}}) {
        const Result r = RunIn(dir, args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "dyadmon-cli: --store needs a folder\n");
    }
}

TEST_F(CliSnapshot, ImagesMustBeRegularFilesAndMessagesNameThem) {
    Snap({"add", dir / "v1"});
    Snap({"add", dir / "v2"});
    const std::string image = store + "/Hex00001.img";
    const Result log = RunIn(dir, {"compare", "--store", store, "--log", image, "*1", dir / "v2"});
    EXPECT_EQ(log.err, "dyadmon-cli: The log file is one of the compared files.\n");
    EXPECT_EQ(CTempDir::Read(image), "version one");

    fs::remove(image);
    const Result missing = RunIn(dir, {"compare", "--store", store, "*1", dir / "v1"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.starts_with("dyadmon-cli: Can't open the file v1  (")) << missing.err;
    EXPECT_TRUE(missing.err.ends_with("(snapshot *1, image " + image + ": No such file or directory)\n"))
        << missing.err;

    // A fifo in the image's place is refused at once, never waited on.
    ASSERT_EQ(mkfifo(image.c_str(), 0600), 0);
    const Result fifo = RunCli({"compare", "--store", store, "*1", dir / "v1"}, [] { alarm(20); });
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
        int count = 0;
        for (const auto& entry : fs::directory_iterator(store)) {
            count += entry.path().extension() == ".img";
        }
        return count;
    };

    // Standard output that cannot be written: no number, and no snapshot left behind.
    const Result full = RunCli({"snapshot", "add", "--store", store, dir / "v2"}, [] {
        const int devFull = open("/dev/full", O_WRONLY);
        dup2(devFull, STDOUT_FILENO);
    });
    EXPECT_EQ(full.status, 2);
    EXPECT_EQ(full.err, "dyadmon-cli: Error in writing to standard output.\n");
    EXPECT_EQ(CTempDir::Read(catalogue), good);
    EXPECT_EQ(images(), 1);

    // Damaged, and no copy of it can be kept aside (the file size limit is a few bytes).
    CTempDir::Write(catalogue, good + "\x07");
    const Result damaged = RunCli({"snapshot", "add", "--store", store, dir / "v2"}, [] {
        const rlimit limit{8, 8};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(damaged.status, 3);
    EXPECT_EQ(damaged.out, "");
    EXPECT_EQ(CTempDir::Read(catalogue), good + "\x07");
    EXPECT_EQ(images(), 1);

    // A folder where the catalogue belongs: nothing can be read, nothing is changed.
    fs::remove(catalogue);
    fs::create_directory(catalogue);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"add", dir / "v2"}, {"remove", "1"}, {"describe", "1", "x"}, {"list"}}) {
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
