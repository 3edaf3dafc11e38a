#include "snapshotmanager.h"

#include <cstdlib>
#include <ctime>
#include <unistd.h>

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QVBoxLayout>

#include "descriptiondlg.h"
#include "panes/panemenu.h"
#include "panes/targetslots.h"
#include "platform/bytestext.h"
#include "platform/desktopopener.h"
#include "platform/prompts.h"
#include "res/resource.h"
#include "snapshotlistmodel.h"
#include "snapshots/core/privatecopy.h"
#include "snapshots/core/snapshotreference.h"
#include "snapshots/core/snapshotstore.h"
#include "views/viewdoc.h"

namespace {

void Tell(QWidget* parent, const QString& text, CPrompts::Icon icon = CPrompts::Icon::Error) {
    CPrompts::Current().Message(parent, text, icon);
}

bool AskWithDialog(QWidget* parent, QString& text) {
    CDescriptionDlg dialog(text, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    text = dialog.Text();
    return true;
}

bool ChangesTheStore(int id) {
    return id == Res::kPaneDescription || id == Res::kPaneDelete;
}

} // namespace

DCSnapshotManager::DCSnapshotManager(CSnapshotStore& store, CDocTemplate& viewTemplate, QWidget* parent)
    : DCFilePane(QStringLiteral("Snapshot Manager"), Res::kSnapshotManager, parent), m_store(store),
      m_viewTemplate(viewTemplate), m_pOpener(std::make_unique<CDesktopOpener>()),
      m_askDescription(AskWithDialog), m_strTempFolder(CPrivateCopy::TempRoot(std::getenv("TMPDIR"))),
      m_model(new CSnapshotListModel(store, this)), m_list(new CRowList), m_notice(new QLabel) {
    m_list->setObjectName(QString::number(Res::kSnapshotList));
    m_list->setAccessibleName(QStringLiteral("Snapshot Manager"));
    m_list->setModel(m_model);
    m_list->setSortingEnabled(false);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->horizontalHeader()->setAccessibleName(QStringLiteral("Snapshot columns"));
    for (int column = 0; column < CSnapshotListModel::kColumnCount; ++column) {
        m_list->setColumnWidth(column, CSnapshotListModel::kWidths[column]);
    }
    connect(m_list, &CRowList::MenuRequested, this, &DCSnapshotManager::ShowContextMenu);
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this] {
        if (SelectedPositions().size() == 1) {
            ViewSelected();
        }
    });

    m_notice->setObjectName(QStringLiteral("readOnly"));
    m_notice->setWordWrap(true);
    m_notice->setTextFormat(Qt::PlainText);
    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_notice);
    layout->addWidget(m_list);
    SetBody(body);
    ShowReadOnly();
}

DCSnapshotManager::~DCSnapshotManager() = default;

void DCSnapshotManager::SetDesktopOpener(std::unique_ptr<CDesktopOpener> opener) {
    m_pOpener = std::move(opener);
}

void DCSnapshotManager::ShowReadOnly() {
    m_notice->setVisible(m_store.IsReadOnly());
    if (m_store.IsReadOnly()) {
        m_notice->setText(QStringLiteral("Read-only: ") + Utf8Text(m_store.ReadOnlyReason()) +
                          QStringLiteral(". Snapshots can be viewed and compared, but not taken, described "
                                         "or deleted."));
    }
}

bool DCSnapshotManager::CanChange() const {
    return !m_store.IsReadOnly();
}

bool DCSnapshotManager::AddSnapshot(const std::string& path) {
    switch (m_store.TakeSnapshot(path, std::time(nullptr)).failed) {
    case CSnapshotStore::Taken::Failed::Nothing:
        break;
    case CSnapshotStore::Taken::Failed::Describe:
        Tell(this, BytesText(m_store.LastError()));
        return false;
    case CSnapshotStore::Taken::Failed::Copy:
        Tell(this, QStringLiteral("Error in adding a record.\n\n") + BytesText(m_store.LastError()));
        return false;
    case CSnapshotStore::Taken::Failed::Save:
        // The store has said why.
        return false;
    }
    m_model->RecordAppended();
    m_list->scrollToBottom();
    return true;
}

QWidget* DCSnapshotManager::MainControl() const {
    return m_list;
}

std::vector<int> DCSnapshotManager::SelectedPositions() const {
    std::vector<int> positions;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows()) {
        positions.push_back(index.row());
    }
    std::sort(positions.begin(), positions.end());
    return positions;
}

std::optional<int> DCSnapshotManager::FirstSelected() const {
    const std::vector<int> positions = SelectedPositions();
    if (positions.empty() || !m_store.IsValidPosition(positions.front())) {
        return std::nullopt;
    }
    return positions.front();
}

void DCSnapshotManager::SelectAsTarget(int slot) {
    const std::optional<int> position = FirstSelected();
    if (!position || m_pTargetSlots == nullptr) {
        return;
    }
    const std::string reference = CSnapshotReference::Format(*position);
    if (slot == 1) {
        m_pTargetSlots->SetTarget1(reference);
    } else {
        m_pTargetSlots->SetTarget2(reference);
    }
}

void DCSnapshotManager::ViewSelected() {
    if (const std::optional<int> position = FirstSelected()) {
        CViewDoc::Open(m_viewTemplate, CSnapshotReference::Format(*position));
    }
}

void DCSnapshotManager::ExecuteSelected() {
    const std::optional<int> position = FirstSelected();
    if (!position) {
        return;
    }
    std::string error;
    const std::string folder = CPrivateCopy::PrivateFolder(m_strTempFolder, geteuid(), error);
    const std::string copy =
        folder.empty()
            ? std::string()
            : CPrivateCopy::Make(m_store.ImagePath(*position),
                                 CPrivateCopy::Extension(m_store.GetAt(*position).sourcePath), folder, error);
    if (copy.empty()) {
        Tell(this, BytesText(error));
        return;
    }
    m_strLastCopy = copy;
    switch (m_pOpener->Open(BytesText(copy))) {
    case CDesktopOpener::Result::Opened:
        break;
    case CDesktopOpener::Result::NoApplication:
        Tell(this, QStringLiteral("Sorry, No shell association of this kind of file."),
             CPrompts::Icon::Information);
        break;
    case CDesktopOpener::Result::Failed:
        Tell(this, QStringLiteral("The copy ") + BytesText(copy) +
                       QStringLiteral(" could not be opened: no program to open files is installed."));
        break;
    }
}

void DCSnapshotManager::EditDescription() {
    const std::optional<int> position = FirstSelected();
    if (!position || !CanChange()) {
        return;
    }
    const std::string before = m_store.GetAt(*position).description;
    QString text = Utf8Text(before);
    if (!m_askDescription(this, text)) {
        return;
    }
    const QByteArray bytes = text.toUtf8();
    if (!m_store.SetDescription(*position, bytes.toStdString())) {
        Tell(this, QString::fromStdString(m_store.LastError()));
        return;
    }
    // A description the catalogue did not take is not shown as saved.
    if (!m_store.SaveCatalogue()) {
        m_store.SetDescription(*position, before);
        return;
    }
    m_model->RecordChanged(*position);
}

void DCSnapshotManager::DeleteSelected() {
    const std::vector<int> positions = SelectedPositions();
    if (positions.empty() || !CanChange()) {
        return;
    }
    // The store saves the catalogue without the records before any image goes, and reports what fails.
    m_store.RemoveRecords(positions);
    m_model->RecordsChanged();
    // No slot may keep a reference whose number now names another snapshot.
    if (m_pTargetSlots != nullptr) {
        m_pTargetSlots->ClearTargets();
    }
}

QMenu* DCSnapshotManager::MakeContextMenu(QWidget* parent) {
    return CPaneMenu::Make("Snapshot", parent,
                           {.selectTarget = [this](int slot) { SelectAsTarget(slot + 1); },
                            .view = [this] { ViewSelected(); },
                            .execute = [this] { ExecuteSelected(); },
                            .remove = [this] { DeleteSelected(); },
                            .describe = [this] { EditDescription(); }},
                           [this](int id) { return !ChangesTheStore(id) || CanChange(); });
}

void DCSnapshotManager::ShowContextMenu(const QPoint& globalPos) {
    if (SelectedPositions().empty()) {
        return;
    }
    std::unique_ptr<QMenu> menu(MakeContextMenu(this));
    menu->exec(globalPos);
}
