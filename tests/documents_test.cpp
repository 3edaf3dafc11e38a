#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

#include "compare/compdoc.h"
#include "platform/commandrouter.h"
#include "platform/documenthost.h"
#include "res/resource.h"
#include "views/compview.h"
#include "views/linescrollbar.h"
#include "views/viewdoc.h"
#include "views/viewview.h"
#include "views/windowhost.h"
#include "windowfixture.h"

namespace {

class RecordedStatus : public CDocumentHost {
public:
    void SetStatusText(const QString& text) override { texts.push_back(text); }
    std::vector<QString> texts;
};

// Compare and viewer windows in a host of their own, on files and snapshots in a temporary folder.
class Documents : public CWindowFixture {
protected:
    Documents() {
        CTempDir::Write(dir / "a", "first file");
        CTempDir::Write(dir / "b", "second file");
        host.resize(1000, 600);
        host.show();
    }

    static std::string Bytes(const std::uint8_t* data, std::uint32_t size) {
        return std::string(reinterpret_cast<const char*>(data), size);
    }

    CWindowHost host{settings, store, CBackgroundWork::Thread::Caller};
};

TEST_F(Documents, ACompareWindowOpensOnTwoFilesAndClosesWithItsDocument) {
    CCompDoc* compare = host.OpenCompare(dir / "a", dir / "b");
    ASSERT_NE(compare, nullptr);
    EXPECT_EQ(host.MdiArea().activeSubWindow()->windowTitle(), Q(dir / "a") + " : " + Q(dir / "b"));
    EXPECT_GT(compare->Lines().GetCount(), 0u);
    EXPECT_EQ(host.StatusText(), "Ready");
    QPointer<CDocument> held(compare);
    host.MdiArea().activeSubWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(held.isNull());
    EXPECT_TRUE(host.CompTemplate().GetDocuments().empty());
    EXPECT_TRUE(Messages().empty());
}

// Sparse files of 6 GiB: the window compares them, offsets past 4 GiB take nine digits, and Go to
// offset and Next change reach the bytes written past 5 GiB.
TEST_F(Documents, FilesPastFourGibibytesAreComparedAndShown) {
    const std::uint64_t size = std::uint64_t{6} << 30;
    const std::uint64_t far = 0x140000062;
    for (const char* name : {"big1", "big2"}) {
        CTempDir::Write(dir / name, "");
        std::filesystem::resize_file(dir / name, size);
    }
    const int fd = open((dir / "big2").c_str(), O_WRONLY);
    ASSERT_EQ(pwrite(fd, "XYZ", 3, static_cast<off_t>(far)), 3);
    close(fd);
    CCompDoc* doc = host.OpenCompare(dir / "big1", dir / "big2");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->Size2(), size);
    auto& view = static_cast<CCompView&>(*doc->GetViews().front());
    EXPECT_TRUE(view.RowText(0).startsWith("same, file 1 000000000: 00")) << view.RowText(0).toStdString();
    view.OnNextChange();
    EXPECT_TRUE(view.RowText(view.TopLine()).startsWith("deleted, file 1 140000062: 00 00 00"))
        << view.RowText(view.TopLine()).toStdString();
    prompts.textAnswers = {"0"};
    ASSERT_TRUE(CCommandRouter::Execute({&view, doc}, Res::kGoToOffset));
    EXPECT_EQ(view.TopLine(), 0);
    prompts.textAnswers = {"2:0x140000063"};
    ASSERT_TRUE(CCommandRouter::Execute({&view, doc}, Res::kGoToOffset));
    EXPECT_EQ(view.Selection(), (CHexView::Selected{1, far + 1, 1}));
    const QString row = view.RowText(view.TopLine());
    EXPECT_TRUE(row.startsWith("new, file 2 140000062: 58 59 5A")) << row.toStdString();
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Documents, AMissingTargetFailsTheOpeningUnderItsName) {
    TakeSnapshots(2);
    EXPECT_EQ(host.OpenCompare(dir / "gone", dir / "b"), nullptr);
    EXPECT_EQ(host.OpenCompare(dir / "a", dir / "gone too"), nullptr);
    EXPECT_EQ(host.OpenCompare("*3", dir / "b"), nullptr) << "no third snapshot";
    EXPECT_EQ(host.OpenCompare("*0", dir / "b"), nullptr);
    EXPECT_EQ(host.OpenViewer(dir / "gone"), nullptr);
    EXPECT_EQ(Messages(),
              (std::vector<QString>{"Can't open the file " + Q(dir / "gone"),
                                    "Can't open the file " + Q(dir / "gone too"), "Can't open the file *3",
                                    "Can't open the file *0", "Can't open the file " + Q(dir / "gone")}));
    EXPECT_TRUE(host.MdiArea().subWindowList().isEmpty());
    EXPECT_FALSE(std::filesystem::exists(dir / "gone")) << "reading never creates a file";
}

// A compare document driven directly, to see what it asks and tells.
class CompDoc : public Documents {
protected:
    CCompDoc& Open(const std::string& data1, const std::string& data2) {
        doc = OpenCompareDoc(data1, data2, &status);
        doc->SetSettingsAsker([this](CCompSettings& shown, std::int32_t& unit, std::int32_t& lookAhead) {
            ++asked;
            EXPECT_EQ(&shown, &settings);
            EXPECT_EQ(unit, shown.unitSize);
            shown.unitSize = 16; // "Save default" was pressed
            shown.lookAhead = 99;
            unit = 2;
            lookAhead = 7;
            return answer;
        });
        return *doc;
    }

    RecordedStatus status;
    std::unique_ptr<CCompDoc> doc;
    int asked = 0;
    bool answer = true;
};

// The first comparison asks once, and later ones keep its answer; after a cancel it compares with the
// settings as they were when the dialog opened, while a default saved in it stays.
TEST_F(CompDoc, TheFirstComparisonAsksOnceAndLaterOnesKeepItsAnswer) {
    settings.askBeforeCompare = true;
    settings.unitSize = 4;
    settings.lookAhead = 3;
    answer = false;
    Open("abcd", "abcd");
    doc->LoadAndCompare();
    EXPECT_EQ(std::pair(doc->Unit(), doc->LookAhead()), std::pair(4, 3));
    EXPECT_EQ(std::pair(settings.unitSize, settings.lookAhead), std::pair(16, 99));

    answer = true;
    Open("abcd", "abcd");
    doc->LoadAndCompare();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(std::pair(doc->Unit(), doc->LookAhead()), std::pair(2, 7));
    const QString reading1 = "Reading " + Q(dir / "one") + " ...";
    const QString reading2 = "Reading " + Q(dir / "two") + " ...";
    // While the settings are asked, nothing runs, and the status bar says so.
    EXPECT_EQ(status.texts, (std::vector<QString>{reading1, reading2, "Ready", "Comparing ...", "Ready",
                                                  reading1, reading2, "Ready", "Comparing ...", "Ready"}));
    doc->SetAnsi(!doc->IsAnsi());
    doc->LoadAndCompare();
    EXPECT_EQ(asked, 2) << "switching the ANSI column does not ask again";
    EXPECT_EQ(doc->Unit(), 2);
}

TEST_F(CompDoc, WithoutAskingTheSettingsDecide) {
    settings.unitSize = 16;
    settings.lookAhead = 5;
    settings.lineLength = 1;
    Open("abc", "abd");
    doc->LoadAndCompare();
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(std::tuple(doc->Unit(), doc->LookAhead(), doc->BytesPerLine()), std::tuple(16, 5, 1))
        << "half the line length a side, but never less than a byte";
}

// The files are shown as they are on disk (mapped, not copied): one cut short after its comparison
// never ends the program, what lies past its new end reads as zeros, and reading again takes the file
// as it is now.
TEST_F(CompDoc, AFileCutShortWhileShownNeverEndsTheProgram) {
    Open("original bytes", "original bytes");
    doc->LoadAndCompare();
    CTempDir::Write(dir / "one", "other");
    std::filesystem::resize_file(dir / "two", 0);
    EXPECT_EQ(Bytes(doc->Buffer2(), doc->Size2()), std::string(14, '\0'));
    doc->LoadAndCompare();
    EXPECT_EQ(Bytes(doc->Buffer1(), doc->Size1()), "other");
    EXPECT_EQ(doc->Size2(), 0u);
}

TEST_F(CompDoc, AFileThatCannotBeReadLeavesNoRows) {
    Open("abc", "abd");
    doc->LoadAndCompare();
    ASSERT_FALSE(doc->Lines().IsEmpty());
    std::filesystem::remove(dir / "two");
    doc->LoadAndCompare();
    EXPECT_TRUE(doc->Lines().IsEmpty());
    EXPECT_EQ(Messages(), std::vector<QString>{"Can't open the file " + Q(dir / "two")});
    EXPECT_FALSE(std::filesystem::exists(dir / "two"));
    EXPECT_EQ(doc->GetTitle(), Q(dir / "one") + " : " + Q(dir / "two"));
}

class Viewer : public Documents {
protected:
    CViewView& ViewOf(CViewDoc& doc) { return *static_cast<CViewView*>(doc.GetViews().at(0)); }
};

TEST_F(Viewer, LinesHoldTheLineLengthButTheLast) {
    CTempDir::Write(dir / "forty", std::string(32, '0') + "ABCDEFGH");
    CViewDoc* doc = host.OpenViewer(dir / "forty");
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->Lines().GetCount(), 3u);
    CViewView& view = ViewOf(*doc);
    const QImage image = view.grab().toImage();
    const int ansiX = 120 + 27 * 16;
    EXPECT_EQ(image.copy(104, 25 + 32, 9 * 24, 16), TextImage("41 42 43 44 45 46 47 48 "));
    EXPECT_EQ(image.copy(ansiX, 25 + 32, 9 * 9, 16), TextImage("ABCDEFGH "));
    // The bar stands right of the text area, the corner box below it.
    EXPECT_EQ(view.VertBar().geometry().x(), view.width() - 16);
    EXPECT_EQ(image.pixel(view.width() - 8, view.height() - 8),
              view.palette().color(QPalette::Midlight).rgb());
    // As a screen reader reads it: the rows on screen, a line each.
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(&view)->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(
        text->text(0, text->characterCount()).endsWith("\n00000020: 41 42 43 44 45 46 47 48  ABCDEFGH"));
}

// A file that cannot be read leaves the viewer open without lines; while a failed reload is being
// reported, no line points into the buffer that was let go.
TEST_F(Viewer, AFileThatCannotBeReadStaysOpenWithoutLines) {
    std::filesystem::create_directory(dir / "folder");
    CViewDoc* folder = host.OpenViewer(dir / "folder");
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->Lines().GetCount(), 0u);
    CTempDir::Write(dir / "file", std::string(4096, 'x'));
    CViewDoc* doc = host.OpenViewer(dir / "file");
    ASSERT_NE(doc, nullptr);
    std::filesystem::remove(dir / "file");
    int shown = 0;
    prompts.whileShown = [&](const QString&) {
        ++shown;
        EXPECT_EQ(doc->Lines().GetCount(), 0u);
        ViewOf(*doc).grab(); // a repaint while the box is up
    };
    doc->LoadFile();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(doc->Lines().GetCount(), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir / "file"));
    EXPECT_EQ(Messages(), (std::vector<QString>(2, "Error in reading the file.")));
    EXPECT_EQ(host.MdiArea().subWindowList().size(), 2);
}

} // namespace

namespace {

// Go to offset in the viewer: the row holding the offset comes on top.
TEST_F(Viewer, GoToOffsetShowsItsRow) {
    CTempDir::Write(dir / "data", std::string(4096, 'd'));
    CViewDoc* doc = host.OpenViewer(dir / "data");
    ASSERT_NE(doc, nullptr);
    CViewView& view = ViewOf(*doc);
    QApplication::setActiveWindow(&host);
    view.setFocus();
    prompts.textAnswers = {"1F00h", "0x800"};
    const CCommandRouter::Route route{&view, doc};
    ASSERT_TRUE(CCommandRouter::Execute(route, Res::kGoToOffset));
    EXPECT_EQ(Messages(CPrompts::Icon::Exclamation),
              std::vector<QString>{"Offset 7936 is past the end of the file, which holds 4096 bytes."});
    EXPECT_EQ(view.TopLine(), 0);
    ASSERT_TRUE(CCommandRouter::Execute(route, Res::kGoToOffset));
    EXPECT_EQ(view.TopLine(), 0x800 / doc->LineLength());
}

// A viewed file grown, or replaced by another under its name, is told once it has settled, with the
// offer to read it again; a comparison whose file is rewritten likewise.
TEST_F(Viewer, AFileWrittenOrReplacedWhileShownIsTold) {
    CTempDir::Write(dir / "grows", "short");
    CViewDoc* doc = host.OpenViewer(dir / "grows");
    ASSERT_NE(doc, nullptr);
    prompts.questionAnswers = {true, true};
    CTempDir::Write(dir / "grows", "short, and now longer");
    ASSERT_TRUE(Eventually([this] { return prompts.questions.size() == 1; }));
    EXPECT_EQ(prompts.questions[0],
              "The file " + Q(dir / "grows") + " changed after it was read.\n\nRead it again?");
    EXPECT_EQ(doc->Size(), 21u) << "read again as it is";
    CTempDir::Write(dir / "other", "another");
    std::filesystem::rename(dir / "other", dir / "grows");
    ASSERT_TRUE(Eventually([this] { return prompts.questions.size() == 2; }));
    EXPECT_EQ(doc->Size(), 7u);

    CCompDoc* compare = host.OpenCompare(dir / "a", dir / "b");
    ASSERT_NE(compare, nullptr);
    prompts.questionAnswers = {true};
    CTempDir::Write(dir / "b", "first file");
    ASSERT_TRUE(Eventually([this] { return prompts.questions.size() == 3; }));
    EXPECT_TRUE(prompts.questions[2].startsWith("The file " + Q(dir / "b") + " changed after it was read."));
    ASSERT_TRUE(Eventually([&] { return compare->Size2() == 10; })) << "compared again";
    EXPECT_TRUE(Messages().empty());
}

// A viewed file cut short from outside: the view reads zeros where its bytes were instead of ending
// the program, and asks, once, to read the file again.
TEST_F(Viewer, AFileCutShortWhileShownIsToldOnce) {
    CTempDir::Write(dir / "long", std::string(20000, 'L'));
    CViewDoc* doc = host.OpenViewer(dir / "long");
    ASSERT_NE(doc, nullptr);
    // Rows far into the file, on pages past the one the file keeps.
    for (int page = 0; page < 120; ++page) {
        QTest::keyClick(&ViewOf(*doc), Qt::Key_PageDown);
    }
    QCoreApplication::processEvents();
    ASSERT_GT(ViewOf(*doc).TopLine() * doc->LineLength(), 8192);
    std::filesystem::resize_file(dir / "long", 16);
    prompts.questionAnswers = {true};
    ViewOf(*doc).grab(); // a paint reads the rows shown, past the new end
    ViewOf(*doc).grab();
    ASSERT_TRUE(Eventually([this] { return !prompts.questions.empty(); }));
    EXPECT_EQ(prompts.questions.size(), 1u);
    EXPECT_TRUE(
        prompts.questions[0].startsWith("The file " + Q(dir / "long") + " changed after it was read"));
    EXPECT_EQ(doc->Size(), 16u) << "read again as it is";
}

} // namespace
