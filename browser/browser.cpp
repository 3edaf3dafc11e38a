#include "browser.h"

#include <filesystem>

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QIcon>
#include <QKeyEvent>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

#include "files/entrykind.h"
#include "foldercombo.h"
#include "locationedit.h"
#include "panes/targetslots.h"
#include "platform/bytestext.h"
#include "platform/folderwatcher.h"
#include "platform/prompts.h"
#include "platform/shell/core/shellitem.h"
#include "res/resource.h"
#include "shelllist.h"
#include "views/viewdoc.h"

namespace {

constexpr int kListId = 100;
constexpr int kUpId = 102;
// A burst of changes (a copy, an unpacked archive) is shown once, this long after it began.
constexpr int kChangeDelayMs = 200;

QString Caption(int index) {
    return index == 0 ? QStringLiteral("Browser 1") : QStringLiteral("Browser 2");
}

} // namespace

DCBrowser::DCBrowser(int index, CDocTemplate& viewTemplate, QWidget* parent)
    : DCFilePane(Caption(index), index == 0 ? Res::kBrowser1 : Res::kBrowser2, parent), m_nIndex(index),
      m_viewTemplate(viewTemplate), m_pCurFolder(std::make_unique<DCShellItem>(DCShellItem::kComputerName)),
      m_body(new QWidget), m_wndList(new DCShellList(m_body)), m_wndFolders(new DCFolderCombo(m_body)),
      m_btnUp(new QToolButton(m_body)), m_location(new DCLocationEdit(m_body)),
      m_watcher(new CFolderWatcher(this)), m_changed(new QTimer(this)) {
    m_wndList->setObjectName(QString::number(kListId));
    m_wndList->setAccessibleName(Caption(index) + QStringLiteral(" files"));
    m_btnUp->setObjectName(QString::number(kUpId));
    m_btnUp->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(Res::kUpIcon)));
    m_btnUp->setIconSize(QSize(16, 16));
    m_btnUp->setAutoRaise(true);
    m_btnUp->setToolTip(QStringLiteral("Up one level"));
    m_btnUp->setAccessibleName(QStringLiteral("Up one level"));
    m_body->installEventFilter(this);
    SetBody(m_body);
    setTabOrder(m_wndFolders, m_btnUp);
    setTabOrder(m_btnUp, m_wndList);

    connect(m_btnUp, &QToolButton::clicked, this, &DCBrowser::GoUp);
    auto* typePath = new QShortcut(QKeySequence(QStringLiteral("Ctrl+L")), this, nullptr, nullptr,
                                   Qt::WidgetWithChildrenShortcut);
    connect(typePath, &QShortcut::activated, this, [this] {
        const std::string path = m_pCurFolder->GetPath();
        TypeLocation(path.empty() ? QString() : BytesText(path), true);
    });
    m_wndFolders->installEventFilter(this);
    connect(m_location, &DCLocationEdit::Entered, this, &DCBrowser::GoLocation);
    connect(m_wndFolders, &DCFolderCombo::FolderChosen, this, &DCBrowser::GoFolder);
    connect(m_wndList, &DCShellList::GoFolderRequested, this, [this](const DCShellItem* folder) {
        if (folder == nullptr) {
            Refresh();
        } else {
            GoFolder(*folder);
        }
    });
    connect(m_wndList, &DCShellList::GoUpRequested, this, &DCBrowser::GoUp);
    connect(m_wndList, &DCShellList::ViewRequested, this, [this](const DCShellItem& item) {
        CViewDoc::Open(m_viewTemplate, item.GetDisplayName(DCShellItem::ForParsing));
    });
    connect(m_wndList, &DCShellList::SelectTargetRequested, this,
            [this](int slot, const DCShellItem& item) { SetTarget(slot < 0 ? m_nIndex : slot, item); });
    connect(m_wndList, &DCShellList::SnapshotRequested, this, [this](const DCShellItem& item) {
        if (m_snapshot) {
            m_snapshot(item.GetDisplayName(DCShellItem::ForParsing));
        }
    });
    connect(m_wndList, &DCShellList::StatusRequested, this, [this](const QString& text) {
        if (m_report) {
            m_report(text);
        }
    });
    connect(m_wndList, &DCShellList::DeleteFinished, this, [this] {
        Refresh();
        if (m_pTargetSlots != nullptr) {
            m_pTargetSlots->ClearTargets();
        }
    });

    m_changed->setSingleShot(true);
    m_changed->setInterval(kChangeDelayMs);
    connect(m_watcher, &CFolderWatcher::Changed, this, [this] {
        if (!m_changed->isActive()) {
            m_changed->start();
        }
    });
    connect(m_changed, &QTimer::timeout, this, &DCBrowser::OnFolderChanged);

    // Both panes start in Computer.
    QString error;
    m_wndList->SetFolder(*m_pCurFolder, error);
    m_wndFolders->SetFolder(*m_pCurFolder);
    Watch();
}

DCBrowser::~DCBrowser() = default;

void DCBrowser::GoFolder(const DCShellItem& folder) {
    if ((folder.Attributes(DCShellItem::AttrFolder) & DCShellItem::AttrFolder) == 0) {
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::unique_ptr<DCShellItem> target = folder.Clone();
    QString error;
    if (m_wndList->SetFolder(*target, error)) {
        m_wndFolders->SetFolder(*target);
        if (!(*target == *m_pCurFolder)) {
            m_pCurFolder = std::move(target);
            Watch();
        }
    } else {
        // The pane stays where it was; an unreadable folder is not an empty one.
        m_wndFolders->SetFolder(*m_pCurFolder);
        if (m_report) {
            m_report(error);
        }
    }
    QApplication::restoreOverrideCursor();
    m_wndList->setFocus();
}

void DCBrowser::GoUp() {
    std::unique_ptr<DCShellItem> parent = m_pCurFolder->Clone();
    parent->RemoveLast();
    GoFolder(*parent);
}

void DCBrowser::Refresh() {
    std::unique_ptr<DCShellItem> same = m_pCurFolder->Clone();
    GoFolder(*same);
}

void DCBrowser::Watch() {
    m_watcher->Watch(m_pCurFolder->GetPath());
}

// The shown folder changed; gone (deleted, unmounted), the pane goes to the desktop.
void DCBrowser::OnFolderChanged() {
    // A name being typed is not thrown away by a refill: the change is shown once the edit ends.
    if (m_wndList->IsEditing()) {
        m_changed->start();
        return;
    }
    // A folder moved away is as gone as a removed one, even when another now has its name.
    if (!m_pCurFolder->GetPath().empty() && !m_watcher->StillThere()) {
        m_pCurFolder = std::make_unique<DCShellItem>();
        Watch();
    }
    Refresh();
}

void DCBrowser::SetTarget(int slot, const DCShellItem& item) {
    if (m_pTargetSlots == nullptr) {
        return;
    }
    const std::string path = item.GetDisplayName(DCShellItem::ForParsing);
    if (slot == 0) {
        m_pTargetSlots->SetTarget1(path);
    } else if (slot == 1) {
        m_pTargetSlots->SetTarget2(path);
    }
}

void DCBrowser::SelectAsTarget(int slot) {
    m_wndList->SelectAsTarget(slot - 1);
}
void DCBrowser::RenameSelected() {
    m_wndList->RenameSelected();
}
void DCBrowser::DeleteSelected() {
    m_wndList->DeleteSelected();
}
void DCBrowser::ViewSelected() {
    m_wndList->ViewSelected();
}
void DCBrowser::ExecuteSelected() {
    m_wndList->ExecuteSelected();
}
void DCBrowser::SnapshotSelected() {
    m_wndList->SnapshotSelected();
}

QWidget* DCBrowser::MainControl() const {
    return m_wndList;
}

void DCBrowser::TypeLocation(const QString& start, bool selected) {
    m_location->Start(*m_wndFolders, start, selected);
}

void DCBrowser::GoLocation(const QString& text) {
    std::string path = QFile::encodeName(text).toStdString();
    if (path == "~" || path.starts_with("~/")) {
        path = QFile::encodeName(QDir::homePath()).toStdString() + path.substr(1);
    } else if (!path.empty() && path[0] != '/') {
        path = m_pCurFolder->GetPath() + "/" + path;
    }
    std::error_code ec;
    if (!path.empty() && std::filesystem::is_directory(path, ec)) {
        m_location->Stop();
        GoFolder(DCShellItem(std::filesystem::path(path).lexically_normal().string()));
        m_wndList->setFocus();
        return;
    }
    // The pane stays where it was, and the typed text stays to be mended.
    std::string why = path.empty() ? std::string("it is empty") : CEntryKind::WhyNotRegular(path);
    if (why.empty()) {
        why = "it is a file, not a folder";
    }
    CPrompts::Current().Message(this,
                                QStringLiteral("\"%1\" cannot be opened: %2.").arg(text, BytesText(why)),
                                CPrompts::Icon::Error);
    m_location->setFocus();
}

bool DCBrowser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_body && event->type() == QEvent::Resize) {
        Layout();
    }
    // A path typed into the folder box goes to the location edit, from its first character.
    if (watched == m_wndFolders && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString typed = key->text();
        if ((key->modifiers() & ~Qt::ShiftModifier) == 0 && !typed.isEmpty() && typed[0].isPrint() &&
            !typed[0].isSpace()) {
            TypeLocation(typed, false);
            return true;
        }
    }
    return DCFilePane::eventFilter(watched, event);
}

// The box across the top less room for the up button at its right; the list below them.
void DCBrowser::Layout() {
    const QRect inner = m_body->rect().adjusted(1, 1, -1, -1);
    const int l = inner.left();
    const int t = inner.top();
    const int r = inner.right();
    const int b = inner.bottom();
    m_wndList->setGeometry(QRect(QPoint(l, t + 22), QPoint(r, b)));
    m_wndFolders->setGeometry(QRect(QPoint(l + 1, t), QPoint(r - 23, t + 20)));
    m_btnUp->setGeometry(QRect(QPoint(std::max(r - 22, l), t), QPoint(r, t + 21)));
}
