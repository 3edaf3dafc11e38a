// A seeded run of what users do, at random: clicks and keys on the real widgets, menus, context menus
// and dialogs answered, files changed from outside meanwhile. The program must neither crash nor leave
// a dialog or menu open. DYADMON_MONKEY_SEED and DYADMON_MONKEY_STEPS choose another run; the steps
// of a failing run are printed with the failure.
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/dyadmonapp.h"
#include "app/mainframe.h"
#include "browser/browser.h"
#include "browser/shelllist.h"
#include "platform/backgroundwork.h"
#include "platform/desktopopener.h"
#include "platform/settingsprofile.h"
#include "platform/shell/core/shellitem.h"
#include "res/resource.h"
#include "snapshots/snapshotmanager.h"
#include "windowfixture.h"

namespace fs = std::filesystem;

namespace {

// No program is ever started for a file: the desktop is said to have opened it.
class QuietDesktop : public CDesktopOpener {
public:
    Result Open(const QString&) override { return Result::Opened; }
};

// The offscreen platform says so each time a menu grabs the keyboard; thousands of lines hide the rest.
QtMessageHandler loudHandler = nullptr;

void QuietPlatform(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.startsWith(QStringLiteral("This plugin does not support"))) {
        loudHandler(type, context, text);
    }
}

unsigned EnvNumber(const char* name, unsigned fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? static_cast<unsigned>(std::strtoul(text, nullptr, 10))
                                            : fallback;
}

class Monkey : public ::testing::Test {
protected:
    Monkey() : random(EnvNumber("DYADMON_MONKEY_SEED", 20261207)) {
        CSettingsProfile().Settings().clear();
        const char* home = std::getenv("HOME");
        oldHome = home != nullptr ? home : "";
        setenv("HOME", (dir / "home").c_str(), 1);
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
        fs::create_directory(dir / "program");
        fs::create_directory(dir / "tmp");
        fs::create_directory(dir / "logs");
        Restock();
        loudHandler = qInstallMessageHandler(QuietPlatform);
        const bool trace = std::getenv("DYADMON_MONKEY_TRACE") != nullptr;
        prompts.whileShown = [this, trace](const QString& text) {
            if (trace) {
                std::fprintf(stderr, "    said: %s\n", text.left(200).toLocal8Bit().constData());
            }
            // A refusal always gives its reason.
            EXPECT_FALSE(text.contains(QStringLiteral(": .")) || text.endsWith(QStringLiteral(": ")))
                << text.toStdString() << "\nafter\n"
                << Trail();
        };
        answerer.setInterval(2);
        QObject::connect(&answerer, &QTimer::timeout, [this] {
            if (stepping > 0 && !answerPending) {
                // Answered from a timer of its own, so an answer that opens the next dialog is answered too.
                answerPending = true;
                QTimer::singleShot(0, [this] { Answer(); });
            }
        });
        answerer.start();
    }
    ~Monkey() override {
        answerer.stop();
        app.reset();
        setenv("HOME", oldHome.c_str(), 1);
        qInstallMessageHandler(loudHandler);
    }

    void Start() {
        app = std::make_unique<CDyadmonApp>(Q(dir / "program"));
        ASSERT_TRUE(app->InitInstance());
        app->m_pSettings->askBeforeCompare = false;
        QApplication::setActiveWindow(app->GetMainFrame());
        Frame().SetUrlOpener([](const QUrl&) { return true; });
        for (DCBrowser* browser : {&Frame().Browser1(), &Frame().Browser2()}) {
            browser->List().SetDesktopOpener(std::make_unique<QuietDesktop>());
            browser->GoFolder(DCShellItem(dir / "home"));
        }
        Frame().SnapshotManager().SetDesktopOpener(std::make_unique<QuietDesktop>());
        Frame().SnapshotManager().SetTempFolder(dir / "tmp");
    }
    CMainFrame& Frame() { return *app->GetMainFrame(); }

    // Ordinary files of a few sizes beside the kinds a folder may hold that are not files, and names
    // that are not UTF-8 or hold characters a shell treats specially.
    void Restock() {
        const fs::path home = dir.path() / "home";
        // The user may have put a file where a folder was.
        std::error_code ignored;
        fs::create_directories(home / "sub" / "deeper", ignored);
        const auto file = [this](const fs::path& path, std::size_t size) {
            if (fs::is_directory(fs::symlink_status(path.parent_path())) &&
                !fs::exists(fs::symlink_status(path))) {
                CTempDir::Write(path.string(), Bytes(size));
            }
        };
        file(home / "a.bin", 700);
        file(home / "b.bin", 900);
        file(home / "c.txt", 40);
        file(home / "empty", 0);
        file(home / "big.bin", 300'000);
        file(home / "sub" / "inner.bin", 1200);
        file(home / "\xff\xfe not utf-8.bin", 64);
        file(home / "what?.bin", 65);
        file(home / "line\nbreak", 66);
        mkfifo((home / "pipe").c_str(), 0600);
        fs::create_symlink("a.bin", home / "link-to-a", ignored);
        fs::create_symlink("nowhere", home / "dangling", ignored);
        fs::create_directory_symlink("sub", home / "link-to-sub", ignored);
    }
    std::string Bytes(std::size_t size) {
        std::string bytes(size, '\0');
        for (char& byte : bytes) {
            byte = static_cast<char>(Pick(4) == 0 ? Pick(256) : 'a' + Pick(3));
        }
        return bytes;
    }

    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random); }
    template <typename T>
    const T& PickOf(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(Pick(static_cast<int>(items.size())))];
    }

    // The one who sits at the keyboard answers whatever menu or dialog a step opened.
    void Answer() {
        answerPending = false;
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (int down = Pick(6); down > 0; --down) {
                QTest::keyClick(menu, Qt::Key_Down);
            }
            QTest::keyClick(menu, Pick(3) == 0 ? Qt::Key_Escape : Qt::Key_Return);
        } else if (QWidget* modal = QApplication::activeModalWidget()) {
            QWidget* focus = modal->focusWidget() != nullptr ? modal->focusWidget() : modal;
            if (++answers % 20 == 0) {
                // A dialog that takes neither key is closed by its window's button.
                modal->close();
            } else {
                QTest::keyClick(focus, Pick(2) == 0 ? Qt::Key_Escape : Qt::Key_Return);
            }
        }
    }

    // Keys go where a keyboard's go: to the focus, or else to the window.
    QWidget* KeyTarget() {
        QWidget* focus = QApplication::focusWidget();
        return focus != nullptr ? focus : &Frame();
    }

    // One of the lists on screen; none when every pane is closed.
    CRowList* AList() {
        std::vector<CRowList*> lists;
        for (CRowList* list :
             {static_cast<CRowList*>(&Frame().Browser1().List()),
              static_cast<CRowList*>(&Frame().Browser2().List()), &Frame().SnapshotManager().List()}) {
            if (list->isVisible()) {
                lists.push_back(list);
            }
        }
        return lists.empty() ? nullptr : PickOf(lists);
    }

    // A visible, enabled control of the window, chosen at random: buttons, boxes, edits, views.
    QWidget* AControl() {
        std::vector<QWidget*> controls;
        for (QWidget* widget : Frame().findChildren<QWidget*>()) {
            if (!widget->isVisible() || !widget->isEnabled() || widget->width() <= 0) {
                continue;
            }
            if (qobject_cast<QAbstractButton*>(widget) != nullptr ||
                qobject_cast<QComboBox*>(widget) != nullptr || qobject_cast<QLineEdit*>(widget) != nullptr ||
                widget->focusPolicy() & Qt::ClickFocus) {
                controls.push_back(widget);
            }
        }
        return controls.empty() ? nullptr : PickOf(controls);
    }

    // Every command of the menus that is enabled now, as a pointer would find it, but Exit.
    std::vector<QAction*> MenuCommands() {
        std::vector<QAction*> commands;
        for (QAction* title : Frame().menuBar()->actions()) {
            if (title->menu() == nullptr) {
                continue;
            }
            title->menu()->aboutToShow();
            for (QAction* action : title->menu()->actions()) {
                if (action->isEnabled() && !action->isSeparator() && action->menu() == nullptr &&
                    action->objectName() != QString::number(Res::kAppExit)) {
                    commands.push_back(action);
                }
            }
        }
        return commands;
    }

    void ClickRow(CRowList& list, bool twice) {
        const int rows = list.model()->rowCount();
        const QModelIndex index = list.model()->index(rows == 0 ? 0 : Pick(rows + 1) % (rows + 1), 0);
        list.scrollTo(index);
        const QPoint at =
            index.isValid() ? list.visualRect(index).center() : QPoint(5, list.viewport()->height() - 5);
        const Qt::KeyboardModifiers modifiers =
            Pick(5) == 0 ? Qt::ControlModifier : (Pick(5) == 0 ? Qt::ShiftModifier : Qt::NoModifier);
        if (twice) {
            QTest::mouseDClick(list.viewport(), Qt::LeftButton, modifiers, at);
        } else {
            QTest::mouseClick(list.viewport(), Pick(8) == 0 ? Qt::RightButton : Qt::LeftButton, modifiers,
                              at);
        }
    }

    void PressKey() {
        struct Key {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            const char* name;
        };
        static const std::vector<Key> keys = {
            {Qt::Key_Up, Qt::NoModifier, "Up"},
            {Qt::Key_Down, Qt::NoModifier, "Down"},
            {Qt::Key_Down, Qt::ShiftModifier, "Shift+Down"},
            {Qt::Key_PageDown, Qt::NoModifier, "PgDown"},
            {Qt::Key_PageUp, Qt::NoModifier, "PgUp"},
            {Qt::Key_Home, Qt::NoModifier, "Home"},
            {Qt::Key_End, Qt::NoModifier, "End"},
            {Qt::Key_Left, Qt::NoModifier, "Left"},
            {Qt::Key_Right, Qt::NoModifier, "Right"},
            {Qt::Key_Return, Qt::NoModifier, "Enter"},
            {Qt::Key_Escape, Qt::NoModifier, "Esc"},
            {Qt::Key_F2, Qt::NoModifier, "F2"},
            {Qt::Key_Delete, Qt::NoModifier, "Delete"},
            {Qt::Key_Backspace, Qt::NoModifier, "Backspace"},
            {Qt::Key_F5, Qt::NoModifier, "F5"},
            {Qt::Key_Tab, Qt::NoModifier, "Tab"},
            {Qt::Key_Tab, Qt::ShiftModifier, "Shift+Tab"},
            {Qt::Key_Tab, Qt::ControlModifier, "Ctrl+Tab"},
            {Qt::Key_Space, Qt::NoModifier, "Space"},
            {Qt::Key_A, Qt::ControlModifier, "Ctrl+A"},
            {Qt::Key_Menu, Qt::NoModifier, "Menu"},
            {Qt::Key_F10, Qt::ShiftModifier, "Shift+F10"},
            {Qt::Key_F6, Qt::NoModifier, "F6"},
            {Qt::Key_F6, Qt::ShiftModifier, "Shift+F6"},
            {Qt::Key_Down, Qt::AltModifier, "Alt+Down"},
            {Qt::Key_Z, Qt::ControlModifier, "Ctrl+Z"},
            {Qt::Key_O, Qt::ControlModifier, "Ctrl+O"},
            {Qt::Key_S, Qt::ControlModifier, "Ctrl+S"},
            {Qt::Key_Right, Qt::ShiftModifier, "Shift+Right"},
            {Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+End"},
            {Qt::Key_C, Qt::ControlModifier, "Ctrl+C"},
            {Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+C"},
            {Qt::Key_F, Qt::ControlModifier, "Ctrl+F"},
            {Qt::Key_F3, Qt::NoModifier, "F3"},
            {Qt::Key_F3, Qt::ShiftModifier, "Shift+F3"},
            {Qt::Key_G, Qt::ControlModifier, "Ctrl+G"},
        };
        const Key& key = PickOf(keys);
        QWidget* target = KeyTarget();
        Note(std::string("key ") + key.name + " to " + Describe(target));
        QTest::keyClick(target, key.key, key.modifiers);
    }

    void Type() {
        static const std::vector<QString> texts = {
            "a.bin", "new name", "/", "x/y", "..", ".", "", "é", "what?", QString(300, 'n'), "*1", "sub"};
        const QString text = PickOf(texts);
        QWidget* target = KeyTarget();
        Note("type \"" + text.left(20).toStdString() + "\" to " + Describe(target));
        for (const QChar character : text) {
            if (character.unicode() < 0x80) {
                QTest::keyClick(target, character.toLatin1());
            } else {
                QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(character),
                                    Qt::NoModifier);
            }
        }
    }

    // Files change while the program shows them: rewritten, removed, made.
    void ChangeOutside() {
        const fs::path home = dir.path() / "home";
        std::vector<fs::path> entries;
        for (const fs::directory_entry& entry : fs::directory_iterator(home)) {
            entries.push_back(entry.path());
        }
        std::error_code ignored;
        switch (Pick(3)) {
        case 0:
            if (!entries.empty()) {
                const fs::path& path = PickOf(entries);
                if (fs::is_regular_file(fs::symlink_status(path))) {
                    Note("rewrite " + path.filename().string());
                    CTempDir::Write(path.string(), Bytes(static_cast<std::size_t>(Pick(5000))));
                }
            }
            break;
        case 1:
            if (!entries.empty()) {
                const fs::path& path = PickOf(entries);
                if (!fs::is_directory(fs::symlink_status(path))) {
                    Note("remove " + path.filename().string());
                    fs::remove(path, ignored);
                }
            }
            break;
        default:
            Note("make a file");
            CTempDir::Write((home / ("made" + std::to_string(Pick(20)))).string(), Bytes(300));
        }
    }

    static std::string Describe(QWidget* widget) {
        if (widget == nullptr) {
            return "nothing";
        }
        const QString name =
            widget->accessibleName().isEmpty() ? widget->objectName() : widget->accessibleName();
        return std::string(widget->metaObject()->className()) + " \"" + name.toStdString() + "\"";
    }
    void Note(const std::string& text) {
        done.push_back(std::to_string(step) + ": " + text);
        if (std::getenv("DYADMON_MONKEY_TRACE") != nullptr) {
            std::fprintf(stderr, "%s\n", done.back().c_str());
        }
        if (done.size() > 40) {
            done.pop_front();
        }
    }
    std::string Trail() const {
        std::string trail;
        for (const std::string& line : done) {
            trail += line + "\n";
        }
        return trail;
    }

    void Act() {
        // The answers a step's questions get: to move to the trash or not, a file to save to or none.
        prompts.questionAnswers = {Pick(2) == 0};
        prompts.fileAnswers.clear();
        if (Pick(2) == 0) {
            prompts.fileAnswers.push_back(Pick(2) == 0 ? Q(dir / "logs/log.txt") : Q(dir / "home/a.bin"));
        }
        // What to find and where to go, now and then something that is refused.
        using Form = CPrompts::FindRequest::Form;
        static const std::vector<CPrompts::FindRequest> finds = {{"00", Form::Hex, 0, 2},
                                                                 {"zz", Form::Hex, 1, 2},
                                                                 {"a", Form::TextUtf8, 1, 2},
                                                                 {"é", Form::TextUtf16le, 0, 2},
                                                                 {"", Form::TextUtf8, 0, 2}};
        prompts.findAnswers = {PickOf(finds)};
        static const std::vector<QString> offsets = {"0", "0x10", "2:1F00h", "99999999999", "nonsense", ""};
        prompts.textAnswers = {PickOf(offsets)};
        const int choice = Pick(100);
        CRowList* list = AList();
        if (choice < 26 && list != nullptr) {
            const bool twice = choice >= 20;
            Note(std::string(twice ? "double-click" : "click") + " a row of " + Describe(list));
            ClickRow(*list, twice);
        } else if (choice < 50) {
            PressKey();
        } else if (choice < 55) {
            Type();
        } else if (choice < 68) {
            if (QWidget* control = AControl()) {
                Note("click " + Describe(control));
                QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier,
                                  QPoint(Pick(control->width()), Pick(std::max(1, control->height()))));
            }
        } else if (choice < 80) {
            const std::vector<QAction*> commands = MenuCommands();
            if (!commands.empty()) {
                QAction* command = PickOf(commands);
                Note("menu " + command->text().toStdString());
                command->trigger();
            }
        } else if (choice < 85 && list != nullptr) {
            Note("context menu of " + Describe(list));
            list->setFocus();
            QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
        } else if (choice < 89) {
            const QList<QMdiSubWindow*> windows = Frame().MdiArea().subWindowList();
            if (!windows.isEmpty()) {
                Note("close a document window");
                windows[Pick(static_cast<int>(windows.size()))]->close();
            }
        } else if (choice < 96) {
            ChangeOutside();
        } else {
            Note("wait for the work");
            WaitUntilIdle(*Frame().Work());
        }
    }

    // The browsers stay in the test's own folder: a step may leave it, the next starts inside it again,
    // so nothing outside is ever renamed or moved to the trash.
    void StayInside() {
        const std::string home = dir / "home";
        for (DCBrowser* browser : {&Frame().Browser1(), &Frame().Browser2()}) {
            const std::string shown = browser->CurrentFolder().GetPath();
            if (shown.rfind(dir.path().string() + "/", 0) != 0) {
                browser->GoFolder(DCShellItem(home));
            }
        }
    }

    void Run(unsigned steps) {
        for (step = 0; step < steps; ++step) {
            if (step % 200 == 0) {
                Restock();
            }
            StayInside();
            // A window manager gives the activation back to the window when a dialog closes.
            if (QApplication::activeWindow() == nullptr) {
                QApplication::setActiveWindow(&Frame());
            }
            ++stepping;
            Act();
            QCoreApplication::processEvents();
            // A menu that does not wait for its answer (a window's own menu) is answered after the step.
            for (int tries = 0;
                 tries < 5 && qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; ++tries) {
                Answer();
                QCoreApplication::processEvents();
            }
            --stepping;
            ASSERT_EQ(QApplication::activeModalWidget(), nullptr) << "a dialog stays open after\n" << Trail();
            ASSERT_EQ(qobject_cast<QMenu*>(QApplication::activePopupWidget()), nullptr)
                << "a menu stays open after\n"
                << Trail();
            ASSERT_TRUE(Frame().isVisible()) << Trail();
        }
        WaitUntilIdle(*Frame().Work());
        QCoreApplication::processEvents();
        EXPECT_FALSE(Frame().Work()->IsBusy());
        Frame().close();
        EXPECT_FALSE(Frame().isVisible()) << "the window closes after\n" << Trail();
    }

    CTempDir dir;
    CPromptRecorder prompts;
    std::unique_ptr<CDyadmonApp> app;
    std::string oldHome;
    std::mt19937 random;
    QTimer answerer;
    int stepping = 0;
    bool answerPending = false;
    int answers = 0;
    unsigned step = 0;
    std::deque<std::string> done;
};

TEST_F(Monkey, ThousandsOfRandomUserActionsNeitherCrashNorLeaveADialogOpen) {
    Start();
    const unsigned seed = EnvNumber("DYADMON_MONKEY_SEED", 20261207);
    SCOPED_TRACE("seed " + std::to_string(seed));
    Run(EnvNumber("DYADMON_MONKEY_STEPS", 2000));
}

} // namespace
