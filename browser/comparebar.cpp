#include "comparebar.h"

#include <algorithm>

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QMainWindow>
#include <QMimeData>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOptionToolBar>
#include <QUrl>

#include "compare/compdoc.h"
#include "platform/bytestext.h"
#include "platform/doctemplate.h"
#include "platform/prompts.h"
#include "res/resource.h"
#include "snapshots/core/snapshotreference.h"
#include "snapshots/core/snapshotstore.h"

namespace {

const QString kNoTarget = QStringLiteral("No target file selected");

void Place(QWidget* child, const QRect& rect) {
    child->setGeometry(rect);
    child->setVisible(!rect.isEmpty());
}

// The drop must never be a move: the source would then delete the file we were only pointed at.
bool AcceptAsReference(QDropEvent* event) {
    if (event->possibleActions() & Qt::CopyAction) {
        event->setDropAction(Qt::CopyAction);
    } else if (event->possibleActions() & Qt::LinkAction) {
        event->setDropAction(Qt::LinkAction);
    } else {
        event->ignore();
        return false;
    }
    event->accept();
    return true;
}

} // namespace

DCCompareBar::DCCompareBar(const CSnapshotStore& store, CDocTemplate& compTemplate, QWidget* parent)
    : QToolBar(parent), m_store(store), m_compTemplate(compTemplate), m_client(new QWidget(this)),
      m_wndTarget1(new QLabel(kNoTarget, m_client)), m_wndTarget2(new QLabel(kNoTarget, m_client)),
      m_btnCompare(new QPushButton(QIcon(QStringLiteral(":/icons/%1.svg").arg(Res::kCompareIcon)),
                                   QStringLiteral("Compare!"), m_client)) {
    setObjectName(QString::number(Res::kCompareBarId));
    setWindowTitle(QStringLiteral("Compare"));
    setMovable(true);
    setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    setAcceptDrops(true);

    m_wndTarget1->setObjectName(QStringLiteral("target1"));
    m_wndTarget2->setObjectName(QStringLiteral("target2"));
    for (QLabel* label : {m_wndTarget1, m_wndTarget2}) {
        label->setAlignment(Qt::AlignCenter);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(false);
    }
    m_btnCompare->setObjectName(QString::number(Res::kCompareButton));
    m_btnCompare->setIconSize(QSize(16, 16));
    m_btnCompare->setAutoDefault(false);
    connect(m_btnCompare, &QPushButton::clicked, this, &DCCompareBar::StartCompare);

    // The client stays out of the toolbar's layout, whose margins would leave the children too low
    // for a button; it reports its resizes so the children follow.
    m_client->installEventFilter(this);

    connect(this, &QToolBar::topLevelChanged, this, &DCCompareBar::ApplyFixedSize);
    connect(this, &QToolBar::movableChanged, this, &DCCompareBar::PlaceClient);
    ApplyFixedSize();
}

void DCCompareBar::SetTarget1(const std::string& target) {
    SetTarget(target, m_strTarget1, m_strName1, m_wndTarget1);
}

void DCCompareBar::SetTarget2(const std::string& target) {
    SetTarget(target, m_strTarget2, m_strName2, m_wndTarget2);
}

void DCCompareBar::ClearTargets() {
    m_strTarget1.clear();
    m_strTarget2.clear();
    m_strName1.clear();
    m_strName2.clear();
    ShowName(m_wndTarget1, m_strName1);
    ShowName(m_wndTarget2, m_strName2);
}

void DCCompareBar::SetCompareEnabled(bool enabled) {
    m_btnCompare->setEnabled(enabled);
}

void DCCompareBar::StartCompare() {
    if (!m_btnCompare->isEnabled()) {
        return;
    }
    if (m_strTarget1.empty() || m_strTarget2.empty()) {
        CPrompts::Current().Message(this, QStringLiteral("Please select 2 target files first."),
                                    CPrompts::Icon::Information);
        return;
    }
    // A refusal has already been reported by the document.
    CCompDoc::Open(m_compTemplate, Targets());
}

QSize DCCompareBar::sizeHint() const {
    if (!isWindow()) {
        if (const auto* frame = qobject_cast<const QMainWindow*>(parentWidget())) {
            return QSize(frame->contentsRect().width(), kBarHeight);
        }
    }
    return QSize(kFloatingWidth, kBarHeight);
}

QSize DCCompareBar::minimumSizeHint() const {
    return QSize(QToolBar::minimumSizeHint().width(), kBarHeight);
}

bool DCCompareBar::event(QEvent* event) {
    const bool handled = QToolBar::event(event);
    switch (event->type()) {
    case QEvent::ParentChange: // docked into a main window, or taken out of one, without a drag
        ApplyFixedSize();
        PlaceClient();
        break;
    case QEvent::StyleChange:
    case QEvent::LayoutDirectionChange:
        PlaceClient();
        break;
    default:
        break;
    }
    return handled;
}

bool DCCompareBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_client && event->type() == QEvent::Resize) {
        LayoutChildren();
    }
    return QToolBar::eventFilter(watched, event);
}

void DCCompareBar::resizeEvent(QResizeEvent* event) {
    QToolBar::resizeEvent(event);
    PlaceClient();
}

void DCCompareBar::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(event->mimeData()).empty()) {
        AcceptAsReference(event);
    }
}

void DCCompareBar::dragMoveEvent(QDragMoveEvent* event) {
    if (!DroppedFiles(event->mimeData()).empty()) {
        AcceptAsReference(event);
    }
}

void DCCompareBar::dropEvent(QDropEvent* event) {
    const std::vector<std::string> files = DroppedFiles(event->mimeData());
    if (files.empty() || !AcceptAsReference(event)) {
        return;
    }
    if (files.size() == 2) {
        SetTarget1(files[0]);
        SetTarget2(files[1]);
        return;
    }
    // The button and the handle belong to the nearer label.
    const QPoint at = m_client->mapFrom(this, event->position().toPoint());
    if (at.x() < m_client->width() / 2) {
        SetTarget1(files[0]);
    } else {
        SetTarget2(files[0]);
    }
}

void DCCompareBar::SetTarget(const std::string& target, std::string& slot, QString& name, QLabel* label) {
    slot = target;
    // A path shows as text; a reference shows its snapshot's name, or itself when it names no record
    // (the document reports it when opened).
    name = BytesText(target);
    if (const std::optional<int> position = CSnapshotReference::Parse(target)) {
        if (m_store.IsValidPosition(*position) && !m_store.GetAt(*position).snapshotName.empty()) {
            name = BytesText(m_store.GetAt(*position).snapshotName);
        }
    }
    ShowName(label, name);
}

// Long paths lose their middle rather than both ends, so the file name stays readable.
void DCCompareBar::ShowName(QLabel* label, const QString& name) {
    const QString& text = name.isEmpty() ? kNoTarget : name;
    const int width = label->contentsRect().width();
    label->setText(label->isHidden() ? text : label->fontMetrics().elidedText(text, Qt::ElideMiddle, width));
    label->setToolTip(name);
}

void DCCompareBar::PlaceClient() {
    QRect client = rect();
    QStyleOptionToolBar option;
    initStyleOption(&option);
    if (option.features & QStyleOptionToolBar::Movable) {
        const QRect handle = style()->subElementRect(QStyle::SE_ToolBarHandle, &option, this);
        if (handle.center().x() < client.center().x()) {
            client.setLeft(handle.right() + 1);
        } else {
            client.setRight(handle.left() - 1);
        }
    }
    m_client->setGeometry(client);
    // Over any button the toolbar itself might be given.
    m_client->raise();
}

void DCCompareBar::LayoutChildren() {
    const QRect client = m_client->rect().adjusted(1, 1, -1, -1);
    const int half = std::max(client.width() - kButtonWidth, 0) / 2;
    Place(m_wndTarget1, QRect(client.left(), client.top(), half, client.height()));
    Place(m_btnCompare,
          QRect(client.left() + half, client.top(), client.width() - 2 * half, client.height()));
    Place(m_wndTarget2, QRect(client.left() + client.width() - half, client.top(), half, client.height()));
    ShowName(m_wndTarget1, m_strName1);
    ShowName(m_wndTarget2, m_strName2);
}

void DCCompareBar::ApplyFixedSize() {
    if (isWindow()) {
        setFixedSize(kFloatingWidth, kBarHeight);
    } else {
        setMinimumWidth(0);
        setMaximumWidth(QWIDGETSIZE_MAX);
        setFixedHeight(kBarHeight);
    }
}

std::vector<std::string> DCCompareBar::DroppedFiles(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) {
        return {};
    }
    const QList<QUrl> urls = data->urls();
    // More than two files name no pair: refused rather than guessed at.
    if (urls.isEmpty() || urls.size() > 2) {
        return {};
    }
    std::vector<std::string> files;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile() || url.toLocalFile().isEmpty()) {
            return {};
        }
        // The path's bytes from the URL's own encoding: a name that is not UTF-8 comes through whole.
        QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (!url.host().isEmpty() && url.host() != QLatin1String("localhost")) {
            path.prepend(("//" + url.host()).toUtf8());
        }
        files.push_back(path.toStdString());
    }
    return files;
}
