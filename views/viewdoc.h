#pragma once

#include <cstdint>
#include <string>

#include "compare/core/filebuffer.h"
#include "platform/document.h"
#include "views/core/viewlines.h"

class CCompSettings;
class CSnapshotStore;

// The document of the single-file viewer: one file, or one snapshot image, held whole in memory and
// cut into lines of the line length. Opening only checks that the file is there; LoadFile reads it,
// right after opening and again whenever the line length or the ANSI column changes.
class CViewDoc : public CDocument {
    Q_OBJECT

public:
    static constexpr int kMaxLineLength = 64;

    CViewDoc(const CCompSettings& settings, const CSnapshotStore& store);

    // `target` is a path, or "*" and a snapshot number.
    bool OnOpenDocument(const QString& target) override;
    // Reads the file afresh and rebuilds the lines; a file that cannot be read is reported and shows
    // no lines.
    void LoadFile();

    const CViewLines& Lines() const { return m_viewLines; }
    const std::uint8_t* Buffer() const { return m_buffer.Data(); }
    std::uint32_t Size() const { return m_buffer.Size(); }
    const std::string& Path() const { return m_strPath; }

    // Display fields the main frame changes before it calls LoadFile again.
    std::int32_t LineLength() const { return m_nLineLength; }
    void SetLineLength(std::int32_t length);
    bool IsAnsi() const { return m_bAnsi; }
    void SetAnsi(bool ansi) { m_bAnsi = ansi; }

private:
    const CSnapshotStore& m_store;
    std::string m_strTitle;
    std::string m_strPath;
    bool m_bImage = false; // a snapshot's image, which must be a regular file of the store
    CFileBuffer m_buffer;
    CViewLines m_viewLines;
    std::int32_t m_nLineLength;
    bool m_bAnsi;
};
