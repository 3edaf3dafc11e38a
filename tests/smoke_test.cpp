#include <csignal>
#include <filesystem>
#include <sys/stat.h>
#include <utime.h>

#include <QColor>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include "tempdir.h"
#include "windowfixture.h"

namespace fs = std::filesystem;

namespace {

// The real program, started headless on a profile of its own, until its window is up; then SIGTERM,
// which must end it as closing its window does.
TEST(Smoke, TheProgramStartsAndEndsInOrderOnSigterm) {
    CTempDir dir;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("DISPLAY"))) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(dir / "config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(dir / "data"));
    env.insert(QStringLiteral("DYADMON_NOTIFY_READY"), QStringLiteral("1"));
    program.setProcessEnvironment(env);
    // A copy of the program in a folder of its own: its snapshot folder is made beside it.
    fs::create_directory(dir.path() / "program");
    fs::copy_file(DYADMON_BIN, dir.path() / "program" / "dyadmon");
    program.start(QString::fromStdString(dir / "program/dyadmon"), {QStringLiteral("ignored-argument.bin")});
    ASSERT_TRUE(program.waitForStarted(30'000));
    QByteArray told;
    program.setReadChannel(QProcess::StandardError);
    while (!told.contains("dyadmon: ready") && program.waitForReadyRead(60'000)) {
        told += program.readAll();
    }
    ASSERT_TRUE(told.contains("dyadmon: ready")) << told.toStdString();

    const fs::path catalogue = dir.path() / "program" / "DadUzura" / "DadUzura.cfg";
    ASSERT_TRUE(fs::exists(catalogue));
    // An old time stamp, so the write at exit shows.
    const utimbuf old{1000, 1000};
    ASSERT_EQ(utime(catalogue.c_str(), &old), 0);
    kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(60'000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    struct stat written {};
    ASSERT_EQ(stat(catalogue.c_str(), &written), 0);
    EXPECT_GT(written.st_mtime, 1000);
    const std::string profile =
        CTempDir::Read((dir.path() / "config" / "Orvane Lab" / "Dyadmon v3.0.conf").string());
    EXPECT_NE(profile.find("Control%20Bar%20State"), std::string::npos) << profile;
    EXPECT_NE(profile.find("WorkingDir"), std::string::npos);
}

} // namespace

namespace {

struct Ran {
    int status;
    QByteArray err;
};

Ran RunProgram(const char* program, const QStringList& args, const CTempDir& dir) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(dir / "config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(dir / "data"));
    process.setProcessEnvironment(env);
    process.start(QString::fromLatin1(program), args);
    if (!process.waitForFinished(120'000) || process.exitStatus() != QProcess::NormalExit) {
        return {-1, process.readAllStandardError()};
    }
    return {process.exitCode(), process.readAllStandardError()};
}

// A picture taken by `program` of two files shows their comparison, not the window before it: the
// bytes of a difference in their colour. A file that cannot be read fails the run with the reason,
// unanswered, and leaves no picture.
void ExpectAPictureOfTheComparison(const char* program, const CTempDir& dir) {
    std::string bytes(64 << 10, 'a');
    CTempDir::Write(dir / "old", bytes);
    bytes[3] = 'X';
    CTempDir::Write(dir / "new", bytes);
    const QString shot = QString::fromStdString(dir / "shot.png");
    const Ran ran = RunProgram(program, {"--grab", shot, Q(dir / "old"), Q(dir / "new")}, dir);
    ASSERT_EQ(ran.status, 0) << ran.err.toStdString();
    const QImage picture(shot);
    ASSERT_FALSE(picture.isNull());
    int red = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor pixel = picture.pixelColor(x, y);
            red += pixel.red() > 150 && pixel.green() < 100 && pixel.blue() < 100;
        }
    }
    EXPECT_GT(red, 20) << "the changed byte is drawn in red";
    fs::remove(shot.toStdString());
    const Ran missing = RunProgram(program, {"--grab", shot, Q(dir / "old"), Q(dir / "gone")}, dir);
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains("gone")) << missing.err.toStdString();
    EXPECT_FALSE(fs::exists(shot.toStdString()));
}

TEST(Smoke, APictureOfTheWindowWaitsForTheComparison) {
    CTempDir dir;
    ExpectAPictureOfTheComparison(DYADMON_WINDOWS, dir);
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    const QString shot = QString::fromStdString(dir / "shot.png");
    const Ran fifo = RunProgram(DYADMON_WINDOWS, {"--grab", shot, Q(dir / "old"), Q(dir / "fifo")}, dir);
    EXPECT_EQ(fifo.status, 1);
    EXPECT_TRUE(fifo.err.contains("not a regular file")) << fifo.err.toStdString();
    EXPECT_FALSE(fs::exists(shot.toStdString()));
}

// The whole program with two files on its command line, as --grab takes it.
TEST(Smoke, APictureOfTheProgramShowsTheComparison) {
    CTempDir dir;
    ExpectAPictureOfTheComparison(DYADMON_BIN, dir);
}

} // namespace

namespace {

// Help and version answer on standard output without any display; a wrong command line is refused
// before a window opens.
TEST(Smoke, HelpAndVersionNeedNoDisplay) {
    const auto run = [](const QStringList& args) {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(DYADMON_BIN), args);
        EXPECT_TRUE(program.waitForFinished(60'000));
        return std::pair{program.exitCode(),
                         program.readAllStandardOutput() + program.readAllStandardError()};
    };
    const auto [helpStatus, help] = run({QStringLiteral("--help")});
    EXPECT_EQ(helpStatus, 0);
    EXPECT_TRUE(help.startsWith("Usage: dyadmon [OPTION]... [FILE1 [FILE2]]\n")) << help.toStdString();
    const auto [versionStatus, version] = run({QStringLiteral("--version")});
    EXPECT_EQ(versionStatus, 0);
    EXPECT_EQ(version, "dyadmon " DYAD_VERSION "\n");
    EXPECT_TRUE(help.contains("--grab PICTURE"));
    const auto [threeStatus, three] = run({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    EXPECT_EQ(threeStatus, 2);
    EXPECT_EQ(three, "dyadmon: dyadmon opens one file or compares two, not 3\n");
}

} // namespace
