#pragma once

#include <cstdint>

#include <QColor>

// Colour values are 0x00BBGGRR, red in the low byte, as the settings keep them.
namespace ColorValue {

inline QColor ToQColor(std::uint32_t value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

inline std::uint32_t FromQColor(const QColor& color) {
    return static_cast<std::uint32_t>(color.red()) | static_cast<std::uint32_t>(color.green()) << 8 |
           static_cast<std::uint32_t>(color.blue()) << 16;
}

} // namespace ColorValue
