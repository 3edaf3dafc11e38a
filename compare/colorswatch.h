#pragma once

#include <cstdint>

#include <QFrame>

// One text colour of the settings, shown as a bordered box filled with it; a left click lets the user
// pick another. The swatch keeps the colour until its owner reads it.
class CColorSwatch : public QFrame {
    Q_OBJECT

public:
    static constexpr int kWidth = 33;
    static constexpr int kHeight = 25;

    explicit CColorSwatch(QWidget* parent = nullptr);

    // Stores the colour (0x00BBGGRR); the caller repaints when it wants to.
    void SetColor(std::uint32_t color);
    std::uint32_t GetColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::uint32_t m_color = 0;
};
