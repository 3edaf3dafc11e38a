#pragma once

#include <QString>

#include "res/resourcetables.h"

// A string of the string table as Qt text, for the windows.
inline QString ResourceText(int id) {
    const std::string_view text = ResourceTables::String(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
