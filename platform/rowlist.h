#pragma once

#include <QTableView>

class QContextMenuEvent;
class QKeyEvent;

// A list of rows with column headers, as file managers have them: whole rows are selected, the
// selection stays visible while the focus is elsewhere, Home and End go to the first and last row,
// and the context menu opens by the pointer, or by Shift+F10 or the Menu key at the current row.
class CRowList : public QTableView {
    Q_OBJECT

public:
    explicit CRowList(QWidget* parent = nullptr);

signals:
    // The context menu is asked for at `globalPos`.
    void MenuRequested(const QPoint& globalPos);

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Where a menu asked for by a key opens: at the current row, else at the top of the rows.
    QPoint KeyboardMenuPos() const;
};
