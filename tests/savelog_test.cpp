#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "compare/compdoc.h"
#include "compare/core/logwriter.h"
#include "files/bufferedwriter.h"
#include "windowfixture.h"

namespace {

const QString kCantWrite = "Error in writing log file.";
const QString kIsInput = "The log file is one of the compared files.";

// The message for a file that cannot be made, with the system's reason.
QString CantCreate(int error) {
    return "File is using by other application. (" + QString::fromLocal8Bit(std::strerror(error)) + ")";
}

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

    // What the log writer gives for the document as it stands.
    std::string ExpectedLog() const {
        return CTempDir::Capture([this](CBufferedWriter& out) {
            return CLogWriter(doc->Lines(), doc->Buffer1(), doc->Buffer2(), doc->IsAnsi(), 8).WriteLog(out);
        });
    }

    std::unique_ptr<CCompDoc> doc;
};

// The log follows the document's columns and ANSI flag as they stand, and replaces an earlier file.
TEST_F(SaveLog, WritesTheLogAndReplacesAnEarlierFileWhole) {
    CTempDir::Write(dir / "log.txt", std::string(5000, 'e'));
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

// Every failure is told and leaves the earlier log, the compared files and the folder as they were.
TEST_F(SaveLog, FailuresAreToldAndChangeNothing) {
    Open("first file", "second file", 8, false);
    std::filesystem::create_directory(dir / "folder");
    std::filesystem::create_symlink(dir / "two", dir / "link-to-two");
    CTempDir::Write(dir / "log.txt", "the earlier log");
    const int files = dir.FileCount();
    const std::pair<std::string, QString> cases[] = {
        {dir / "none/log.txt", CantCreate(ENOENT)},
        {dir / "folder", CantCreate(EISDIR)},
        {"/proc/dyadmon-log.txt", CantCreate(ENOENT)}, // not writable even for root
        // Saving over an input, by its name or through a link, would lose a file the user has open.
        {dir / "one", kIsInput},
        {dir / "link-to-two", kIsInput},
        {"/dev/full", kCantWrite},
    };
    for (const auto& [path, message] : cases) {
        SaveTo(path);
        EXPECT_EQ(Messages(), std::vector<QString>{message}) << path;
    }
    EXPECT_EQ(CTempDir::Read(dir / "log.txt"), "the earlier log");
    EXPECT_EQ(CTempDir::Read(dir / "one"), "first file");
    EXPECT_EQ(CTempDir::Read(dir / "two"), "second file");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link-to-two"));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "folder"));
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

} // namespace
