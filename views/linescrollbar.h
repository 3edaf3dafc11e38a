#pragma once

#include <cstdint>

#include <QTimer>
#include <QWidget>

// The vertical scroll bar of both hex views: it draws itself and keeps a 64-bit range, page and
// position, so a view can scroll through far more rows than a standard scroll bar counts. Every change
// the user makes (arrows, a track click, a drag) reaches the owner as a queued Scrolled() with the
// whole new position, in order; the setters never notify.
class CLineScrollBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int kButton = 16;
    static constexpr int kRepeatMs = 50;

    explicit CLineScrollBar(QWidget* parent = nullptr);

    void SetRange(std::int64_t minimum, std::int64_t maximum);
    void SetPage(std::int64_t page);
    void SetPos(std::int64_t position);
    std::int64_t GetPos() const { return m_position; }
    std::int64_t GetPage() const { return m_page; }
    std::int64_t GetMaximum() const { return m_maximum; }

    void LineUp();
    void LineDown();

    // The track's length in pixels, and the thumb's offset into it and length.
    int TrackLength() const;
    int ThumbStart() const;
    int ThumbLength() const;
    // What the repeat timer does on every tick; public so tests need not wait for it.
    void AutoRepeat();
    bool IsRepeating() const { return m_repeat.isActive(); }

    QSize sizeHint() const override { return {kButton, 100}; }

signals:
    void Scrolled(std::int64_t position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Press(int x, int y);
    void SetFromTrack(int y);
    void ClampHigh();
    void Notify();
    void PaintButton(class QPainter& painter, int top, bool held, bool up) const;

    bool m_upPressed = false;
    bool m_downPressed = false;
    bool m_dragging = false;
    std::int64_t m_minimum = 0;
    std::int64_t m_maximum = 100;
    std::int64_t m_page = 10;
    std::int64_t m_position = 0;
    QTimer m_repeat;
};
