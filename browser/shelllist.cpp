#include "shelllist.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <set>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QStandardPaths>

#include "browser/core/trashcan.h"
#include "files/entrykind.h"
#include "panes/panemenu.h"
#include "platform/bytestext.h"
#include "platform/desktopopener.h"
#include "platform/prompts.h"
#include "platform/shell/core/shellitem.h"
#include "res/resource.h"
#include "shelllistmodel.h"

namespace {

constexpr int kListId = 100;
constexpr const char* kNoTarget = "cannot be a compare target";
constexpr const char* kNoView = "cannot be viewed";

// Whether Qt's file functions, which take text, reach exactly this path.
bool TextReaches(const std::string& path) {
    return QFile::encodeName(BytesText(path)) == QByteArray(path.data(), static_cast<qsizetype>(path.size()));
}

} // namespace

DCShellList::DCShellList(QWidget* parent)
    : CRowList(parent), m_model(new CShellListModel(this)), m_opener(std::make_unique<CDesktopOpener>()) {
    setObjectName(QString::number(kListId));
    setAccessibleName(QStringLiteral("Files"));
    setModel(m_model);
    // Renaming starts only from RenameSelected (F2, the menu), never from a click.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    horizontalHeader()->setAccessibleName(QStringLiteral("File columns"));
    for (int column = 0; column < CShellListModel::kColumnCount; ++column) {
        setColumnWidth(column, CShellListModel::kWidths[column]);
    }
    // The folder's own order until the user clicks a header.
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    setSortingEnabled(true);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);

    connect(this, &QAbstractItemView::clicked, this, &DCShellList::RowClicked);
    connect(this, &CRowList::MenuRequested, this, [this](const QPoint& at) {
        const std::unique_ptr<QMenu> menu(MakeContextMenu(this));
        if (menu) {
            menu->exec(at);
        }
    });
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { OpenRow(index.row()); });
    // Said once the editor has closed, not from inside its commit.
    connect(
        m_model, &CShellListModel::RenameRefused, this,
        [this](const QString& why) { CPrompts::Current().Message(this, why, CPrompts::Icon::Exclamation); },
        Qt::QueuedConnection);
}

DCShellList::~DCShellList() = default;

bool DCShellList::SetFolder(const DCShellItem& folder, QString& error) {
    const bool same = m_model->Folder() && *m_model->Folder() == folder;
    std::set<std::string> selected;
    std::string current;
    const int vertical = verticalScrollBar()->value();
    const int horizontal = horizontalScrollBar()->value();
    if (same) {
        for (const int row : SelectedRows()) {
            selected.insert(std::string(m_model->Name(row)));
        }
        if (currentIndex().isValid()) {
            current = m_model->Name(currentIndex().row());
        }
    }
    // No drawing while the rows are replaced.
    setUpdatesEnabled(false);
    const bool listed = m_model->Fill(folder, error);
    if (listed && same) {
        // One range per run of selected rows: a range per row makes every later selection query slow.
        QItemSelection selection;
        int runStart = -1;
        const auto closeRun = [&](int end) {
            if (runStart >= 0) {
                selection.select(m_model->index(runStart, 0),
                                 m_model->index(end - 1, CShellListModel::kColumnCount - 1));
                runStart = -1;
            }
        };
        for (int row = 0; row < m_model->rowCount(); ++row) {
            const std::string name(m_model->Name(row));
            if (selected.count(name) != 0) {
                runStart = runStart < 0 ? row : runStart;
            } else {
                closeRun(row);
            }
            if (!current.empty() && name == current) {
                selectionModel()->setCurrentIndex(m_model->index(row, 0), QItemSelectionModel::NoUpdate);
            }
        }
        closeRun(m_model->rowCount());
        selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
        verticalScrollBar()->setValue(vertical);
        horizontalScrollBar()->setValue(horizontal);
    } else if (listed) {
        scrollToTop();
    }
    setUpdatesEnabled(true);
    return listed;
}

void DCShellList::SelectAsTarget(int slot) {
    const int row = FirstSelectedRow();
    if (row >= 0 && IsReadable(row, kNoTarget)) {
        emit SelectTargetRequested(slot, *m_model->Item(row));
    }
}

void DCShellList::RenameSelected() {
    const int row = FirstSelectedRow();
    if (row < 0 || !m_model->IsFileSystem(row)) {
        return;
    }
    const std::string why = m_model->Item(row)->WhyNotRenamable();
    if (!why.empty()) {
        CPrompts::Current().Message(
            this, QStringLiteral("\"%1\" cannot be renamed: %2.").arg(RowName(row), BytesText(why)),
            CPrompts::Icon::Error);
        return;
    }
    const QModelIndex cell = m_model->index(row, CShellListModel::kName);
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
    QAbstractItemView::edit(cell);
}

void DCShellList::DeleteSelected() {
    std::vector<std::string> paths;
    QStringList refused;
    for (const int row : SelectedRows()) {
        if (!m_model->IsFileSystem(row)) {
            continue;
        }
        const std::unique_ptr<DCShellItem> item = m_model->Item(row);
        const std::string path = item->GetPath();
        // Shell-only items ("::" names) have no path and never go.
        if (path.empty() || path[0] == ':') {
            continue;
        }
        const std::string why = item->WhyNotRenamable();
        if (why.empty()) {
            paths.push_back(path);
        } else {
            refused.append(QStringLiteral("\"%1\": %2").arg(RowName(row), BytesText(why)));
        }
    }
    if (refused.size() == 1) {
        CPrompts::Current().Message(
            this,
            refused[0].replace(QStringLiteral("\": "), QStringLiteral("\" cannot be moved to the trash: ")) +
                '.',
            CPrompts::Icon::Error);
    } else if (!refused.isEmpty()) {
        CPrompts::Current().Message(this,
                                    QStringLiteral("These items cannot be moved to the trash:\n%1")
                                        .arg(refused.join(QLatin1Char('\n'))),
                                    CPrompts::Icon::Error);
    }
    if (!paths.empty()) {
        const QString question = paths.size() == 1
                                     ? QStringLiteral("Move \"%1\" to the trash?")
                                           .arg(BytesText(paths[0].substr(paths[0].rfind('/') + 1)))
                                     : QStringLiteral("Move these %1 items to the trash?").arg(paths.size());
        if (CPrompts::Current().Question(this, question)) {
            // Without the data folder Qt would make a trash in the current folder.
            const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
            const bool trashable = !data.isEmpty() && QDir::isAbsolutePath(data) && QDir().mkpath(data) &&
                                   QFileInfo(data).isDir();
            QStringList failures;
            for (const std::string& path : paths) {
                // Qt's trash refuses a link whose target is gone; a link is moved as it is, by a rename.
                std::error_code linkError;
                bool moved;
                QString why;
                if (!trashable) {
                    moved = false;
                    why = QStringLiteral("there is no folder for the trash (%1)").arg(data);
                } else if (TextReaches(path) && !std::filesystem::is_symlink(path, linkError)) {
                    QFile file(BytesText(path));
                    moved = file.moveToTrash();
                    why = file.errorString();
                } else {
                    std::string error;
                    const QByteArray trash = QFile::encodeName(data) + "/Trash";
                    moved = CTrashCan::Move(path, trash.toStdString(), std::time(nullptr), error);
                    why = QString::fromLocal8Bit(error.c_str());
                }
                if (!moved) {
                    failures.append(QStringLiteral("%1: %2").arg(BytesText(path), why));
                }
            }
            if (!failures.isEmpty()) {
                CPrompts::Current().Message(this,
                                            QStringLiteral("Not moved to the trash, so not deleted:\n%1")
                                                .arg(failures.join(QLatin1Char('\n'))),
                                            CPrompts::Icon::Error);
            }
        }
    }
    emit DeleteFinished();
}

void DCShellList::ViewSelected() {
    const int row = FirstSelectedRow();
    if (row >= 0 && IsReadable(row, kNoView)) {
        emit ViewRequested(*m_model->Item(row));
    }
}

void DCShellList::ExecuteSelected() {
    const int row = FirstSelectedRow();
    if (row < 0 || !m_model->IsFileSystem(row)) {
        return;
    }
    const std::string path = m_model->Item(row)->GetPath();
    // The opener takes text: a path that text cannot name would open another file.
    if (path.empty() || !TextReaches(path)) {
        CPrompts::Current().Message(
            this,
            QStringLiteral(
                "\"%1\" could not be opened: its name is not text that other programs can be given.")
                .arg(RowName(row)),
            CPrompts::Icon::Error);
        return;
    }
    const CDesktopOpener::Result result = m_opener->Open(BytesText(path));
    if (result == CDesktopOpener::Result::NoApplication) {
        CPrompts::Current().Message(this, QStringLiteral("Sorry, No shell association of this kind of file."),
                                    CPrompts::Icon::Information);
    } else if (result == CDesktopOpener::Result::Failed) {
        CPrompts::Current().Message(this, QStringLiteral("\"%1\" could not be opened.").arg(RowName(row)),
                                    CPrompts::Icon::Error);
    }
}

void DCShellList::SnapshotSelected() {
    const int row = FirstSelectedRow();
    if (row >= 0 && IsReadable(row, "cannot be snapshotted")) {
        emit SnapshotRequested(*m_model->Item(row));
    }
}

void DCShellList::SetDesktopOpener(std::unique_ptr<CDesktopOpener> opener) {
    m_opener = std::move(opener);
}

QMenu* DCShellList::MakeContextMenu(QWidget* parent) {
    const std::size_t selected = SelectedRows().size();
    if (selected > 1) {
        return nullptr;
    }
    return CPaneMenu::Make(selected == 0 ? "Shell Folder" : "Shell File", parent,
                           {.selectTarget = [this](int slot) { SelectAsTarget(slot); },
                            .view = [this] { ViewSelected(); },
                            .execute = [this] { ExecuteSelected(); },
                            .snapshot = [this] { SnapshotSelected(); },
                            .rename = [this] { RenameSelected(); },
                            .remove = [this] { DeleteSelected(); },
                            .refresh = [this] { emit GoFolderRequested(nullptr); }});
}

void DCShellList::keyPressEvent(QKeyEvent* event) {
    // A key the name's editor passed on (Enter, Esc, F5...) ends or belongs to the edit, never to the
    // rows: Enter would open the row being renamed.
    if (state() == QAbstractItemView::EditingState) {
        CRowList::keyPressEvent(event);
        return;
    }
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Backspace:
        emit GoUpRequested();
        break;
    case Qt::Key_Delete:
        DeleteSelected();
        break;
    case Qt::Key_F5:
        emit GoFolderRequested(nullptr);
        break;
    case Qt::Key_F2:
        RenameSelected();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const QModelIndex current = currentIndex();
        OpenRow(current.isValid() && selectionModel()->isRowSelected(current.row()) ? current.row()
                                                                                    : FirstSelectedRow());
        break;
    }
    case Qt::Key_A:
        if (control) {
            selectAll();
        }
        break;
    // Clipboard keys do nothing in the list, and neither do these letters as a search.
    case Qt::Key_C:
    case Qt::Key_V:
    case Qt::Key_X:
        break;
    default:
        CRowList::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool DCShellList::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!QTableView::edit(index, trigger, event)) {
        return false;
    }
    if (QWidget* editor = indexWidget(index)) {
        editor->setAccessibleName(QStringLiteral("New name"));
    }
    return true;
}

void DCShellList::RowClicked(const QModelIndex& index) {
    if (!index.isValid()) {
        return;
    }
    const std::vector<int> rows = SelectedRows();
    const int row = index.row();
    if (rows.size() == 1 && rows[0] == row && IsReadable(row, kNoTarget, true)) {
        emit SelectTargetRequested(-1, *m_model->Item(row));
    }
}

void DCShellList::OpenRow(int row) {
    if (row < 0 || row >= m_model->rowCount()) {
        return;
    }
    const std::unique_ptr<DCShellItem> item = m_model->Item(row);
    if (m_model->IsFolder(row)) {
        emit GoFolderRequested(item.get());
    } else if (IsReadable(row, kNoView)) {
        emit ViewRequested(*item);
    }
}

std::vector<int> DCShellList::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

int DCShellList::FirstSelectedRow() const {
    const std::vector<int> rows = SelectedRows();
    return rows.empty() ? -1 : rows.front();
}

QString DCShellList::RowName(int row) const {
    return BytesText(std::string(m_model->Name(row)));
}

bool DCShellList::IsReadable(int row, const char* refusal, bool quietly) {
    if (m_model->IsFolder(row) || !m_model->IsFileSystem(row)) {
        return false;
    }
    // Asked of the file as it is now: the row may be older than a change made from outside.
    const std::string why = CEntryKind::WhyNotRegular(m_model->Item(row)->GetPath());
    if (why.empty()) {
        return true;
    }
    const QString text =
        QStringLiteral("\"%1\" %2: %3.").arg(RowName(row), QLatin1String(refusal), BytesText(why));
    if (quietly) {
        emit StatusRequested(text);
    } else {
        CPrompts::Current().Message(this, text, CPrompts::Icon::Error);
    }
    return false;
}
