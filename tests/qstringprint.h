#pragma once

#include <ostream>

#include <QString>

// Failed expectations on texts show the text, not its code units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
