#pragma once

#include <QAccessibleWidget>

class CHexView;

// What a screen reader reads of a hex view: its visible rows as lines of text (offset, bytes, the
// characters; in the compare view each side and the kind of the row), read only, with the view's caret
// and selection where their bytes' hex digits stand. The view tells it when the rows on screen, the
// caret or the selection change.
class CHexViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit CHexViewAccessible(CHexView* view);

    // Made by Qt's accessibility for every hex view, and for the scroll bar and map of one.
    static QAccessibleInterface* Factory(const QString& className, QObject* object);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override;
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override { return static_cast<int>(Text().size()); }
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    CHexView* View() const;
    // The visible rows, a line each.
    QString Text() const;
};
