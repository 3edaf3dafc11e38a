#include <filesystem>
#include <sys/stat.h>

#include <QAccessible>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>

#include "panes/targetslots.h"
#include "platform/desktopopener.h"
#include "res/resource.h"
#include "snapshots/core/privatecopy.h"
#include "snapshots/core/snapshotcatalogue.h"
#include "snapshots/descriptiondlg.h"
#include "snapshots/snapshotmanager.h"
#include "views/windowhost.h"
#include "windowfixture.h"

namespace fs = std::filesystem;

namespace {

struct RecordedSlots : CTargetSlots {
    void SetTarget1(const std::string& target) override { target1 = target; }
    void SetTarget2(const std::string& target) override { target2 = target; }
    void ClearTargets() override { target1 = target2 = "(cleared)"; }
    std::string target1;
    std::string target2;
};

// The desktop's answers, without asking a desktop.
class FakeDesktop : public CDesktopOpener {
public:
    bool hasApplication = true;
    std::vector<QString> opened;

protected:
    QString DefaultApplication(const QString&, bool& asked) override {
        asked = true;
        return hasApplication ? QStringLiteral("editor.desktop") : QString();
    }
    bool OpenWithDefault(const QString& path) override {
        opened.push_back(path);
        return true;
    }
};

class SnapshotManager : public CWindowFixture {
protected:
    SnapshotManager() {
        pane.SetTargetSlots(&targets);
        auto desktop = std::make_unique<FakeDesktop>();
        this->desktop = desktop.get();
        pane.SetDesktopOpener(std::move(desktop));
        fs::create_directory(dir / "tmp");
        pane.SetTempFolder(dir / "tmp");
        host.resize(900, 500);
        host.show();
        pane.resize(900, 300);
        pane.show();
    }

    QString Cell(int row, int column) const {
        return pane.List().model()->index(row, column).data().toString();
    }
    void Select(std::initializer_list<int> rows) {
        pane.List().clearSelection();
        for (const int row : rows) {
            pane.List().selectionModel()->select(pane.List().model()->index(row, 0),
                                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    int Windows() const { return static_cast<int>(host.MdiArea().subWindowList().size()); }
    // The records the catalogue on disk holds now.
    std::vector<SnapshotRecord> OnDisk() const {
        return CSnapshotCatalogue::Parse(CTempDir::Read(dir / "store/DadUzura.cfg")).records;
    }

    CWindowHost host{settings, store, CBackgroundWork::Thread::Caller};
    DCSnapshotManager pane{store, host.ViewTemplate()};
    RecordedSlots targets;
    FakeDesktop* desktop;
};

TEST_F(SnapshotManager, ListsTheStoreAndAddsASnapshotAsARow) {
    TakeSnapshots(2);
    EXPECT_EQ(pane.List().model()->rowCount(), 2);
    CTempDir::Write(dir / "report.doc", "twelve bytes");
    ASSERT_TRUE(pane.AddSnapshot(dir / "report.doc"));
    EXPECT_EQ(Cell(2, 0), "3");
    EXPECT_TRUE(Cell(2, 1).startsWith("report.doc  (")) << Cell(2, 1).toStdString();
    EXPECT_TRUE(Cell(2, 1).endsWith(")"));
    EXPECT_EQ(Cell(2, 2), Q(dir / "report.doc"));
    EXPECT_EQ(Cell(2, 4), "12");
    EXPECT_EQ(Cell(2, 5), "");
    EXPECT_EQ(OnDisk().size(), 3u) << "saved at once";
    const QHeaderView* header = pane.List().horizontalHeader();
    EXPECT_EQ(header->sectionSize(1), 200);
    EXPECT_EQ(pane.List().model()->headerData(4, Qt::Horizontal).toString(), "Size");
    EXPECT_EQ(pane.List().model()->index(0, 4).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
              Qt::AlignRight);

    // Refusals: a missing file, and one whose size the record cannot hold.
    EXPECT_FALSE(pane.AddSnapshot(dir / "gone"));
    CTempDir::Write(dir / "huge", "");
    fs::resize_file(dir / "huge", 4ull << 30);
    EXPECT_FALSE(pane.AddSnapshot(dir / "huge"));
    EXPECT_EQ(Messages(),
              (std::vector<QString>{"Can't open the file " + Q(dir / "gone") + " (it does not exist)",
                                    "The file " + Q(dir / "huge") +
                                        " is too large for a snapshot: the limit is 4294967231 bytes "
                                        "(4 GiB less 65 bytes)."}));
    EXPECT_EQ(pane.List().model()->rowCount(), 3);
}

TEST_F(SnapshotManager, SizesUpTo4GiBShowExactly) {
    fs::create_directory(dir / "big");
    CTempDir::Write(
        dir / "big/DadUzura.cfg",
        CSnapshotCatalogue::Serialize({{"big  (x)", "/big", "d", 3'000'000'000u, "", "Hex00001.img"}}));
    CSnapshotStore big(storeMessages);
    big.LoadCatalogue(dir / "big", CSnapshotStore::Access::ReadOnly);
    DCSnapshotManager other(big, host.ViewTemplate());
    EXPECT_EQ(other.List().model()->index(0, 4).data().toString(), "3000000000");
}

TEST_F(SnapshotManager, DeletingRenumbersTheRestRemovesTheImagesAndEmptiesTheSlots) {
    TakeSnapshots(5);
    DCSnapshotManager listed(store, host.ViewTemplate());
    listed.SetTargetSlots(&targets);
    targets.target1 = "*5";
    listed.List().selectionModel()->select(listed.List().model()->index(1, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    listed.List().selectionModel()->select(listed.List().model()->index(3, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    listed.DeleteSelected();
    ASSERT_EQ(listed.List().model()->rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(listed.List().model()->index(row, 0).data().toString(), QString::number(row + 1));
        EXPECT_EQ(listed.List().model()->index(row, 1).data().toString(),
                  "snap" + QString::number(2 * row + 1));
    }
    EXPECT_FALSE(fs::exists(dir / "store/Hex00002.img"));
    EXPECT_FALSE(fs::exists(dir / "store/Hex00004.img"));
    EXPECT_TRUE(fs::exists(dir / "store/Hex00005.img"));
    EXPECT_EQ(targets.target1, "(cleared)");
    EXPECT_EQ(targets.target2, "(cleared)");
    EXPECT_EQ(OnDisk().size(), 3u);
}

TEST_F(SnapshotManager, ViewsAndTargetsTheFirstSelectedRow) {
    TakeSnapshots(3);
    DCSnapshotManager listed(store, host.ViewTemplate());
    listed.SetTargetSlots(&targets);
    listed.show();
    QTableView& list = listed.List();
    list.selectionModel()->select(list.model()->index(1, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list.selectionModel()->select(list.model()->index(2, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    listed.SelectAsTarget(2);
    EXPECT_EQ(targets.target2, "*2");
    const QPoint cell = list.visualRect(list.model()->index(1, 1)).center();
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier, cell);
    list.clearSelection();
    list.selectionModel()->select(list.model()->index(1, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(Windows(), 0) << "a double click with two rows selected opens nothing";
    emit list.doubleClicked(list.model()->index(1, 1));
    ASSERT_EQ(Windows(), 1);
    EXPECT_EQ(host.MdiArea().activeSubWindow()->windowTitle(), "snap2");
}

TEST_F(SnapshotManager, DescriptionsAreSavedOnlyWhenTheUserAndTheCatalogueTakeThem) {
    TakeSnapshots(1);
    DCSnapshotManager listed(store, host.ViewTemplate());
    listed.List().selectRow(0);
    listed.SetDescriptionAsker([](QWidget*, QString& text) {
        text = "never";
        return false;
    });
    listed.EditDescription();
    EXPECT_EQ(store.GetAt(0).description, "");
    QString wide;
    for (int i = 0; i < 250; ++i) {
        wide += QChar(0xE9); // two bytes each in UTF-8
    }
    listed.SetDescriptionAsker([&wide](QWidget*, QString& text) {
        text = wide;
        return true;
    });
    listed.EditDescription();
    EXPECT_EQ(listed.List().model()->index(0, 5).data().toString(), wide);
    ASSERT_EQ(OnDisk().size(), 1u);
    EXPECT_EQ(OnDisk()[0].description.size(), 500u);
}

// The field takes 500 bytes of UTF-8; whatever is typed or pasted past that gives way.
TEST(DescriptionDialog, StopsTypingAndPastingAtTheLastWholeCharacter) {
    QString full(250, QChar(0xE9));
    CDescriptionDlg dialog(full);
    auto* edit = dialog.findChild<QPlainTextEdit*>("109");
    ASSERT_NE(edit, nullptr);
    dialog.show();
    edit->moveCursor(QTextCursor::End);
    QTest::keyClicks(edit, "x");
    EXPECT_EQ(dialog.Text(), full);
    // A paste in the middle keeps what was there and takes what fits of the paste.
    edit->setPlainText(QString(249, QChar(0xE9)) + "ab");
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(1);
    edit->setTextCursor(cursor);
    edit->insertPlainText(QString::fromUtf8("\xE2\x82\xAC\xE2\x82\xAC"));
    EXPECT_EQ(dialog.Text(), QString(QChar(0xE9)) + QString(248, QChar(0xE9)) + "ab");
    EXPECT_EQ(dialog.Text().toUtf8().size(), 500);
    EXPECT_NE(dialog.findChild<QWidget*>("1"), nullptr);
    EXPECT_NE(dialog.findChild<QWidget*>("2"), nullptr);
}

TEST_F(SnapshotManager, ShellExecuteOpensAPrivateCopyWithTheOriginalsExtension) {
    CTempDir::Write(dir / "letter.txt", "Dear reader");
    ASSERT_TRUE(pane.AddSnapshot(dir / "letter.txt"));
    // Another user's folder, or a link, under our name is not used.
    fs::create_symlink(dir / "elsewhere", dir / ("tmp/dyadmon-" + std::to_string(geteuid())));
    pane.List().selectRow(0);
    pane.ExecuteSelected();
    const fs::path copy = pane.LastCopy();
    ASSERT_EQ(desktop->opened, std::vector<QString>{Q(copy.string())});
    EXPECT_EQ(copy.extension(), ".txt");
    EXPECT_EQ(copy.parent_path().parent_path(), dir / "tmp");
    EXPECT_FALSE(fs::is_symlink(copy.parent_path()));
    const auto mode = [](const fs::path& p) { return fs::status(p).permissions() & fs::perms::all; };
    EXPECT_EQ(mode(copy), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(mode(copy.parent_path()), fs::perms::owner_all);
    EXPECT_EQ(CTempDir::Read(copy), "Dear reader");
    EXPECT_EQ(std::distance(fs::directory_iterator(copy.parent_path()), {}), 1) << "no stray empty file";
    EXPECT_FALSE(fs::exists(dir / "elsewhere"));
    EXPECT_TRUE(prompts.messages.empty());

    desktop->hasApplication = false;
    pane.ExecuteSelected();
    EXPECT_EQ(Messages(CPrompts::Icon::Information),
              std::vector<QString>{"Sorry, No shell association of this kind of file."});
    EXPECT_EQ(desktop->opened.size(), 1u) << "nothing is opened without an application";
}

TEST_F(SnapshotManager, CommandsFollowTheSelectionAndTheStoresLock) {
    TakeSnapshots(1);
    ASSERT_TRUE(store.SaveCatalogue());
    DCSnapshotManager listed(store, host.ViewTemplate());
    listed.SetTargetSlots(&targets);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&listed.List())->role(), QAccessible::Table);
    EXPECT_EQ(listed.List().accessibleName(), "Snapshot Manager");
    listed.List().selectRow(0);
    std::unique_ptr<QMenu> menu(listed.MakeContextMenu(nullptr));
    std::vector<QString> ids;
    for (QAction* action : menu->actions()) {
        ids.push_back(action->isSeparator() ? "-" : action->objectName());
    }
    EXPECT_EQ(ids, (std::vector<QString>{"33021", "33023", "-", "33006", "33012", "-", "32831", "33010"}));
    const auto item = [](QMenu& popup, int id) { return popup.findChild<QAction*>(QString::number(id)); };
    EXPECT_FALSE(item(*menu, Res::kPaneShellExecute)->icon().isNull());
    item(*menu, Res::kPaneSelectTarget1)->trigger();
    EXPECT_EQ(targets.target1, "*1");
    EXPECT_TRUE(listed.CanChange());

    // A second store on the same folder only reads: the pane says so and changes nothing.
    CRecordedMessages otherMessages;
    CSnapshotStore other(otherMessages);
    other.LoadCatalogue(dir / "store");
    DCSnapshotManager reader(other, host.ViewTemplate());
    EXPECT_FALSE(reader.CanChange());
    EXPECT_TRUE(reader.findChild<QLabel*>("readOnly")->text().contains("another Dyadmon is using it"));
    reader.List().selectRow(0);
    std::unique_ptr<QMenu> readOnlyMenu(reader.MakeContextMenu(nullptr));
    EXPECT_FALSE(item(*readOnlyMenu, Res::kPaneDescription)->isEnabled());
    EXPECT_FALSE(item(*readOnlyMenu, Res::kPaneDelete)->isEnabled());
    EXPECT_TRUE(item(*readOnlyMenu, Res::kPaneView)->isEnabled());
    reader.DeleteSelected();
    EXPECT_EQ(other.GetCount(), 1);
    EXPECT_TRUE(fs::exists(dir / "store/Hex00001.img"));
}

TEST(PrivateCopy, KeepsTheExtensionOfTheOriginalsName) {
    EXPECT_EQ(CPrivateCopy::Extension("/home/u/letter.txt"), ".txt");
    EXPECT_EQ(CPrivateCopy::Extension("/home/u/archive.tar.gz"), ".gz");
    EXPECT_EQ(CPrivateCopy::Extension("/home/u.d/README"), "");
    EXPECT_EQ(CPrivateCopy::Extension("/home/u/.profile"), "");
    EXPECT_EQ(CPrivateCopy::Extension("plain"), "");
    EXPECT_EQ(CPrivateCopy::Extension("/home/u/x.caf\xE9"), "") << "the copy's name must be text";
}

} // namespace

namespace {

// A TMPDIR that names no usable folder leaves the copies in /tmp, never in "/" or the current folder.
TEST(PrivateCopy, AnUnusableTemporaryFolderFallsBackOnTmp) {
    CTempDir dir;
    CTempDir::Write(dir / "file", "");
    EXPECT_EQ(CPrivateCopy::TempRoot((dir / "tmp").c_str()), "/tmp") << "missing";
    EXPECT_EQ(CPrivateCopy::TempRoot(nullptr), "/tmp");
    EXPECT_EQ(CPrivateCopy::TempRoot(""), "/tmp");
    EXPECT_EQ(CPrivateCopy::TempRoot("relative"), "/tmp");
    EXPECT_EQ(CPrivateCopy::TempRoot((dir / "file").c_str()), "/tmp");
    EXPECT_EQ(CPrivateCopy::TempRoot(dir.path().c_str()), dir.path().string());
    std::string error;
    EXPECT_EQ(CPrivateCopy::PrivateFolder("", geteuid(), error), "");
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists("/dyadmon-" + std::to_string(geteuid())));
}

// As the user meets it: Shell execute from a program started with a TMPDIR that does not exist.
TEST_F(SnapshotManager, ShellExecuteWithAMissingTemporaryFolderUsesTmp) {
    CTempDir::Write(dir / "letter.txt", "Dear reader");
    ASSERT_TRUE(pane.AddSnapshot(dir / "letter.txt"));
    const char* before = std::getenv("TMPDIR");
    const std::string saved = before != nullptr ? before : "";
    setenv("TMPDIR", (dir / "no/such/folder").c_str(), 1);
    DCSnapshotManager fresh(store, host.ViewTemplate());
    before != nullptr ? setenv("TMPDIR", saved.c_str(), 1) : unsetenv("TMPDIR");
    auto desktop = std::make_unique<FakeDesktop>();
    FakeDesktop* opened = desktop.get();
    fresh.SetDesktopOpener(std::move(desktop));
    fresh.List().selectRow(0);
    fresh.ExecuteSelected();
    ASSERT_EQ(opened->opened.size(), 1u);
    EXPECT_EQ(fs::path(fresh.LastCopy()).parent_path().parent_path(), "/tmp");
    EXPECT_FALSE(fs::exists(dir / "no"));
    EXPECT_TRUE(prompts.messages.empty());
    fs::remove_all(fs::path(fresh.LastCopy()));
}

} // namespace
