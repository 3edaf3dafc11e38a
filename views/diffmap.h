#pragma once

#include <QImage>
#include <QWidget>

// The strip beside the compare view that shows where the whole result differs: a bitmap two pixels
// wide (file 1, file 2), stretched across the strip's width and not scaled vertically.
class CDiffMap : public QWidget {
    Q_OBJECT

public:
    explicit CDiffMap(QWidget* parent = nullptr);

    // Takes the new bitmap, drops the old one and repaints.
    void SetBitmap(QImage bitmap);
    const QImage& Bitmap() const { return m_bitmap; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_bitmap;
};
