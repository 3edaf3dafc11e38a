#include "rowlist.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>

CRowList::CRowList(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setShowGrid(false);
    setWordWrap(false);
    // Tab goes on to the next control, as in every list of the desktop; arrows move inside.
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    // Rows of one height let the view place any row without measuring the others.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    QPalette colours = palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    }
    setPalette(colours);
}

QModelIndex CRowList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // A table's Home and End go along the row; in a list of rows they mean the first and last row,
    // in the column the cursor is in, so nothing scrolls sideways.
    if ((action == MoveHome || action == MoveEnd) && model() != nullptr) {
        const int rows = model()->rowCount(rootIndex());
        if (rows == 0) {
            return {};
        }
        const int column = currentIndex().isValid() ? currentIndex().column() : 0;
        return model()->index(action == MoveHome ? 0 : rows - 1, column, rootIndex());
    }
    return QTableView::moveCursor(action, modifiers);
}

void CRowList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier &&
        state() != QAbstractItemView::EditingState) {
        emit MenuRequested(KeyboardMenuPos());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void CRowList::contextMenuEvent(QContextMenuEvent* event) {
    // The Menu key comes with the pointer's position, which may be anywhere on the screen.
    emit MenuRequested(event->reason() == QContextMenuEvent::Keyboard ? KeyboardMenuPos()
                                                                      : event->globalPos());
    event->accept();
}

QPoint CRowList::KeyboardMenuPos() const {
    const QModelIndex current = currentIndex();
    QRect row = current.isValid() ? visualRect(current.siblingAtColumn(0)) : QRect();
    if (!row.isValid() || !viewport()->rect().intersects(row)) {
        row = QRect(0, 0, 0, 0);
    }
    return viewport()->mapToGlobal(QPoint(row.left() + 8, row.bottom()));
}
