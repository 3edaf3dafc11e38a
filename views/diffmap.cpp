#include "diffmap.h"

#include <QPainter>

CDiffMap::CDiffMap(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CDiffMap::SetBitmap(QImage bitmap) {
    m_bitmap = std::move(bitmap);
    update();
}

void CDiffMap::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_bitmap.isNull()) {
        painter.drawImage(QRect(0, 0, width(), height()), m_bitmap, QRect(0, 0, m_bitmap.width(), height()));
    }
}
