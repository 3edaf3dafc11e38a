#include "hexviewaccessible.h"

#include <algorithm>

#include "diffmap.h"
#include "hexview.h"
#include "linescrollbar.h"
#include "valueaccessible.h"

CHexViewAccessible::CHexViewAccessible(CHexView* view) : QAccessibleWidget(view, QAccessible::EditableText) {}

QAccessibleInterface* CHexViewAccessible::Factory(const QString&, QObject* object) {
    if (auto* view = qobject_cast<CHexView*>(object)) {
        return new CHexViewAccessible(view);
    }
    // The bar and the map stand for the top row of the view they belong to.
    const auto rowsOf = [](QWidget* widget) -> CHexView* {
        return widget != nullptr ? qobject_cast<CHexView*>(widget->parentWidget()) : nullptr;
    };
    if (auto* bar = qobject_cast<CLineScrollBar*>(object); bar != nullptr && rowsOf(bar) != nullptr) {
        CHexView* view = rowsOf(bar);
        return new CValueAccessible(
            bar, QAccessible::ScrollBar, [view] { return view->TopLine(); },
            [view] { return std::max<qint64>(view->Rows() - 1, 0); });
    }
    if (auto* map = qobject_cast<CDiffMap*>(object); map != nullptr && rowsOf(map) != nullptr) {
        CHexView* view = rowsOf(map);
        return new CValueAccessible(
            map, QAccessible::Indicator, [view] { return view->TopLine(); },
            [view] { return std::max<qint64>(view->Rows() - 1, 0); });
    }
    return nullptr;
}

CHexView* CHexViewAccessible::View() const {
    return static_cast<CHexView*>(widget());
}

void* CHexViewAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface) {
        return static_cast<QAccessibleTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State CHexViewAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    return state;
}

QString CHexViewAccessible::Text() const {
    const CHexView* view = View();
    QStringList lines;
    const std::int64_t end =
        std::min<std::int64_t>(view->TopLine() + std::max(view->VisibleRows(), 0), view->Rows());
    for (std::int64_t row = view->TopLine(); row < end; ++row) {
        lines.append(view->RowText(row));
    }
    return lines.join(QLatin1Char('\n'));
}

void CHexViewAccessible::selection(int, int* startOffset, int* endOffset) const {
    const std::optional<std::pair<int, int>> range = View()->SelectionTextRange();
    *startOffset = range ? range->first : 0;
    *endOffset = range ? range->second : 0;
}

int CHexViewAccessible::selectionCount() const {
    return View()->SelectionTextRange() ? 1 : 0;
}

int CHexViewAccessible::cursorPosition() const {
    return View()->CaretTextPosition();
}

QString CHexViewAccessible::text(int startOffset, int endOffset) const {
    return Text().mid(startOffset, std::max(endOffset - startOffset, 0));
}

QRect CHexViewAccessible::characterRect(int offset) const {
    // The line the offset is on, as a whole: enough for a reader to show where it is.
    const int line = static_cast<int>(Text().left(std::max(offset, 0)).count(QLatin1Char('\n')));
    const QRect rows = View()->contentsRect();
    const QRect row(rows.left(), CHexView::kFirstRowY + line * CCharGrid::kRowHeight, rows.width(),
                    CCharGrid::kRowHeight);
    return QRect(View()->mapToGlobal(row.topLeft()), row.size());
}

int CHexViewAccessible::offsetAtPoint(const QPoint& point) const {
    const int line = (View()->mapFromGlobal(point).y() - CHexView::kFirstRowY) / CCharGrid::kRowHeight;
    const QStringList lines = Text().split(QLatin1Char('\n'));
    if (line < 0 || line >= lines.size()) {
        return -1;
    }
    int offset = 0;
    for (int i = 0; i < line; ++i) {
        offset += static_cast<int>(lines[i].size()) + 1;
    }
    return offset;
}

QString CHexViewAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = offset;
    return {};
}
