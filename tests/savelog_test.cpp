#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "compare/compdoc.h"
#include "compare/core/bufferedwriter.h"
#include "compare/core/compsettings.h"
#include "compare/core/logwriter.h"
#include "platform/promptrecorder.h"
#include "recordedmessages.h"
#include "snapshots/core/snapshotstore.h"
#include "tempdir.h"
#include "windowfixture.h"

namespace {

constexpr int kSaveLog = 33026;
const QString kCantWrite = "Error in writing log file.";
const QString kIsInput = "The log file is one of the compared files.";

// The message for a file that cannot be made, with the system's reason.
QString CantCreate(int error) {
    return "File is using by other application. (" + QString::fromLocal8Bit(std::strerror(error)) + ")";
}

// Lowers the file size limit of the whole process for one save; a write past it fails with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : m_previousHandler(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &m_previous);
        const rlimit lower{bytes, m_previous.rlim_max};
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int);
};

class SaveLog : public CWindowFixture {
protected:
    CCompDoc& Open(const std::string& data1, const std::string& data2, int bytesPerLine, bool ansi) {
        doc = OpenCompareDoc(data1, data2);
        doc->SetBytesPerLine(bytesPerLine);
        doc->SetAnsi(ansi);
        doc->LoadAndCompare();
        return *doc;
    }

    void SaveTo(const std::string& path) {
        prompts.fileAnswers.push_back(Q(path));
        doc->OnSaveLog();
    }

    // What the log writer gives for the document as it stands, written outside the test's folder.
    std::string ExpectedLog() const {
        CTempDir elsewhere;
        const std::string path = elsewhere / "expected";
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        {
            CBufferedWriter out(fd);
            CLogWriter(doc->Lines(), doc->Buffer1(), doc->Buffer2(), doc->IsAnsi()).WriteLog(out);
            EXPECT_TRUE(out.Finish());
        }
        close(fd);
        return CTempDir::Read(path);
    }

    std::unique_ptr<CCompDoc> doc;
};

TEST_F(SaveLog, TheCommandAsksForATextFileAndACancelWritesNothing) {
    Open("abc", "abd", 8, false);
    const int files = dir.FileCount();
    CommandState state{false, true};
    EXPECT_TRUE(doc->OnUpdateCommand(kSaveLog, state));
    EXPECT_TRUE(state.enabled);
    EXPECT_FALSE(state.checked);
    EXPECT_FALSE(doc->OnCommand(kSaveLog + 1));

    EXPECT_TRUE(doc->OnCommand(kSaveLog));
    ASSERT_EQ(prompts.saveRequests.size(), 1u);
    const CPrompts::SaveRequest& request = prompts.saveRequests[0];
    EXPECT_EQ(request.caption, "Save to log file");
    EXPECT_EQ(request.suggestedName, "");
    EXPECT_EQ(request.filter, "Text Files (*.txt);;All Files (*)");
    EXPECT_EQ(request.defaultSuffix, "txt");
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(dir.FileCount(), files);
}

TEST_F(SaveLog, WritesTheLogAndReplacesAnEarlierFileWhole) {
    Open("ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRST", 8, false);
    CTempDir::Write(dir / "log.txt", std::string(5000, 'e'));
    SaveTo(dir / "log.txt");
    std::string expected = "Dyadmon v3.0 log file.\r\n\r\n--  Same block  --\r\n";
    for (const std::string part :
         {"00000000 : 41 42 43 44 45 46 47 48 ; ", "00000008 : 49 4A 4B 4C 4D 4E 4F 50 ; ",
          "00000010 : 51 52 53 54             ; "}) {
        expected += part + "     " + part + "\r\n";
    }
    EXPECT_EQ(CTempDir::Read(dir / "log.txt"), expected);

    // The layout follows the document's columns and ANSI flag as they stand.
    Open("same start, then the first file's own bytes \x7F\xA0 and a shared end",
         "same start, then other bytes and a shared end", 16, true);
    SaveTo(dir / "log.txt");
    EXPECT_EQ(CTempDir::Read(dir / "log.txt"), ExpectedLog());
    doc->SetAnsi(false);
    SaveTo(dir / "log.txt");
    EXPECT_EQ(CTempDir::Read(dir / "log.txt"), ExpectedLog());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(dir.FileCount(), 4); // store, one, two, log.txt
}

TEST_F(SaveLog, EmptyFilesGiveTheHeaderOnly) {
    Open("", "", 8, true);
    SaveTo(dir / "empty.txt");
    EXPECT_EQ(CTempDir::Read(dir / "empty.txt"), "Dyadmon v3.0 log file.\r\n");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(SaveLog, AFileThatCannotBeMadeIsReportedAndNothingIsWritten) {
    Open("abc", "abd", 8, false);
    std::filesystem::create_directory(dir / "folder");
    const int files = dir.FileCount();
    SaveTo(dir / "none/log.txt");
    SaveTo(dir / "folder");
    SaveTo("/proc/dyadmon-log.txt"); // not writable even for root
    EXPECT_EQ(Messages(), (std::vector<QString>{CantCreate(ENOENT), CantCreate(EISDIR), CantCreate(ENOENT)}));
    EXPECT_EQ(dir.FileCount(), files);
    EXPECT_TRUE(std::filesystem::is_empty(dir / "folder"));
}

// Saving over an input, by its name or through a link, would lose a file the user still has open.
TEST_F(SaveLog, TheLogNeverReplacesOneOfTheComparedFiles) {
    Open("first file", "second file", 8, false);
    std::filesystem::create_symlink(dir / "two", dir / "link-to-two");
    const int files = dir.FileCount();
    SaveTo(dir / "one");
    SaveTo(dir / "link-to-two");
    EXPECT_EQ(Messages(), (std::vector<QString>{kIsInput, kIsInput}));
    EXPECT_EQ(CTempDir::Read(dir / "one"), "first file");
    EXPECT_EQ(CTempDir::Read(dir / "two"), "second file");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link-to-two"));
    EXPECT_EQ(dir.FileCount(), files);
}

TEST_F(SaveLog, AReadOnlyFolderOrFileKeepsTheEarlierFile) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes whatever the permissions say";
    }
    Open("abc", "abd", 8, false);
    std::filesystem::create_directory(dir / "locked");
    CTempDir::Write(dir / "locked/log.txt", "the earlier log");
    CTempDir::Write(dir / "readonly.txt", "read-only log");
    chmod((dir / "readonly.txt").c_str(), 0444);
    chmod((dir / "locked").c_str(), 0555);
    SaveTo(dir / "locked/log.txt");
    SaveTo(dir / "readonly.txt");
    chmod((dir / "locked").c_str(), 0755);
    EXPECT_EQ(Messages(), (std::vector<QString>{CantCreate(EACCES), CantCreate(EACCES)}));
    EXPECT_EQ(CTempDir::Read(dir / "locked/log.txt"), "the earlier log");
    EXPECT_EQ(CTempDir::Read(dir / "readonly.txt"), "read-only log");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "locked"), {}), 1);
}

TEST_F(SaveLog, AFailedWriteKeepsTheEarlierFileAndLeavesNoTemporary) {
    std::string big(300000, 'q');
    const std::string first = big;
    big[150000] = 'r';
    Open(first, big, 8, false);
    CTempDir::Write(dir / "log.txt", "the earlier log");
    const int files = dir.FileCount();

    SaveTo("/dev/full");
    EXPECT_EQ(Messages(), std::vector<QString>{kCantWrite});

    constexpr rlim_t kLimit = 1 << 20;
    {
        const FileSizeLimit limit(kLimit);
        SaveTo(dir / "log.txt");
    }
    EXPECT_EQ(Messages(), std::vector<QString>{kCantWrite});
    EXPECT_EQ(CTempDir::Read(dir / "log.txt"), "the earlier log");
    EXPECT_EQ(dir.FileCount(), files);

    // Without the limit the same log goes through, so the failure above came part-way.
    SaveTo(dir / "log.txt");
    EXPECT_TRUE(Messages().empty());
    EXPECT_GT(std::filesystem::file_size(dir / "log.txt"), kLimit);
}

} // namespace
