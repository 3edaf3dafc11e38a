#include "valueaccessible.h"

CValueAccessible::CValueAccessible(QWidget* widget, QAccessible::Role role, Reading value, Reading maximum)
    : QAccessibleWidget(widget, role), m_value(std::move(value)), m_maximum(std::move(maximum)) {}

void* CValueAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ValueInterface) {
        return static_cast<QAccessibleValueInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QString CValueAccessible::text(QAccessible::Text kind) const {
    if (kind == QAccessible::Value) {
        return QStringLiteral("row %1 of %2").arg(m_value() + 1).arg(m_maximum() + 1);
    }
    return QAccessibleWidget::text(kind);
}
