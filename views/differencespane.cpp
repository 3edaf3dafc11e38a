#include "differencespane.h"

#include <algorithm>
#include <memory>

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>

#include "compare/compdoc.h"
#include "compview.h"
#include "differencelistmodel.h"
#include "platform/rowlist.h"
#include "res/resource.h"

DCDifferencesPane::DCDifferencesPane(QWidget* parent)
    : DCDockingPane(QStringLiteral("Differences"), Res::kDifferencesList, parent),
      m_model(new CDifferenceListModel(this)), m_list(new CRowList) {
    setAccessibleName(QStringLiteral("Differences"));
    m_list->setObjectName(QStringLiteral("differenceList"));
    m_list->setAccessibleName(QStringLiteral("Differences"));
    m_list->setModel(m_model);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->horizontalHeader()->setAccessibleName(QStringLiteral("Difference columns"));
    m_list->horizontalHeader()->setStretchLastSection(true);
    // Wide enough for the header or the longest text each column usually holds.
    const auto fits = [this](const char* text) {
        return m_list->fontMetrics().horizontalAdvance(QString::fromLatin1(text)) + 16;
    };
    m_list->setColumnWidth(0, fits("Moved from"));
    m_list->setColumnWidth(1, std::max(fits("00000000"), fits("Offset in file 1")));
    m_list->setColumnWidth(2, m_list->columnWidth(1));
    m_list->installEventFilter(this);
    connect(m_list, &QAbstractItemView::clicked, this, &DCDifferencesPane::ShowRow);
    connect(m_list, &QAbstractItemView::activated, this, &DCDifferencesPane::ShowRow);
    connect(m_list, &CRowList::MenuRequested, this, [this](const QPoint& globalPos) {
        std::unique_ptr<QMenu> menu(MakeContextMenu(this));
        menu->exec(globalPos);
    });
    connect(this, &QDockWidget::visibilityChanged, this, &DCDifferencesPane::Refresh);
    SetBody(m_list);
}

DCDifferencesPane::~DCDifferencesPane() {
    disconnect(m_resultChanged);
    disconnect(m_viewGone);
}

int DCDifferencesPane::PreferredWidth() const {
    int width = m_list->fontMetrics().horizontalAdvance(QStringLiteral("Length")) + 24;
    for (int column = 0; column < 3; ++column) {
        width += m_list->columnWidth(column);
    }
    return width + m_list->verticalScrollBar()->sizeHint().width() + 2 * m_list->frameWidth();
}

CCompView* DCDifferencesPane::Followed() const {
    return m_view;
}

QWidget* DCDifferencesPane::MainControl() const {
    return m_list;
}

void DCDifferencesPane::Follow(CView* view) {
    auto* compView = qobject_cast<CCompView*>(view);
    if (compView != m_view) {
        disconnect(m_resultChanged);
        disconnect(m_viewGone);
        m_view = compView;
        if (compView != nullptr) {
            m_resultChanged = connect(&compView->GetDocument(), &CCompDoc::ResultChanged, this,
                                      &DCDifferencesPane::Refresh);
            m_viewGone = connect(compView, &QObject::destroyed, this, [this] { Follow(nullptr); });
        }
    }
    Refresh();
}

void DCDifferencesPane::Refresh() {
    m_model->SetResult(m_view != nullptr && !isHidden() ? m_view->GetDocument().Result() : nullptr);
}

void DCDifferencesPane::ShowRow(const QModelIndex& index) {
    // The list and the view show one result but for the moment a new one is handed to both.
    if (!index.isValid() || m_view == nullptr || m_model->Result() != m_view->GetDocument().Result().get()) {
        return;
    }
    m_view->ShowBlock(m_model->BlockOfRow(index.row()));
}

void DCDifferencesPane::CopySelected() {
    QList<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows()) {
        rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    QApplication::clipboard()->setText(m_model->Text(rows));
}

void DCDifferencesPane::CopyAll() {
    QApplication::clipboard()->setText(m_model->AllText());
}

QMenu* DCDifferencesPane::MakeContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    QAction* copy = menu->addAction(QStringLiteral("&Copy"), this, &DCDifferencesPane::CopySelected);
    copy->setObjectName(QStringLiteral("copy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(m_list->selectionModel()->hasSelection());
    QAction* all = menu->addAction(QStringLiteral("Copy &all as text"), this, &DCDifferencesPane::CopyAll);
    all->setObjectName(QStringLiteral("copyAll"));
    all->setEnabled(m_model->rowCount() > 0);
    return menu;
}

bool DCDifferencesPane::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl+C is the compare window's Copy too: in the list it copies the list's rows.
    if (watched == m_list &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        event->accept();
        if (event->type() == QEvent::KeyPress) {
            CopySelected();
        }
        return true;
    }
    return DCDockingPane::eventFilter(watched, event);
}
