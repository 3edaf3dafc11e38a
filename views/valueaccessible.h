#pragma once

#include <functional>

#include <QAccessibleWidget>

// A widget read as a value between bounds: the hex views' row scroll bar and the difference map, whose
// value is the top row shown, out of all rows.
class CValueAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    using Reading = std::function<qint64()>;

    CValueAccessible(QWidget* widget, QAccessible::Role role, Reading value, Reading maximum);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text kind) const override;

    QVariant currentValue() const override { return m_value(); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return m_maximum(); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    Reading m_value;
    Reading m_maximum;
};
