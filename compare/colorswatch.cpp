#include "colorswatch.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "platform/colorvalue.h"
#include "platform/prompts.h"

CColorSwatch::CColorSwatch(QWidget* parent) : QAbstractButton(parent) {
    setFixedSize(kWidth, kHeight);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractButton::clicked, this, &CColorSwatch::Pick);
    SetColor(0);
}

void CColorSwatch::SetColor(std::uint32_t color) {
    m_color = color;
    // Read by screen readers after the swatch's name.
    setAccessibleDescription(ColorValue::ToQColor(color).name().toUpper());
}

std::uint32_t CColorSwatch::GetColor() const {
    return m_color;
}

void CColorSwatch::Pick() {
    SetColor(CPrompts::Current().PickColor(this, m_color));
    update();
}

void CColorSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect().adjusted(1, 1, -1, -1), ColorValue::ToQColor(m_color));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void CColorSwatch::keyPressEvent(QKeyEvent* event) {
    // Space clicks as on every button; Enter and Return pick too, as on the dialog's other buttons.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Pick();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}
