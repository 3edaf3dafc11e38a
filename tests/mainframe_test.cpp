#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSizeGrip>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "app/dyadmonapp.h"
#include "app/mainframe.h"
#include "browser/browser.h"
#include "browser/comparebar.h"
#include "browser/shelllist.h"
#include "compare/compdoc.h"
#include "platform/dockingpane.h"
#include "platform/progresspanel.h"
#include "platform/settingsprofile.h"
#include "platform/shell/core/shellitem.h"
#include "platform/view.h"
#include "res/resource.h"
#include "snapshots/core/snapshotstore.h"
#include "snapshots/snapshotmanager.h"
#include "views/hexview.h"
#include "views/viewdoc.h"
#include "windowfixture.h"

namespace fs = std::filesystem;

namespace {

class Program : public CProgramFixture {
protected:
    CommandState State(int id) { return CCommandRouter::Update(Frame().Route(), id); }
    bool Enabled(int id) { return State(id).enabled; }
    std::vector<QString> MenuTitles() {
        std::vector<QString> titles;
        for (QAction* menu : Frame().menuBar()->actions()) {
            titles.push_back(menu->text());
        }
        return titles;
    }
};

TEST_F(Program, AFreshStartMakesTheSnapshotFolderAndShowsANormalWindow) {
    CMainFrame& frame = Start();
    const std::string folder = app->m_pSnapshotStore->GetWorkingDir();
    EXPECT_EQ(CSettingsProfile().GetString("Settings", "WorkingDir"), folder);
    EXPECT_EQ(fs::path(folder), dir.path() / "program" / "DadUzura")
        << "beside the program, which may write there";
    EXPECT_EQ(fs::file_size(fs::path(folder) / "DadUzura.cfg"), 0u);
    EXPECT_TRUE(frame.isVisible());
    EXPECT_FALSE(frame.isMaximized());
    EXPECT_EQ(frame.StatusText(), "Ready");
    EXPECT_TRUE(prompts.messages.empty());
    // Room to work in the browsers: a screenful of files beside the document area, not a few rows.
    QCoreApplication::processEvents();
    EXPECT_GE(frame.Browser1().List().height(), frame.height() / 4);
    EXPECT_GE(frame.MdiArea().height(), frame.height() / 4);
}

// A window closed maximised comes back maximised and a minimised one normal; hidden bars stay hidden.
TEST_F(Program, TheWindowAndBarsComeBackAsTheyWereLeft) {
    Start().showMaximized();
    Run(Res::kBrowser2);
    EXPECT_TRUE(Frame().Browser2().isHidden());
    Stop();
    EXPECT_TRUE(Start().windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(Frame().Browser2().isHidden());
    EXPECT_FALSE(Frame().Browser1().isHidden());
    EXPECT_TRUE(State(Res::kBrowser1).checked);
    EXPECT_FALSE(State(Res::kBrowser2).checked);
    Frame().showMinimized();
    Stop();
    EXPECT_FALSE(Start().windowState() & (Qt::WindowMaximized | Qt::WindowMinimized));
}

// The title names the active document and follows its title changes; each switch of menus replaces
// the previous ones, leaving none behind.
TEST_F(Program, MenusAndTitleFollowTheActiveWindow) {
    Start();
    const auto menus = [this] {
        return Frame().menuBar()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly).size();
    };
    const auto before = menus();
    CTempDir::Write(dir / "a", "aaaa");
    CTempDir::Write(dir / "b", "abab");
    CViewDoc* viewer = OpenViewer(dir / "a");
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(Frame().MenuId(), Res::kViewType);
    EXPECT_EQ(MenuTitles(), (std::vector<QString>{"&File", "&Edit", "Action", "&View", "&Window", "&Help"}));
    EXPECT_EQ(Frame().windowTitle(), "Dyadmon v3.0 - " + Q(dir / "a"));
    viewer->SetTitle("renamed");
    EXPECT_EQ(Frame().windowTitle(), "Dyadmon v3.0 - renamed");
    ASSERT_NE(OpenCompare(dir / "a", dir / "b"), nullptr);
    EXPECT_EQ(Frame().MenuId(), Res::kCompType);
    viewer->SetTitle("in the background");
    EXPECT_EQ(Frame().windowTitle(), "Dyadmon v3.0 - " + Q(dir / "a") + " : " + Q(dir / "b"));
    Frame().MdiArea().closeAllSubWindows();
    EXPECT_EQ(Frame().MenuId(), Res::kMainFrame);
    EXPECT_EQ(Frame().windowTitle(), "Dyadmon v3.0");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(menus(), before);
}

TEST_F(Program, PaneCommandsFollowTheFocus) {
    Start();
    const int anyPane[] = {Res::kSelectTarget1, Res::kSelectTarget2, Res::kDelete, Res::kView,
                           Res::kShellExecute};
    for (const int id : anyPane) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    EXPECT_FALSE(Enabled(Res::kRename));
    EXPECT_FALSE(Enabled(Res::kSnapshot));
    EXPECT_FALSE(Enabled(Res::kDescription));

    Frame().Browser1().List().setFocus();
    ASSERT_TRUE(Frame().Browser1().IsActive());
    for (const int id : anyPane) {
        EXPECT_TRUE(Enabled(id)) << id;
    }
    EXPECT_TRUE(Enabled(Res::kRename));
    EXPECT_TRUE(Enabled(Res::kSnapshot));
    EXPECT_FALSE(Enabled(Res::kDescription));

    // The active pane's caption is drawn in the highlight colour; the others' are not.
    const auto captionColour = [](DCDockingPane& pane) {
        return pane.grab().toImage().pixel(pane.width() / 2, 3);
    };
    const QRgb highlight = Frame().palette().color(QPalette::Highlight).rgb();
    EXPECT_EQ(captionColour(Frame().Browser1()), highlight);
    EXPECT_NE(captionColour(Frame().Browser2()), highlight);

    Frame().SnapshotManager().List().setFocus();
    EXPECT_NE(captionColour(Frame().Browser1()), highlight);
    EXPECT_TRUE(Enabled(Res::kView));
    EXPECT_FALSE(Enabled(Res::kRename));
    EXPECT_FALSE(Enabled(Res::kSnapshot));
    EXPECT_TRUE(Enabled(Res::kDescription));
    // Commands that always work, and those without a handler anywhere.
    EXPECT_TRUE(Enabled(Res::kCompare));
    EXPECT_TRUE(Enabled(Res::kDefaultSettings));
    EXPECT_FALSE(Enabled(Res::kFileSave));
    EXPECT_FALSE(Enabled(Res::kEditUndo));
}

TEST_F(Program, DocumentCommandsNeedAWindowAndStopAtTheirLimits) {
    Start();
    for (const int id : {Res::kViewAnsi, Res::kLessColumns, Res::kMoreColumns, Res::kSaveLog,
                         Res::kNextChange, Res::kPreviousChange}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    CTempDir::Write(dir / "a", std::string(100, 'a'));
    CCompDoc* compare = OpenCompare(dir / "a", dir / "a");
    ASSERT_NE(compare, nullptr);
    for (const int id : {Res::kSaveLog, Res::kNextChange, Res::kPreviousChange, Res::kViewAnsi}) {
        EXPECT_TRUE(Enabled(id)) << id;
    }
    EXPECT_TRUE(State(Res::kViewAnsi).checked);
    Run(Res::kViewAnsi);
    EXPECT_FALSE(compare->IsAnsi());
    WaitUntilIdle(*Frame().Work());
    EXPECT_FALSE(State(Res::kViewAnsi).checked);
    // A width set on the document counts from its next comparison on.
    const auto rewidth = [&](int width, int command) {
        compare->SetBytesPerLine(width);
        compare->Reload();
        WaitUntilIdle(*Frame().Work());
        Run(command);
        WaitUntilIdle(*Frame().Work());
    };
    rewidth(16, Res::kMoreColumns);
    EXPECT_EQ(compare->BytesPerLine(), 32);
    EXPECT_EQ(compare->Lines().GetCount(), 4u) << "compared again at the new width";
    EXPECT_FALSE(Enabled(Res::kMoreColumns));
    rewidth(3, Res::kLessColumns);
    EXPECT_EQ(compare->BytesPerLine(), 1);
    EXPECT_FALSE(Enabled(Res::kLessColumns));

    CViewDoc* viewer = OpenViewer(dir / "a");
    ASSERT_NE(viewer, nullptr);
    EXPECT_FALSE(Enabled(Res::kNextChange)) << "only a compare window moves between changes";
    viewer->SetBytesPerLine(32);
    CTempDir::Write(dir / "a", std::string(200, 'b'));
    Run(Res::kMoreColumns);
    EXPECT_EQ(viewer->LineLength(), 64);
    EXPECT_EQ(viewer->Lines().GetCount(), 4u) << "the file is read again";
    EXPECT_EQ(viewer->Buffer()[0], 'b');
    EXPECT_FALSE(Enabled(Res::kMoreColumns));
}

TEST_F(Program, OpenShowsAFileInAViewerOnce) {
    Start();
    CTempDir::Write(dir / "a", "bytes");
    fs::create_symlink(dir / "a", dir / "link");
    // The same file however its path is written.
    prompts.fileAnswers = {Q(dir / "a"), Q(dir / "./a"), Q(dir / "link")};
    Run(Res::kFileOpen);
    ASSERT_EQ(Frame().MdiArea().subWindowList().size(), 1);
    CTempDir::Write(dir / "b", "other");
    for (int i = 0; i < 2; ++i) {
        ASSERT_NE(OpenViewer(dir / "b"), nullptr);
        Run(Res::kFileOpen);
        EXPECT_EQ(Frame().windowTitle(), "Dyadmon v3.0 - " + Q(dir / "a")) << "brought forward";
    }
    EXPECT_EQ(Frame().MdiArea().subWindowList().size(), 3) << "a opened once, b twice";
    Run(Res::kFileNew);
    EXPECT_EQ(Frame().MdiArea().subWindowList().size(), 3);
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The test program has no guide installed beside it, as a copied program has none: the one built
// in is written to the user's cache for the browser. An opener that fails is said in the status bar.
TEST_F(Program, HelpOpensTheHelpFileOrElseTheGuide) {
    Start();
    std::vector<QUrl> opened;
    Frame().SetUrlOpener([&opened](const QUrl& url) {
        opened.push_back(url);
        return false;
    });
    Run(Res::kHelpContents);
    ASSERT_EQ(opened.size(), 1u);
    const QString guide = opened[0].toLocalFile();
    EXPECT_TRUE(guide.startsWith(Q(dir / "cache/"))) << guide.toStdString();
    EXPECT_TRUE(guide.endsWith("/userguide.html"));
    const QByteArray bundled = FileBytes(":/doc/userguide.html");
    EXPECT_TRUE(bundled.contains("Dyadmon"));
    EXPECT_EQ(FileBytes(guide), bundled);
    EXPECT_EQ(Frame().StatusText(), "No application could open the user guide " + guide + ".");

    // A help file in the current folder goes first.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(Q(dir.path().string()));
    CTempDir::Write(dir / "Dyadmon.chm", "help");
    Run(Res::kHelpContents);
    QDir::setCurrent(previous);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1].toLocalFile(), Q(dir / "Dyadmon.chm"));
    EXPECT_EQ(Frame().StatusText(),
              "No application could open the help file " + Q(dir / "Dyadmon.chm") + ".");
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(Program, TheGuideCopyReplacesNoLinkAndKeepsItsFolderPrivate) {
    Start();
    std::vector<QUrl> opened;
    Frame().SetUrlOpener([&opened](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    const std::string place = (folder + "/userguide.html").toStdString();
    fs::create_directories(folder.toStdString());
    fs::permissions(folder.toStdString(),
                    fs::perms::owner_all | fs::perms::group_all | fs::perms::others_all);
    CTempDir::Write(dir / "elsewhere", "not a guide");
    fs::create_symlink(dir / "elsewhere", place);
    Run(Res::kHelpContents);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(Frame().StatusText(),
              "The user guide could not be written to " + Q(place) + " (something else is in its place).");
    EXPECT_EQ(CTempDir::Read(dir / "elsewhere"), "not a guide");
    EXPECT_EQ(fs::status(folder.toStdString()).permissions(), fs::perms::owner_all);

    fs::remove(place);
    Run(Res::kHelpContents);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toLocalFile(), Q(place));
    EXPECT_FALSE(fs::is_symlink(place));
    EXPECT_EQ(FileBytes(Q(place)), FileBytes(":/doc/userguide.html"));
}

// A quit signal while a modal prompt is up closes the prompt first, and the window only once the
// prompt's event loop has ended, so no document is taken away from under its own code.
TEST_F(Program, AQuitSignalDuringAPromptWaitsForThePromptToEnd) {
    Start();
    QEventLoop main;
    bool openAfterPrompt = false;
    QTimer::singleShot(0, [&] {
        QDialog prompt(&Frame());
        QTimer::singleShot(0, [] { raise(SIGTERM); });
        prompt.exec();
        openAfterPrompt = Frame().isVisible();
        // Back in the main loop: the window closes within a few turns of it, or the test fails.
        QTimer::singleShot(0, &main, [&main] { QTimer::singleShot(0, &main, [&main] { main.quit(); }); });
    });
    main.exec();
    EXPECT_TRUE(openAfterPrompt);
    EXPECT_FALSE(Frame().isVisible());
}

// While a comparison runs nothing starts another one or changes it; a quit signal then stops it and
// closes the window the orderly way.
TEST_F(Program, AQuitSignalDuringAComparisonStopsItAndCloses) {
    Start();
    CTempDir::Write(dir / "a", "first");
    CTempDir::Write(dir / "b", "second");
    CWorkHold hold(*Frame().Work(), "Comparing");
    ASSERT_NE(CCompDoc::Open(app->GetCompTemplate(), {dir / "a", dir / "b"}), nullptr);
    hold.Reached();
    for (const int id :
         {Res::kCompare, Res::kSaveLog, Res::kMoreColumns, Res::kLessColumns, Res::kViewAnsi}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    EXPECT_FALSE(Frame().findChild<QWidget*>(QString::number(Res::kCompareButton))->isEnabled());
    // The step's report reaches the window through its event queue.
    EXPECT_TRUE(Eventually([this] { return Frame().StatusText() == "Comparing ..."; }));
    // A menu's prompts pass over the status bar and leave it telling what runs.
    QStatusTipEvent prompt(QStringLiteral("Open a file"));
    QApplication::sendEvent(&Frame(), &prompt);
    EXPECT_EQ(Frame().StatusText(), "Open a file");
    QStatusTipEvent gone{QString()};
    QApplication::sendEvent(&Frame(), &gone);
    EXPECT_EQ(Frame().StatusText(), "Comparing ...");
    raise(SIGTERM);
    while (Frame().isVisible()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    EXPECT_FALSE(Frame().Work()->IsBusy());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Frame().MdiArea().subWindowList().isEmpty());
    EXPECT_TRUE(CSettingsProfile().Settings().contains(CMainFrame::kPlacementKey)) << "closed in order";
}

} // namespace

namespace {

TEST_F(Program, AReadOnlyStoreDisablesTheCommandsThatWouldChangeIt) {
    fs::create_directories(dir / "program/DadUzura");
    CRecordedMessages quiet;
    CSnapshotStore holder(quiet);
    holder.LoadCatalogue(dir / "program/DadUzura");
    Start();
    Frame().SnapshotManager().List().setFocus();
    EXPECT_TRUE(Enabled(Res::kView));
    EXPECT_FALSE(Enabled(Res::kDelete));
    EXPECT_FALSE(Enabled(Res::kDescription));
    Frame().Browser1().List().setFocus();
    EXPECT_FALSE(Enabled(Res::kSnapshot)) << "a snapshot would go to the read-only store";
    EXPECT_TRUE(Enabled(Res::kDelete)) << "a browser deletes files, not snapshots";
}

} // namespace

namespace {

// The main menu's commands reach the file under the focus in a browser pane.
TEST_F(Program, RoutedCommandsActOnTheFileSelectedInABrowser) {
    Start();
    CTempDir::Write(dir / "chosen.bin", "chosen bytes");
    DCBrowser& browser = Frame().Browser1();
    browser.GoFolder(DCShellItem(dir.path().string()));
    QAbstractItemModel* model = browser.List().model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data().toString() == "chosen.bin") {
            browser.List().selectRow(row);
        }
    }
    browser.List().setFocus();
    Run(Res::kSelectTarget2);
    EXPECT_EQ(Frame().CompareBar().Targets().target2, dir / "chosen.bin");
    Run(Res::kSnapshot);
    ASSERT_EQ(Frame().SnapshotManager().List().model()->rowCount(), 1);
    EXPECT_EQ(Frame().SnapshotManager().List().model()->index(0, 4).data().toString(), "12");
    Run(Res::kView);
    EXPECT_EQ(Frame().MdiArea().subWindowList().size(), 1);
}

} // namespace

namespace {

// The folder box opens, is used and opens again whatever had the focus before: the panes' captions
// follow the focus without restyling the box under its own feet.
TEST_F(Program, TheFolderBoxOpensAgainAndAgainByPointerAndKeys) {
    Start();
    const auto box = [this](DCBrowser& pane) { return pane.findChild<QComboBox*>(QStringLiteral("101")); };
    const auto open = [](QComboBox* combo) {
        QTest::mouseClick(combo, Qt::LeftButton);
        EXPECT_TRUE(combo->view()->isVisible());
    };
    QTest::mouseClick(Frame().MdiArea().viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    open(box(Frame().Browser2()));
    QTest::keyClick(box(Frame().Browser2())->view(), Qt::Key_Escape);
    EXPECT_FALSE(box(Frame().Browser2())->view()->isVisible());
    open(box(Frame().Browser2()));
    QTest::keyClick(box(Frame().Browser2())->view(), Qt::Key_Escape);

    // Home picked by the keys in the open box, then the box opened again.
    QComboBox* first = box(Frame().Browser1());
    open(first);
    const int home = first->findText(QStringLiteral("Home"));
    ASSERT_GE(home, 0);
    QAbstractItemView* rows = first->view();
    while (rows->currentIndex().row() != home) {
        QTest::keyClick(rows, rows->currentIndex().row() < home ? Qt::Key_Down : Qt::Key_Up);
    }
    QTest::keyClick(rows, Qt::Key_Return);
    EXPECT_EQ(Frame().Browser1().CurrentFolder().GetPath(), QDir::homePath().toStdString());
    EXPECT_TRUE(Frame().Browser1().List().hasFocus());
    open(first);
    QTest::keyClick(first->view(), Qt::Key_Escape);
    // By keys: the box takes the focus, Alt+Down opens it.
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Down, Qt::AltModifier);
    EXPECT_TRUE(first->view()->isVisible());
    QTest::keyClick(first->view(), Qt::Key_Escape);
}

} // namespace

namespace {

// What a keyboard alone reaches: Tab leaves a list for the next control (the folder box, the up
// button, the other pane, Compare!), F6 and Shift+F6 go round the document area and the panes.
TEST_F(Program, KeysReachEveryPaneAndControl) {
    Start();
    const auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        return QApplication::focusWidget();
    };
    Frame().Browser1().List().setFocus();
    std::set<QString> reached;
    for (int presses = 0; presses < 40; ++presses) {
        QWidget* focus = press(Qt::Key_Tab);
        ASSERT_NE(focus, nullptr);
        reached.insert(focus->accessibleName().isEmpty() ? focus->objectName() : focus->accessibleName());
    }
    for (const QString& control : {QStringLiteral("Folder"), QStringLiteral("Up one level"),
                                   QStringLiteral("Browser 2 files"), QString::number(Res::kCompareButton)}) {
        EXPECT_TRUE(reached.contains(control)) << control.toStdString();
    }
    EXPECT_GT(reached.size(), 4u) << "Tab does not stay in one list";

    // A document window keeps Tab among its own controls, as in every such program; F6 leaves it.
    CTempDir::Write(dir / "a", "first");
    CTempDir::Write(dir / "b", "second");
    CCompDoc* doc = OpenCompare(dir / "a", dir / "b");
    ASSERT_NE(doc, nullptr);
    QWidget* view = Frame().MdiArea().activeSubWindow()->widget();
    view->setFocus();
    EXPECT_EQ(press(Qt::Key_F6), &Frame().Browser1().List());
    EXPECT_EQ(press(Qt::Key_F6), &Frame().Browser2().List());
    EXPECT_EQ(press(Qt::Key_F6), &Frame().SnapshotManager().List());
    EXPECT_EQ(press(Qt::Key_F6), view);
    EXPECT_EQ(press(Qt::Key_F6, Qt::ShiftModifier), &Frame().SnapshotManager().List());
}

// Files on the command line open as Compare! and View open them: two in a comparison, one in a
// viewer, a missing one with the usual message naming it.
TEST_F(Program, FilesFromTheCommandLineOpenTheirWindows) {
    Start();
    CTempDir::Write(dir / "old", "old bytes");
    CTempDir::Write(dir / "new", "new bytes");
    app->OpenFiles({dir / "old", dir / "new"});
    WaitUntilIdle(*Frame().Work());
    ASSERT_EQ(Frame().MdiArea().subWindowList().size(), 1);
    auto* compare = qobject_cast<CView*>(Frame().MdiArea().activeSubWindow()->widget());
    ASSERT_NE(compare, nullptr);
    EXPECT_EQ(compare->GetDocument().GetTitle(), Q(dir / "old") + " : " + Q(dir / "new"));
    // As if chosen in the browsers: each file's folder shown, the files in the slots.
    EXPECT_EQ(Frame().Browser1().CurrentFolder().GetPath(), dir.path().string());
    EXPECT_EQ(Frame().Browser2().CurrentFolder().GetPath(), dir.path().string());
    EXPECT_EQ(Frame().CompareBar().Targets().target1, dir / "old");
    EXPECT_EQ(Frame().CompareBar().Targets().target2, dir / "new");
    app->OpenFiles({dir / "old"});
    EXPECT_EQ(Frame().MdiArea().subWindowList().size(), 2);
    app->OpenFiles({dir / "gone"});
    EXPECT_EQ(Frame().MdiArea().subWindowList().size(), 2);
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_EQ(prompts.messages.back().text, "Can't open the file " + Q(dir / "gone"));
}

// Ctrl+G in a viewer of the program asks for the offset and goes there.
TEST_F(Program, CtrlGAsksForAnOffset) {
    Start();
    CTempDir::Write(dir / "data", std::string(4096, 'd'));
    CViewDoc* doc = OpenViewer(dir / "data");
    ASSERT_NE(doc, nullptr);
    auto* view = static_cast<CHexView*>(Frame().MdiArea().activeSubWindow()->widget());
    view->setFocus();
    prompts.textAnswers = {"0x400"};
    QTest::keyClick(view, Qt::Key_G, Qt::ControlModifier);
    ASSERT_EQ(prompts.textRequests.size(), 1u);
    EXPECT_EQ(view->TopLine(), 0x400 / doc->LineLength());
    // The byte gone to is selected, the status bar says so, and Copy takes it.
    EXPECT_EQ(Frame().StatusText(), "0x00000400-0x00000400, 1 byte");
    QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "64 64");
    QTest::keyClick(view, Qt::Key_Right);
    EXPECT_FALSE(Enabled(Res::kEditCopy));
    EXPECT_EQ(Frame().StatusText(), "Ready");
    QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Frame().StatusText(), "0x00000402-0x00000402, 1 byte");
    Frame().Browser1().List().setFocus();
    EXPECT_EQ(Frame().StatusText(), "Ready") << "only the view in use tells its selection";
    view->setFocus();
    EXPECT_EQ(Frame().StatusText(), "0x00000402-0x00000402, 1 byte") << "told again with the focus";
}

using Form = CPrompts::FindRequest::Form;

// Ctrl+F asks what to find and shows the first match from the top row on; F3 and Shift+F3 go on to
// the next and the previous one, round the file's end and start with a note in the status bar. With
// no pattern yet, F3 asks for one.
TEST_F(Program, FindAndFindAgainInTheViewer) {
    Start();
    std::string data(64u << 10, '.');
    data.replace(0x2000, 6, "needle");
    data.replace(0x8000, 6, "needle");
    CTempDir::Write(dir / "data", data);
    CViewDoc* doc = OpenViewer(dir / "data");
    ASSERT_NE(doc, nullptr);
    auto* view = static_cast<CHexView*>(Frame().MdiArea().activeSubWindow()->widget());
    view->setFocus();
    const std::int64_t first = 0x2000 / doc->LineLength();
    const std::int64_t second = 0x8000 / doc->LineLength();
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(view, key, modifiers);
        WaitUntilIdle(*Frame().Work());
        return view->TopLine();
    };

    EXPECT_EQ(press(Qt::Key_F3), 0);
    ASSERT_EQ(prompts.findRequests.size(), 1u) << "F3 without a pattern asks for one";
    EXPECT_EQ(prompts.findRequests[0].files, 1);
    prompts.findAnswers = {{"6E 65 65 64 6C 65", Form::Hex, 0, 1}};
    EXPECT_EQ(press(Qt::Key_F, Qt::ControlModifier), first);
    EXPECT_EQ(view->Selection(), (CHexView::Selected{0, 0x2000, 6})) << "the match is selected";
    EXPECT_EQ(Frame().StatusText(), "0x00002000-0x00002005, 6 bytes");
    EXPECT_EQ(press(Qt::Key_F3), second);
    EXPECT_EQ(press(Qt::Key_F3), first);
    EXPECT_EQ(Frame().StatusText(), "Passed the end of the file; searched from the start.");
    EXPECT_EQ(press(Qt::Key_F3, Qt::ShiftModifier), second);
    EXPECT_EQ(Frame().StatusText(), "Passed the start of the file; searched from the end.");
    EXPECT_EQ(press(Qt::Key_F3, Qt::ShiftModifier), first);
    EXPECT_EQ(Frame().StatusText(), "0x00002000-0x00002005, 6 bytes");
    // Find next goes on from where the user has moved the caret since.
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(press(Qt::Key_F3, Qt::ShiftModifier), second);
    EXPECT_EQ(view->Selection(), (CHexView::Selected{0, 0x8000, 6}));

    // The last answer is the next default; one found nowhere, or no pattern at all, is said and
    // moves nothing.
    prompts.findAnswers = {{"needles", Form::TextUtf8, 0, 1}, {"6E 6", Form::Hex, 0, 1}};
    EXPECT_EQ(press(Qt::Key_F, Qt::ControlModifier), second);
    EXPECT_EQ(prompts.findRequests.back().pattern, "6E 65 65 64 6C 65");
    EXPECT_EQ(press(Qt::Key_F, Qt::ControlModifier), second);
    EXPECT_EQ(prompts.findRequests.back().pattern, "needles");
    EXPECT_EQ(prompts.findRequests.back().form, Form::TextUtf8);
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].text, "\"needles\" was not found.");
    EXPECT_EQ(prompts.messages[1].text, "\"6E 6\" has an odd number of hex digits (3): each byte takes two.");
    EXPECT_EQ(press(Qt::Key_F3), second) << "F3 asks again after a refused pattern";
    EXPECT_EQ(prompts.findRequests.size(), 5u);
}

// In a comparison Find searches the file the user picks, as text in UTF-8 or UTF-16LE, and the row
// that holds the match in that file comes on top.
TEST_F(Program, FindInEitherFileOfAComparison) {
    Start();
    std::string one(32u << 10, '1');
    std::string two(32u << 10, '2');
    one.replace(0x5000, 4, "mark");
    const std::string wide("m\0a\0r\0k\0", 8);
    two.replace(0x6000, wide.size(), wide);
    two.replace(0x7000, 4, "mark");
    CTempDir::Write(dir / "one", one);
    CTempDir::Write(dir / "two", two);
    CCompDoc* doc = OpenCompare(dir / "one", dir / "two");
    ASSERT_NE(doc, nullptr);
    auto* view = static_cast<CHexView*>(Frame().MdiArea().activeSubWindow()->widget());
    view->setFocus();
    const auto holds = [&](int side, std::uint64_t offset) {
        const CompLine row = doc->Lines().GetAt(static_cast<std::uint64_t>(view->TopLine()));
        const std::uint64_t start = side == 0 ? row.offset1 : row.offset2;
        return start <= offset && offset < start + row.length;
    };
    prompts.findAnswers = {
        {"mark", Form::TextUtf8, 1, 2}, {"mark", Form::TextUtf16le, 1, 2}, {"mark", Form::TextUtf8, 0, 2}};
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    WaitUntilIdle(*Frame().Work());
    EXPECT_TRUE(holds(1, 0x7000));
    EXPECT_EQ(prompts.findRequests[0].files, 2);
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    WaitUntilIdle(*Frame().Work());
    EXPECT_TRUE(holds(1, 0x6000));
    EXPECT_EQ(prompts.findRequests[1].file, 1) << "the last file is the next default";
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    WaitUntilIdle(*Frame().Work());
    EXPECT_TRUE(holds(0, 0x5000));
    QTest::keyClick(view, Qt::Key_F3);
    WaitUntilIdle(*Frame().Work());
    EXPECT_TRUE(holds(0, 0x5000)) << "the only match, found again round the end";
    EXPECT_EQ(Frame().StatusText(), "Passed the end of the file; searched from the start.");
    prompts.findAnswers = {{"mark!", Form::TextUtf8, 1, 2}};
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    WaitUntilIdle(*Frame().Work());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "\"mark!\" was not found in file 2.");
}

// A search held on its way shows in the status bar and is stopped by Cancel, moving nothing; one
// whose window is closed meanwhile ends quietly, and the program goes on.
TEST_F(Program, ASearchIsCancelledOrOutlivedByItsWindow) {
    Start();
    std::string data(64u << 10, '.');
    data.replace(0x8000, 6, "needle");
    CTempDir::Write(dir / "data", data);
    for (const bool close : {false, true}) {
        CViewDoc* doc = OpenViewer(dir / "data");
        ASSERT_NE(doc, nullptr);
        QPointer<QMdiSubWindow> window = Frame().MdiArea().activeSubWindow();
        auto* view = static_cast<CHexView*>(window->widget());
        view->setFocus();
        CWorkHold hold(*Frame().Work(), "Finding");
        prompts.findAnswers = {{"needle", Form::TextUtf8, 0, 1}};
        QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
        hold.Reached();
        EXPECT_TRUE(Eventually([&] { return Frame().StatusText() == "Finding \"needle\" ..."; }));
        EXPECT_FALSE(Enabled(Res::kFindNext)) << "one search at a time";
        // Bytes selected meanwhile leave the status bar telling what runs.
        QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
        EXPECT_EQ(Frame().StatusText(), "Finding \"needle\" ...");
        if (close) {
            window->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(window.isNull());
        } else {
            Frame().ProgressPanel().CancelButton()->click();
        }
        WaitUntilIdle(*Frame().Work());
        if (!close) {
            EXPECT_EQ(view->TopLine(), 0);
            window->close();
        }
        EXPECT_TRUE(prompts.messages.empty());
        EXPECT_EQ(Frame().StatusText(), "Ready");
    }
}

// A screen reader keeps the menus it has read: they stay the same objects whatever document is
// active, and the status bar's parts have names.
TEST_F(Program, MenusLastAndTheStatusBarIsNamed) {
    Start();
    const QList<QAction*> before = Frame().menuBar()->actions();
    std::vector<QPointer<QMenu>> menus;
    for (QAction* title : before) {
        menus.emplace_back(title->menu());
    }
    CTempDir::Write(dir / "a", "first");
    CTempDir::Write(dir / "b", "second");
    ASSERT_NE(OpenCompare(dir / "a", dir / "b"), nullptr);
    EXPECT_NE(Frame().menuBar()->actions(), before) << "the compare window's menus";
    Frame().MdiArea().closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(Frame().menuBar()->actions().size(), before.size());
    for (std::size_t i = 0; i < menus.size(); ++i) {
        ASSERT_FALSE(menus[i].isNull());
        EXPECT_EQ(Frame().menuBar()->actions()[static_cast<int>(i)]->menu(), menus[i].data());
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(menus[i].data());
        EXPECT_EQ(read->childCount(), menus[i]->actions().size());
    }

    std::set<QString> names;
    for (QWidget* part : Frame().statusBar()->findChildren<QWidget*>()) {
        if (part->isVisible() && qobject_cast<QLabel*>(part) != nullptr) {
            names.insert(QAccessible::queryAccessibleInterface(part)->text(QAccessible::Name));
        }
    }
    for (const char* lock : {"Caps Lock", "Num Lock", "Scroll Lock"}) {
        EXPECT_TRUE(names.contains(QStringLiteral("%1 on").arg(QLatin1String(lock))) ||
                    names.contains(QStringLiteral("%1 off").arg(QLatin1String(lock))))
            << lock;
    }
    EXPECT_EQ(Frame().statusBar()->findChild<QSizeGrip*>()->accessibleName(), "Resize the window");
}

} // namespace
