#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include "browser/shelllist.h"
#include "platform/desktopopener.h"
#include "platform/promptrecorder.h"
#include "platform/shell/core/shellitem.h"
#include "qstringprint.h"
#include "readonlyfolder.h"
#include "res/resourcetables.h"
#include "tempdir.h"

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string Shown(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name)).toStdString();
}

// An environment variable set for one test and put back after it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_old) {
            setenv(m_name, m_old->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// The desktop's answer, without asking a desktop.
class FakeOpener : public CDesktopOpener {
public:
    explicit FakeOpener(Result answer, std::vector<QString>& opened) : m_answer(answer), m_opened(opened) {}
    Result Open(const QString& path) override {
        m_opened.push_back(path);
        return m_answer;
    }

private:
    Result m_answer;
    std::vector<QString>& m_opened;
};

class ShellList : public ::testing::Test {
protected:
    ShellList() {
        QObject::connect(&list, &DCShellList::SelectTargetRequested,
                         [this](int slot, const DCShellItem& item) {
                             targets.push_back(std::to_string(slot) + " " + item.GetPath());
                         });
        QObject::connect(&list, &DCShellList::ViewRequested,
                         [this](const DCShellItem& item) { views.push_back(item.GetPath()); });
        QObject::connect(&list, &DCShellList::GoFolderRequested, [this](const DCShellItem* folder) {
            folders.push_back(folder ? folder->GetPath() : "(refresh)");
        });
        QObject::connect(&list, &DCShellList::GoUpRequested, [this] { ++ups; });
        QObject::connect(&list, &DCShellList::DeleteFinished, [this] { ++deletesFinished; });
    }

    void Show(const std::string& folder) {
        QString error;
        ASSERT_TRUE(list.SetFolder(DCShellItem(folder), error)) << error.toStdString();
        list.resize(700, 400);
        list.show();
    }
    std::string Cell(int row, int column) const {
        return list.model()->index(row, column).data().toString().toStdString();
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int row = 0; row < list.model()->rowCount(); ++row) {
            names.push_back(Cell(row, 0));
        }
        return names;
    }
    int RowOf(const std::string& name) const {
        const std::vector<std::string> names = Names();
        const auto found = std::find(names.begin(), names.end(), name);
        return found == names.end() ? -1 : static_cast<int>(found - names.begin());
    }
    void Click(const std::string& name, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const int row = RowOf(name);
        ASSERT_GE(row, 0) << name;
        QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers,
                          list.visualRect(list.model()->index(row, 1)).center());
    }
    // As the window system delivers it: a click, then the second press as a double click.
    void DoubleClick(const std::string& name) {
        Click(name);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier,
                           list.visualRect(list.model()->index(RowOf(name), 1)).center());
    }
    void Select(const std::string& name) {
        list.selectionModel()->select(list.model()->index(RowOf(name), 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    CTempDir dir;
    CPromptRecorder prompts;
    DCShellList list;
    std::vector<std::string> targets;
    std::vector<std::string> views;
    std::vector<std::string> folders;
    int ups = 0;
    int deletesFinished = 0;
};

TEST_F(ShellList, ListsVisibleItemsInBrowsingOrderWithEmptySizesForFolders) {
    CTempDir::Write(dir / "b10", "x");
    CTempDir::Write(dir / "b9", "x");
    CTempDir::Write(dir / ".hidden", "x");
    fs::create_directory(dir / "zdir");
    Show(dir.path());
    EXPECT_EQ(Names(), (std::vector<std::string>{"zdir", "b9", "b10"}));
    EXPECT_EQ(Cell(0, 1), "");
    EXPECT_EQ(Cell(0, 2), "Folder");
    EXPECT_EQ(Cell(0, 3), "");
    EXPECT_EQ(Cell(1, 1), "1");
    EXPECT_FALSE(Cell(1, 3).empty());
    EXPECT_EQ(list.objectName(), "100");
    EXPECT_EQ(list.accessibleName(), "Files");
    EXPECT_EQ(list.model()->headerData(3, Qt::Horizontal).toString(), "Modified");
    EXPECT_EQ(list.columnWidth(0), 200);
    EXPECT_EQ(list.columnWidth(1), 100);
    // A type and a date with its time fit their columns.
    EXPECT_GT(list.columnWidth(2), list.fontMetrics().horizontalAdvance("plain text document"));
    EXPECT_GT(list.columnWidth(3), list.fontMetrics().horizontalAdvance("12/31/26 12:59 PM"));
}

TEST_F(ShellList, SizesAreShownInBytesKilobytesAndMegabytes) {
    for (const std::uint64_t size : {1023ull, 1024ull, 1048575ull, 1048576ull, 5ull << 30}) {
        const std::string path = dir / std::string("f").append(std::to_string(size));
        CTempDir::Write(path, "");
        fs::resize_file(path, size); // sparse
    }
    Show(dir.path());
    std::map<std::string, std::string> sizes;
    for (int row = 0; row < list.model()->rowCount(); ++row) {
        sizes[Cell(row, 0)] = Cell(row, 1);
    }
    EXPECT_EQ(sizes["f1023"], "1023");
    EXPECT_EQ(sizes["f1024"], "1 KB");
    EXPECT_EQ(sizes["f1048575"], "1023 KB");
    EXPECT_EQ(sizes["f1048576"], "1 MB");
    EXPECT_EQ(sizes["f5368709120"], "5120 MB");
    EXPECT_TRUE(list.model()->index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                Qt::AlignRight);
}

TEST_F(ShellList, SortsByTheValuesShown) {
    CTempDir::Write(dir / "Big", "");
    fs::resize_file(dir / "Big", 9ull << 20);
    CTempDir::Write(dir / "small", std::string(10 * 1024, 'x'));
    CTempDir::Write(dir / "apple", "");
    fs::create_directory(dir / "zfolder");
    Show(dir.path());
    list.sortByColumn(1, Qt::AscendingOrder);
    EXPECT_EQ(Names(), (std::vector<std::string>{"zfolder", "apple", "small", "Big"}));
    list.sortByColumn(1, Qt::DescendingOrder);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Big", "small", "apple", "zfolder"}));
    list.sortByColumn(0, Qt::AscendingOrder);
    EXPECT_EQ(Names(), (std::vector<std::string>{"apple", "Big", "small", "zfolder"}));
}

TEST_F(ShellList, AClickTargetsAFileOnlyWhenItIsTheOneSelectedRow) {
    CTempDir::Write(dir / "one", "1");
    CTempDir::Write(dir / "two", "2");
    fs::create_directory(dir / "sub");
    Show(dir.path());
    Click("one");
    EXPECT_EQ(targets, (std::vector<std::string>{"-1 " + dir / "one"}));
    Click("two", Qt::ControlModifier);
    EXPECT_EQ(list.selectionModel()->selectedRows().size(), 2);
    Click("sub");
    EXPECT_EQ(targets.size(), 1u);
}

// A fifo, a device or a dangling link is listed, but never read, viewed, targeted or snapshotted:
// opening it could block for good. Each refusal names the file and says why; a mere click says it
// in the status bar.
TEST_F(ShellList, WhatIsNoRegularFileIsRefusedWithTheReason) {
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    fs::create_symlink("/dev/null", dir / "null");
    fs::create_symlink(dir / "missing", dir / "dangling");
    Show(dir.path());
    EXPECT_NE(Cell(RowOf("pipe"), 2), "");
    std::vector<QString> said;
    QObject::connect(&list, &DCShellList::StatusRequested,
                     [&said](const QString& text) { said.push_back(text); });
    int snapshots = 0;
    QObject::connect(&list, &DCShellList::SnapshotRequested, [&snapshots] { ++snapshots; });
    Click("pipe");
    EXPECT_EQ(said, std::vector<QString>{"\"pipe\" cannot be a compare target: it is a named pipe (fifo)."});
    EXPECT_TRUE(prompts.messages.empty()) << "a click asks for no answer";
    DoubleClick("pipe");
    list.SelectAsTarget(0);
    list.ViewSelected();
    list.SnapshotSelected();
    ASSERT_EQ(prompts.messages.size(), 4u);
    EXPECT_EQ(prompts.messages[0].text, "\"pipe\" cannot be viewed: it is a named pipe (fifo).");
    EXPECT_EQ(prompts.messages[0].icon, CPrompts::Icon::Error);
    EXPECT_EQ(prompts.messages[1].text, "\"pipe\" cannot be a compare target: it is a named pipe (fifo).");
    EXPECT_EQ(prompts.messages[3].text, "\"pipe\" cannot be snapshotted: it is a named pipe (fifo).");
    Select("null");
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(prompts.messages.back().text, "\"null\" cannot be viewed: it is a character device.");
    Click("dangling");
    EXPECT_EQ(said.back(), "\"dangling\" cannot be a compare target: it is a symbolic link to \"" +
                               Q(dir / "missing") + "\", which does not exist.");
    EXPECT_TRUE(targets.empty());
    EXPECT_TRUE(views.empty());
    EXPECT_EQ(snapshots, 0);
}

// Whether a row can be read is asked of the file as it is now, not as it was listed: a link whose
// target came back opens, a file removed since is refused with that reason.
TEST_F(ShellList, ARowIsJudgedByItsFileAsItIsNow) {
    fs::create_symlink("later", dir / "link");
    CTempDir::Write(dir / "going", "g");
    Show(dir.path());
    // The rows as they are drawn: a link to nothing, a file of one byte.
    EXPECT_EQ(Cell(RowOf("link"), 1), "");
    EXPECT_EQ(Cell(RowOf("going"), 1), "1");
    CTempDir::Write(dir / "later", "here now");
    fs::remove(dir / "going");
    Select("link");
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(views, std::vector<std::string>{dir / "link"});
    Select("going");
    QTest::keyClick(&list, Qt::Key_Return);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "\"going\" cannot be viewed: it does not exist.");
    EXPECT_EQ(views.size(), 1u);
}

// A link goes to the trash as the link, whether its target exists or not; the target stays.
TEST_F(ShellList, LinksGoToTheTrashAsLinks) {
    const ScopedEnv home("HOME", dir.path().string());
    const ScopedEnv data("XDG_DATA_HOME", dir / "data");
    fs::create_directory(dir / "shown");
    CTempDir::Write(dir / "target", "t");
    fs::create_symlink(dir / "target", dir / "shown/link");
    fs::create_symlink("nowhere", dir / "shown/dangling");
    Show(dir / "shown");
    QTest::keyClick(&list, Qt::Key_A, Qt::ControlModifier);
    prompts.questionAnswers.push_back(true);
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages[0].text.toStdString();
    EXPECT_TRUE(fs::is_empty(dir / "shown"));
    EXPECT_EQ(CTempDir::Read(dir / "target"), "t");
    EXPECT_EQ(fs::read_symlink(dir / "data/Trash/files/dangling"), "nowhere");
    EXPECT_EQ(fs::read_symlink(dir / "data/Trash/files/link"), dir / "target");
}

TEST_F(ShellList, DoubleClickAndEnterOpenFoldersAndViewFiles) {
    CTempDir::Write(dir / "file", "1");
    fs::create_directory(dir / "sub");
    Show(dir.path());
    DoubleClick("sub");
    EXPECT_EQ(folders, (std::vector<std::string>{dir / "sub"}));
    DoubleClick("file");
    EXPECT_EQ(views, (std::vector<std::string>{dir / "file"}));
    EXPECT_EQ(targets, (std::vector<std::string>{"-1 " + dir / "file"}))
        << "the first click targets the file";
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(views.size(), 2u);
    Select("sub");
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(folders.back(), dir / "sub");
    QTest::keyClick(&list, Qt::Key_Backspace);
    EXPECT_EQ(ups, 1);
    QTest::keyClick(&list, Qt::Key_F5);
    EXPECT_EQ(folders.back(), "(refresh)");
}

TEST_F(ShellList, DeleteMovesToTheTrashOnlyAfterYes) {
    const ScopedEnv home("HOME", dir.path().string());
    const ScopedEnv data("XDG_DATA_HOME", dir / "data");
    CTempDir::Write(dir / "victim", "v");
    Show(dir.path());
    Select("victim");
    QTest::keyClick(&list, Qt::Key_Delete); // no answer queued: no
    EXPECT_TRUE(fs::exists(dir / "victim"));
    EXPECT_EQ(deletesFinished, 1);
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_TRUE(prompts.questions[0].contains("victim"));
    prompts.questionAnswers.push_back(true);
    list.DeleteSelected();
    EXPECT_FALSE(fs::exists(dir / "victim"));
    EXPECT_EQ(CTempDir::Read(dir / "data/Trash/files/victim"), "v");
    EXPECT_EQ(deletesFinished, 2);
    list.clearSelection();
    list.DeleteSelected();
    EXPECT_EQ(deletesFinished, 3) << "a delete with nothing selected still refreshes";
    EXPECT_EQ(prompts.questions.size(), 2u);
}

TEST_F(ShellList, WhatCannotGoToTheTrashStaysAndIsNamed) {
    const ScopedEnv home("HOME", dir.path().string());
    CTempDir::Write(dir / "blocker", ""); // a file where the data folder would be
    const ScopedEnv data("XDG_DATA_HOME", dir / "blocker");
    // Qt falls back on a trash in the current folder: let that be one the test can see.
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    CTempDir::Write(dir / "keep", "k");
    Show(dir.path());
    Select("keep");
    prompts.questionAnswers.push_back(true);
    list.DeleteSelected();
    EXPECT_EQ(CTempDir::Read(dir / "keep"), "k");
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.contains("keep"));
    EXPECT_EQ(deletesFinished, 1);
    EXPECT_FALSE(fs::exists(dir / "files"));
    fs::current_path(before);
}

// As a user renames: F2 on the row, the name typed over the old one, Enter (or Esc).
void ShellListRename(DCShellList& list, int row, const QString& typed, Qt::Key end = Qt::Key_Return) {
    list.setFocus();
    list.selectionModel()->setCurrentIndex(list.model()->index(row, 0),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::keyClick(&list, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(list.indexWidget(list.model()->index(row, 0)));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->accessibleName(), "New name");
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClicks(editor, typed);
    QTest::keyClick(editor, end);
    // The delegate commits through a queued call, and the refusal follows the closed editor.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_FALSE(list.IsEditing());
}

// The Enter or Esc that ends an edit belongs to the editor: it never opens the row, whatever the
// outcome of the rename, and a refused name leaves the file and its row as they were.
TEST_F(ShellList, RenameNeverReplacesAnExistingFileAndItsEnterOpensNothing) {
    CTempDir::Write(dir / "a", "first");
    CTempDir::Write(dir / "b", "second");
    fs::create_directory(dir / "sub");
    Show(dir.path());
    const std::vector<QString> refused = {"b", "", "/", "x/y", "..", ".", "sub", QString(300, 'n')};
    for (const QString& name : refused) {
        ShellListRename(list, RowOf("a"), name);
        EXPECT_EQ(CTempDir::Read(dir / "a"), "first") << name.toStdString();
        EXPECT_EQ(Names(), (std::vector<std::string>{"sub", "a", "b"})) << name.toStdString();
    }
    EXPECT_EQ(CTempDir::Read(dir / "b"), "second");
    ASSERT_EQ(prompts.messages.size(), refused.size());
    EXPECT_TRUE(prompts.messages[0].text.contains("already"));
    EXPECT_TRUE(views.empty());
    EXPECT_TRUE(folders.empty());

    ShellListRename(list, RowOf("a"), "c", Qt::Key_Escape);
    EXPECT_TRUE(fs::exists(dir / "a"));
    ShellListRename(list, RowOf("a"), "c");
    EXPECT_EQ(CTempDir::Read(dir / "c"), "first");
    EXPECT_FALSE(fs::exists(dir / "a"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"sub", "c", "b"}));
    EXPECT_TRUE(list.selectionModel()->isRowSelected(1));
    EXPECT_TRUE(views.empty()) << "a rename that succeeds opens nothing either";
    ShellListRename(list, RowOf("sub"), "sub2");
    EXPECT_TRUE(fs::is_directory(dir / "sub2"));
    EXPECT_TRUE(folders.empty()) << "nor goes into a renamed folder";
    EXPECT_EQ(prompts.messages.size(), refused.size());
}

// In a folder this user may not change, Delete and F2 say why instead of doing nothing.
TEST_F(ShellList, AFolderThatCannotBeChangedSaysWhyNothingIsDeletedOrRenamed) {
    fs::create_directory(dir / "locked");
    CTempDir::Write(dir / "locked/kept", "k");
    CTempDir::Write(dir / "locked/also", "a");
    const CReadOnlyFolder locked(dir / "locked");
    if (!locked.Made()) {
        GTEST_SKIP() << "no folder can be made read-only here";
    }
    Show(dir / "locked");
    const QString why =
        "the folder " + Q(dir / "locked") + " cannot be changed (" + std::strerror(locked.Error()) + ")";
    Select("kept");
    QTest::keyClick(&list, Qt::Key_Delete);
    QTest::keyClick(&list, Qt::Key_F2);
    EXPECT_FALSE(list.IsEditing());
    QTest::keyClick(&list, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_TRUE(prompts.questions.empty()) << "nothing to ask about";
    ASSERT_EQ(prompts.messages.size(), 3u);
    EXPECT_EQ(prompts.messages[0].text, "\"kept\" cannot be moved to the trash: " + why + ".");
    EXPECT_EQ(prompts.messages[1].text, "\"kept\" cannot be renamed: " + why + ".");
    EXPECT_EQ(prompts.messages[2].text,
              "These items cannot be moved to the trash:\n\"also\": " + why + "\n\"kept\": " + why);
    EXPECT_EQ(CTempDir::Read(dir / "locked/kept"), "k");
    EXPECT_EQ(deletesFinished, 2);
}

TEST_F(ShellList, NamesThatAreNotTextAreListedAndActedOnExactly) {
    const ScopedEnv home("HOME", dir.path().string());
    const ScopedEnv data("XDG_DATA_HOME", dir / "data");
    const std::string latin = "caf\xe9";
    const std::string raw = "x\xff";
    CTempDir::Write(dir / latin, "L");
    CTempDir::Write(dir / raw, "R");
    Show(dir.path());
    ASSERT_EQ(list.model()->rowCount(), 2);
    Click(Shown(latin));
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(targets[0], "-1 " + dir / latin);

    list.model()->setData(list.selectionModel()->selectedRows()[0], "cafe");
    EXPECT_EQ(CTempDir::Read(dir / "cafe"), "L");
    EXPECT_FALSE(fs::exists(dir / latin));

    Select(Shown(raw));
    // Dragged out, the row names its file by the bytes.
    const std::unique_ptr<QMimeData> dragged(
        list.model()->mimeData(list.selectionModel()->selectedIndexes()));
    ASSERT_NE(dragged, nullptr);
    ASSERT_EQ(dragged->urls().size(), 1);
    EXPECT_EQ(dragged->urls()[0].toEncoded().toStdString(),
              "file://" + QByteArray::fromStdString(dir / raw).toPercentEncoding("/").toStdString());
    prompts.questionAnswers.push_back(true);
    list.DeleteSelected();
    EXPECT_FALSE(fs::exists(dir / raw));
    EXPECT_EQ(CTempDir::Read(dir / ("data/Trash/files/" + raw)), "R");
    EXPECT_TRUE(fs::exists(dir / "data/Trash/info/x\xff.trashinfo"));
    EXPECT_TRUE(prompts.messages.empty());

    // Other programs take names as text: one that is not is refused with that reason.
    CTempDir::Write(dir / raw, "R");
    Show(dir.path());
    std::vector<QString> opened;
    list.SetDesktopOpener(std::make_unique<FakeOpener>(CDesktopOpener::Result::Opened, opened));
    Select(Shown(raw));
    list.ExecuteSelected();
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.endsWith("could not be opened: its name is not text that other "
                                                  "programs can be given."))
        << prompts.messages[0].text.toStdString();
}

TEST_F(ShellList, AFolderThatCannotBeListedKeepsTheRows) {
    fs::create_directory(dir / "sub");
    CTempDir::Write(dir / "sub/kept", "");
    const DCShellItem folder(dir / "sub");
    QString error;
    ASSERT_TRUE(list.SetFolder(folder, error));
    fs::remove_all(dir / "sub");
    EXPECT_FALSE(list.SetFolder(folder, error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(Names(), (std::vector<std::string>{"kept"}));
}

TEST_F(ShellList, LinksAreMarkedAndShowWhatTheyLeadTo) {
    CTempDir::Write(dir / "file", "12345");
    fs::create_directory(dir / "sub");
    fs::create_symlink(dir / "file", dir / "tofile");
    fs::create_directory_symlink(dir / "sub", dir / "tosub");
    Show(dir.path());
    EXPECT_EQ(Names(), (std::vector<std::string>{"sub", "tosub", "file", "tofile"}));
    const int link = RowOf("tofile");
    EXPECT_EQ(Cell(link, 1), "5");
    EXPECT_TRUE(list.model()->index(link, 0).data(Qt::ToolTipRole).toString().contains("link"));
    EXPECT_FALSE(list.model()->index(RowOf("file"), 0).data(Qt::ToolTipRole).isValid());
    const QIcon linkIcon = list.model()->index(link, 0).data(Qt::DecorationRole).value<QIcon>();
    ASSERT_FALSE(linkIcon.isNull());
    EXPECT_NE(linkIcon.pixmap(16, 16).toImage(), list.model()
                                                     ->index(RowOf("file"), 0)
                                                     .data(Qt::DecorationRole)
                                                     .value<QIcon>()
                                                     .pixmap(16, 16)
                                                     .toImage())
        << "a link carries a mark over its type's icon";
    EXPECT_EQ(Cell(RowOf("tosub"), 2), "Folder");
}

TEST_F(ShellList, ShowingTheSameFolderAgainKeepsTheSelection) {
    CTempDir::Write(dir / "a", "");
    CTempDir::Write(dir / "b", "");
    Show(dir.path());
    Select("b");
    CTempDir::Write(dir / "0new", "");
    Show(dir.path());
    EXPECT_EQ(Names(), (std::vector<std::string>{"0new", "a", "b"}));
    const QModelIndexList selected = list.selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0].row(), 2);
}

TEST_F(ShellList, ShellExecuteTellsWhenNoApplicationOpensTheFile) {
    CTempDir::Write(dir / "doc", "");
    Show(dir.path());
    std::vector<QString> opened;
    list.SetDesktopOpener(std::make_unique<FakeOpener>(CDesktopOpener::Result::NoApplication, opened));
    Select("doc");
    list.ExecuteSelected();
    EXPECT_EQ(opened, (std::vector<QString>{QString::fromStdString(dir / "doc")}));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Sorry, No shell association of this kind of file.");
    EXPECT_EQ(prompts.messages[0].icon, CPrompts::Icon::Information);
    list.SetDesktopOpener(std::make_unique<FakeOpener>(CDesktopOpener::Result::Failed, opened));
    list.ExecuteSelected();
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].icon, CPrompts::Icon::Error);
    EXPECT_TRUE(prompts.messages[1].text.contains("doc"));
}

// Where the context menu opens, and with which commands: it is closed as soon as it shows.
struct OpenedMenu {
    QPoint at;
    int actions = -1;
};
OpenedMenu MenuOpenedBy(const std::function<void()>& trigger) {
    OpenedMenu opened;
    QTimer::singleShot(0, [&opened] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            opened = {menu->pos(), static_cast<int>(menu->actions().size())};
            menu->close();
        }
    });
    trigger();
    return opened;
}

// Home and End go to the first and last row; Shift+F10 and the Menu key open the menu at the
// current row, wherever the pointer is.
TEST_F(ShellList, KeysReachTheEndsAndOpenTheMenuAtTheCurrentRow) {
    for (int i = 0; i < 40; ++i) {
        CTempDir::Write(dir / ("file" + std::to_string(i)), "");
    }
    Show(dir.path());
    list.resize(250, 300);
    list.setFocus();
    list.selectionModel()->setCurrentIndex(list.model()->index(3, 0),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::keyClick(&list, Qt::Key_End);
    EXPECT_EQ(list.currentIndex().row(), 39);
    EXPECT_EQ(list.horizontalScrollBar()->value(), 0) << "no sideways scrolling";
    EXPECT_TRUE(list.selectionModel()->isRowSelected(39));
    QTest::keyClick(&list, Qt::Key_Home);
    EXPECT_EQ(list.currentIndex().row(), 0);
    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Down);
    const QRect row = list.visualRect(list.currentIndex().siblingAtColumn(0));
    const QRect rowOnScreen(list.viewport()->mapToGlobal(row.topLeft()), row.size());
    const auto nearRow = [&](const OpenedMenu& menu) {
        return menu.actions > 1 && menu.at.y() >= rowOnScreen.top() &&
               menu.at.y() <= rowOnScreen.bottom() + 1 && menu.at.x() >= rowOnScreen.left() &&
               menu.at.x() < rowOnScreen.right();
    };
    EXPECT_TRUE(nearRow(MenuOpenedBy([&] { QTest::keyClick(&list, Qt::Key_F10, Qt::ShiftModifier); })));
    // The Menu key as the window system sends it: with the pointer's place, far from the row.
    EXPECT_TRUE(nearRow(MenuOpenedBy([&] {
        const QPoint pointer(240, 290);
        QContextMenuEvent key(QContextMenuEvent::Keyboard, pointer, list.viewport()->mapToGlobal(pointer));
        QApplication::sendEvent(list.viewport(), &key);
    })));
    // The pointer's own click opens it where the pointer is.
    const QPoint click = list.visualRect(list.model()->index(5, 1)).center();
    const OpenedMenu byPointer = MenuOpenedBy([&] {
        QContextMenuEvent press(QContextMenuEvent::Mouse, click, list.viewport()->mapToGlobal(click));
        QApplication::sendEvent(list.viewport(), &press);
    });
    EXPECT_EQ(byPointer.at, list.viewport()->mapToGlobal(click));
}

TEST_F(ShellList, ContextMenuFollowsTheNumberOfSelectedRows) {
    CTempDir::Write(dir / "one", "");
    CTempDir::Write(dir / "two", "");
    Show(dir.path());
    const auto ids = [this] {
        std::vector<int> found;
        std::unique_ptr<QMenu> menu(list.MakeContextMenu(nullptr));
        if (!menu) {
            return std::vector<int>{-1};
        }
        for (QAction* action : menu->actions()) {
            found.push_back(action->isSeparator() ? 0 : action->objectName().toInt());
            if (!action->isSeparator()) {
                EXPECT_NE(ResourceTables::FindCommandString(found.back()), nullptr) << found.back();
                // The images of toolbar 151 beside View, Shell Execute and Snapshot.
                const bool drawn = found.back() == 33006 || found.back() == 33012 || found.back() == 33014;
                EXPECT_EQ(!action->icon().isNull(), drawn) << found.back();
            }
        }
        return found;
    };
    EXPECT_EQ(ids(), (std::vector<int>{33017}));
    Select("one");
    EXPECT_EQ(ids(), (std::vector<int>{33021, 33023, 0, 33006, 33012, 33014, 0, 33008, 33010}));
    QTest::keyClick(&list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(list.selectionModel()->selectedRows().size(), 2);
    EXPECT_EQ(ids(), (std::vector<int>{-1}));
}

} // namespace
