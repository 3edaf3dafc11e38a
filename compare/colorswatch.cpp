#include "colorswatch.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/colorvalue.h"
#include "platform/prompts.h"

CColorSwatch::CColorSwatch(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFixedSize(kWidth, kHeight);
}

void CColorSwatch::SetColor(std::uint32_t color) {
    m_color = color;
}

std::uint32_t CColorSwatch::GetColor() const {
    return m_color;
}

void CColorSwatch::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        painter.fillRect(contentsRect(), ColorValue::ToQColor(m_color));
    }
    // The border goes on last so the fill never covers it.
    QFrame::paintEvent(event);
}

void CColorSwatch::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QFrame::mousePressEvent(event);
        return;
    }
    SetColor(CPrompts::Current().PickColor(this, m_color));
    update();
}
