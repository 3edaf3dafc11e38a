#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPointer>
#include <QStatusBar>
#include <gtest/gtest.h>

#include "compare/compdoc.h"
#include "compare/core/compsettings.h"
#include "platform/promptrecorder.h"
#include "platform/statustext.h"
#include "recordedmessages.h"
#include "snapshots/core/snapshotstore.h"
#include "tempdir.h"
#include "views/chargrid.h"
#include "views/linescrollbar.h"
#include "views/viewdoc.h"
#include "views/viewview.h"
#include "views/windowhost.h"
#include "windowfixture.h"

namespace {

class RecordedStatus : public CStatusText {
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

    CWindowHost host{settings, store};
};

TEST_F(Documents, ACompareWindowOpensOnTwoFiles) {
    CCompDoc* doc = host.OpenCompare(dir / "a", dir / "b");
    ASSERT_NE(doc, nullptr);
    const QString title = Q(dir / "a") + " : " + Q(dir / "b");
    EXPECT_EQ(doc->GetTitle(), title);
    ASSERT_NE(host.MdiArea().activeSubWindow(), nullptr);
    EXPECT_EQ(host.MdiArea().activeSubWindow()->windowTitle(), title);
    EXPECT_GT(doc->Lines().GetCount(), 0u);
    EXPECT_EQ(host.statusBar()->currentMessage(), "Ready");
    EXPECT_EQ(host.CompTemplate().GetDocuments(), std::vector<CDocument*>{doc});
    EXPECT_TRUE(Messages().empty());

    // Closing the window takes the document with it.
    QPointer<CDocument> held(doc);
    host.MdiArea().activeSubWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(held.isNull());
    EXPECT_TRUE(host.CompTemplate().GetDocuments().empty());
}

// The host's title follows the active window and the title changes of its document only.
TEST_F(Documents, TheHostTitleNamesTheActiveDocument) {
    EXPECT_EQ(host.windowTitle(), "Dyadmon v3.0");
    CCompDoc* compare = host.OpenCompare(dir / "a", dir / "b");
    ASSERT_NE(compare, nullptr);
    QMdiSubWindow* compareWindow = host.MdiArea().activeSubWindow();
    EXPECT_EQ(host.windowTitle(), "Dyadmon v3.0 - " + Q(dir / "a") + " : " + Q(dir / "b"));
    CViewDoc* viewer = host.OpenViewer(dir / "a");
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(host.windowTitle(), "Dyadmon v3.0 - " + Q(dir / "a"));

    viewer->SetTitle("renamed");
    EXPECT_EQ(host.windowTitle(), "Dyadmon v3.0 - renamed");
    host.MdiArea().setActiveSubWindow(compareWindow);
    viewer->SetTitle("in the background");
    EXPECT_EQ(host.windowTitle(), "Dyadmon v3.0 - " + Q(dir / "a") + " : " + Q(dir / "b"));

    host.MdiArea().closeAllSubWindows();
    EXPECT_EQ(host.windowTitle(), "Dyadmon v3.0");
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

TEST_F(Documents, SnapshotTargetsReadTheImageUnderTheSnapshotsName) {
    TakeSnapshots(3);
    CCompDoc* doc = host.OpenCompare("*3", dir / "b");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetTitle(), "snap3 : " + Q(dir / "b"));
    EXPECT_EQ(Bytes(doc->Buffer1(), doc->Size1()), "snapshot 3");
    CViewDoc* viewed = host.OpenViewer("*2");
    ASSERT_NE(viewed, nullptr);
    EXPECT_EQ(viewed->GetTitle(), "snap2");
    EXPECT_EQ(Bytes(viewed->Buffer(), viewed->Size()), "snapshot 2");
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
            if (saveDefault) {
                shown.unitSize = 16;
                shown.lookAhead = 99;
            }
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
    bool saveDefault = false;
};

TEST_F(CompDoc, TheFirstComparisonAsksOnceAndLaterOnesKeepItsAnswer) {
    settings.askBeforeCompare = true;
    settings.unitSize = 4;
    settings.lookAhead = 3;
    Open("abcd", "abcd");
    doc->LoadAndCompare();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(doc->Unit(), 2);
    EXPECT_EQ(doc->LookAhead(), 7);
    EXPECT_EQ(status.texts, (std::vector<QString>{"Comparing ...", "Ready"}));
    doc->SetAnsi(!doc->IsAnsi());
    doc->LoadAndCompare();
    EXPECT_EQ(asked, 1) << "switching the ANSI column does not ask again";
    EXPECT_EQ(doc->Unit(), 2);
}

TEST_F(CompDoc, ACancelledDialogComparesWithTheSettingsAsTheyWereWhenItOpened) {
    settings.askBeforeCompare = true;
    settings.unitSize = 4;
    settings.lookAhead = 3;
    answer = false;
    saveDefault = true; // "Save default", then Cancel
    Open("abcd", "abcd");
    doc->LoadAndCompare();
    EXPECT_EQ(doc->Unit(), 4);
    EXPECT_EQ(doc->LookAhead(), 3);
    EXPECT_EQ(settings.unitSize, 16) << "the saved default stays for later comparisons";
    EXPECT_EQ(settings.lookAhead, 99);
}

TEST_F(CompDoc, WithoutAskingTheSettingsDecide) {
    settings.unitSize = 16;
    settings.lookAhead = 0;
    Open(std::string(17, 'x'), std::string(16, 'x') + "yyyy");
    doc->SetBytesPerLine(16);
    doc->LoadAndCompare();
    EXPECT_EQ(asked, 0);
    ASSERT_EQ(doc->Lines().GetCount(), 3u);
    EXPECT_EQ(doc->Lines().GetAt(1), (CompLine{BlockKind::Deleted, 16, 0, 16}));
    EXPECT_EQ(doc->Lines().GetAt(2), (CompLine{BlockKind::New, 0, 16, 4}));
}

TEST_F(CompDoc, TheShownBytesAreTheDocumentsOwnUntilItReadsAgain) {
    Open("original bytes", "original bytes");
    doc->LoadAndCompare();
    CTempDir::Write(dir / "one", "other");
    std::filesystem::resize_file(dir / "two", 0);
    EXPECT_EQ(Bytes(doc->Buffer1(), doc->Size1()), "original bytes");
    EXPECT_EQ(Bytes(doc->Buffer2(), doc->Size2()), "original bytes");
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

// The viewer, opened in two steps as its callers do.
class Viewer : public Documents {
protected:
    CViewView& ViewOf(CViewDoc& doc) { return *static_cast<CViewView*>(doc.GetViews().at(0)); }
};

QImage TextImage(std::string_view text) {
    QImage image(9 * static_cast<int>(text.size()), 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    CCharGrid().DrawText(painter, 0, 0, text);
    return image;
}

TEST_F(Viewer, LinesHoldTheLineLengthButTheLast) {
    CTempDir::Write(dir / "forty", std::string(32, '0') + "ABCDEFGH");
    CViewDoc* doc = host.OpenViewer(dir / "forty");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetTitle(), Q(dir / "forty"));
    ASSERT_EQ(doc->Lines().GetCount(), 3u);
    EXPECT_EQ(doc->Lines().GetAt(2), (ViewLine{32, 8}));
    CViewView& view = ViewOf(*doc);
    const QImage image = view.grab().toImage();
    const int ansiX = 120 + 27 * 16;
    EXPECT_EQ(image.copy(104, 25 + 32, 9 * 24, 16), TextImage("41 42 43 44 45 46 47 48 "));
    EXPECT_EQ(image.copy(ansiX, 25 + 32, 9 * 9, 16), TextImage("ABCDEFGH "));
    // The bar stands right of the text area, the corner box below it.
    EXPECT_EQ(view.VertBar().geometry().x(), view.width() - 16);
    EXPECT_EQ(image.pixel(view.width() - 8, view.height() - 8),
              view.palette().color(QPalette::Midlight).rgb());
}

TEST_F(Viewer, MoreColumnsReadsTheFileAgain) {
    CTempDir::Write(dir / "file", std::string(40, 'x'));
    CViewDoc* doc = host.OpenViewer(dir / "file");
    ASSERT_NE(doc, nullptr);
    CTempDir::Write(dir / "file", std::string(100, 'y'));
    doc->SetBytesPerLine(doc->LineLength() * 2);
    doc->LoadFile();
    EXPECT_EQ(doc->Lines().GetCount(), 4u);
    EXPECT_EQ(doc->Lines().GetAt(3), (ViewLine{96, 4}));
    EXPECT_EQ(doc->Buffer()[0], 'y');
    EXPECT_EQ(ViewOf(*doc).VertBar().GetMaximum(), 4);
    doc->SetBytesPerLine(200);
    EXPECT_EQ(doc->LineLength(), 64);
    doc->SetBytesPerLine(0);
    EXPECT_EQ(doc->LineLength(), 1);
}

TEST_F(Viewer, NoLinePointsIntoTheBufferWhileAFailedReloadIsReported) {
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
}

TEST_F(Viewer, AFileThatCannotBeReadStaysOpenWithoutLines) {
    std::filesystem::create_directory(dir / "folder");
    CViewDoc* doc = host.OpenViewer(dir / "folder");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->Lines().GetCount(), 0u);
    CTempDir::Write(dir / "file", "bytes");
    CViewDoc* vanishing = static_cast<CViewDoc*>(host.ViewTemplate().OpenDocumentFile(dir / "file"));
    ASSERT_NE(vanishing, nullptr);
    std::filesystem::remove(dir / "file");
    vanishing->LoadFile();
    EXPECT_EQ(vanishing->Lines().GetCount(), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir / "file"));
    EXPECT_EQ(Messages(), (std::vector<QString>{"Error in reading the file.", "Error in reading the file."}));
    EXPECT_EQ(host.MdiArea().subWindowList().size(), 2);
}

} // namespace
