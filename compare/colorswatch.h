#pragma once

#include <cstdint>

#include <QAbstractButton>

// One text colour of the settings, shown as a bordered box filled with it. A button: a click, or Space
// or Enter while it has the focus, lets the user pick another colour; a screen reader reads its name
// and its colour. The swatch keeps the colour until its owner reads it.
class CColorSwatch : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int kWidth = 33;
    static constexpr int kHeight = 25;

    explicit CColorSwatch(QWidget* parent = nullptr);

    // Stores the colour (0x00BBGGRR); the caller repaints when it wants to.
    void SetColor(std::uint32_t color);
    std::uint32_t GetColor() const;

    QSize sizeHint() const override { return {kWidth, kHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Pick();

    std::uint32_t m_color = 0;
};
