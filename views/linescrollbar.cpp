#include "linescrollbar.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

namespace {

// A line as the classic graphics interface draws it: from the first point up to, not including, the
// last. Segments are horizontal or vertical.
void PolyLine(QPainter& painter, const QColor& colour, std::initializer_list<QPoint> points) {
    painter.setPen(colour);
    const QPoint* previous = nullptr;
    for (const QPoint& p : points) {
        if (previous != nullptr) {
            const QPoint step((p.x() > previous->x()) - (p.x() < previous->x()),
                              (p.y() > previous->y()) - (p.y() < previous->y()));
            if (p != *previous) {
                painter.drawLine(*previous, p - step);
            }
        }
        previous = &p;
    }
}

// An outlined, filled rectangle: the outline on the rectangle's own edge pixels.
void OutlinedRect(QPainter& painter, const QRect& r, const QColor& outline, const QColor& fill) {
    painter.fillRect(r, fill);
    painter.setPen(outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r.adjusted(0, 0, -1, -1));
}

} // namespace

CLineScrollBar::CLineScrollBar(QWidget* parent) : QWidget(parent) {
    m_repeat.setInterval(kRepeatMs);
    connect(&m_repeat, &QTimer::timeout, this, &CLineScrollBar::AutoRepeat);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CLineScrollBar::ClampHigh() {
    if (m_position > m_maximum - m_page + 1) {
        m_position = m_maximum - m_page + 1;
    }
}

void CLineScrollBar::SetRange(std::int64_t minimum, std::int64_t maximum) {
    m_minimum = minimum;
    m_maximum = maximum;
    const std::int64_t span = maximum - minimum + 1;
    if (m_page > span) {
        m_page = span;
    }
    m_position = std::max(m_position, m_minimum);
    ClampHigh();
    update();
}

void CLineScrollBar::SetPage(std::int64_t page) {
    m_page = std::min(page, m_maximum - m_minimum + 1);
    update();
}

void CLineScrollBar::SetPos(std::int64_t position) {
    m_position = std::max(position, m_minimum);
    ClampHigh();
    update();
}

// Posted, not sent: the owner hears of the change after the current event, like a posted message.
void CLineScrollBar::Notify() {
    const std::int64_t position = m_position;
    QMetaObject::invokeMethod(
        this, [this, position] { emit Scrolled(position); }, Qt::QueuedConnection);
}

void CLineScrollBar::LineUp() {
    m_position = std::max(m_position - 1, m_minimum);
    Notify();
    update();
}

void CLineScrollBar::LineDown() {
    m_position = std::min(m_position, m_maximum) + 1;
    ClampHigh();
    Notify();
    update();
}

int CLineScrollBar::TrackLength() const {
    return std::max(height() - 2 * kButton, 0);
}

// Pixels times rows can pass 64 bits.
int CLineScrollBar::ThumbLength() const {
    const std::int64_t span = m_maximum - m_minimum + 1;
    const int track = TrackLength();
    return span <= 0 ? track : static_cast<int>(static_cast<__int128>(m_page) * track / span + 1);
}

int CLineScrollBar::ThumbStart() const {
    const std::int64_t span = m_maximum - m_minimum + 1;
    const int track = TrackLength();
    int start = span <= 0 ? 0 : static_cast<int>(static_cast<__int128>(m_position) * track / span);
    if (start + ThumbLength() > track) {
        start = track - ThumbLength();
    }
    return start;
}

// The thumb's middle goes under the mouse.
void CLineScrollBar::SetFromTrack(int y) {
    const std::int64_t span = m_maximum - m_minimum + 1;
    const auto p =
        static_cast<std::int64_t>(static_cast<__int128>(span) * (y - kButton) / TrackLength()) - m_page / 2;
    m_position = std::max(p, m_minimum);
    ClampHigh();
    Notify();
    update();
}

void CLineScrollBar::Press(int x, int y) {
    m_repeat.start();
    if (y < kButton && x < kButton) {
        m_upPressed = true;
        LineUp();
    } else if (y > height() - kButton && x < kButton) {
        m_downPressed = true;
        LineDown();
    } else if (y >= kButton && y <= height() - kButton && TrackLength() > 0) {
        m_dragging = true;
        SetFromTrack(y);
    }
}

void CLineScrollBar::AutoRepeat() {
    if (m_upPressed) {
        LineUp();
    } else if (m_downPressed) {
        LineDown();
    }
}

void CLineScrollBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Press(event->position().toPoint().x(), event->position().toPoint().y());
    }
}

void CLineScrollBar::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

// Qt keeps sending moves to the widget that took the press, wherever the mouse goes.
void CLineScrollBar::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && TrackLength() > 0) {
        SetFromTrack(event->position().toPoint().y());
    }
}

void CLineScrollBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (m_dragging) {
        m_dragging = false;
    } else if (m_upPressed) {
        m_upPressed = false;
    } else if (m_downPressed) {
        m_downPressed = false;
    }
    m_repeat.stop();
    update();
}

void CLineScrollBar::PaintButton(QPainter& painter, int top, bool held, bool up) const {
    const QPalette& pal = palette();
    const QRect r(0, top, kButton, kButton);
    const int left = r.left();
    const int right = r.left() + kButton;
    const int bottom = top + kButton;
    OutlinedRect(painter, r, held ? pal.color(QPalette::Dark) : pal.color(QPalette::Shadow),
                 pal.color(QPalette::Button));
    if (!held) {
        PolyLine(painter, pal.color(QPalette::Light),
                 {QPoint(left + 1, bottom - 3), QPoint(left + 1, top + 1), QPoint(right - 2, top + 1)});
        PolyLine(painter, pal.color(QPalette::Dark),
                 {QPoint(right - 2, top + 1), QPoint(right - 2, bottom - 2), QPoint(left, bottom - 2)});
    }
    const int shift = held ? 1 : 0;
    const QPoint origin(left + shift, top + shift);
    const QPolygon arrow = up ? QPolygon({QPoint(7, 6), QPoint(4, 9), QPoint(10, 9)})
                              : QPolygon({QPoint(7, 9), QPoint(4, 6), QPoint(10, 6)});
    painter.setPen(pal.color(QPalette::ButtonText));
    painter.setBrush(pal.color(QPalette::ButtonText));
    painter.drawPolygon(arrow.translated(origin));
    painter.setBrush(Qt::NoBrush);
}

void CLineScrollBar::paintEvent(QPaintEvent*) {
    const QPalette& pal = palette();
    QImage image(size(), QImage::Format_RGB32);
    image.fill(pal.color(QPalette::Base));
    QPainter painter(&image);

    // The track: a checkerboard of the window and the light colour.
    QImage pattern(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            pattern.setPixelColor(
                x, y, (x + y) % 2 != 0 ? pal.color(QPalette::Base) : pal.color(QPalette::Midlight));
        }
    }
    const int track = TrackLength();
    if (track > 0) {
        painter.fillRect(QRect(0, kButton, kButton, track), QBrush(pattern));
    }
    PaintButton(painter, 0, m_upPressed, true);
    PaintButton(painter, height() - kButton, m_downPressed, false);

    // Without a track there is no thumb to draw.
    if (track > 0) {
        const int s = ThumbStart();
        const int length = ThumbLength();
        OutlinedRect(painter, QRect(0, kButton + s, kButton, length), pal.color(QPalette::Shadow),
                     pal.color(QPalette::Button));
        // A very short thumb gets marks above and below it so it stays in sight.
        if (length == 1 || length == 2) {
            painter.setPen(pal.color(QPalette::Shadow));
            painter.drawPoint(7, s + 15);
            painter.drawPoint(7, length == 1 ? s + 17 : s + 18);
        } else if (length > 6) {
            PolyLine(painter, pal.color(QPalette::Light),
                     {QPoint(1, s + length + 13), QPoint(1, s + 17), QPoint(14, s + 17)});
            PolyLine(painter, pal.color(QPalette::Dark),
                     {QPoint(14, s + 17), QPoint(14, s + length + 14), QPoint(0, s + length + 14)});
        }
    }
    painter.end();
    QPainter(this).drawImage(0, 0, image);
}
