#pragma once

#include <string_view>

#include <QByteArray>
#include <QFile>
#include <QString>

// Paths and names stay the system's bytes until they are shown; these make text of them then.

// A path, a file name or a text read from the catalogue, in the system's encoding.
inline QString BytesText(std::string_view bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// A text of our own (resource tables, descriptions typed in the program), which is UTF-8.
inline QString Utf8Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
