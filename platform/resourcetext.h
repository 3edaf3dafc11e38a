#pragma once

#include <QString>

#include "platform/bytestext.h"
#include "res/resourcetables.h"

// A string of the string table as Qt text, for the windows.
inline QString ResourceText(int id) {
    const std::string_view text = ResourceTables::String(id);
    return Utf8Text(text);
}
