#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "files/filebuffer.h"
#include "files/filetarget.h"
#include "platform/hexdocument.h"
#include "views/core/viewlines.h"

class CCompSettings;
class CDocTemplate;
class CDocumentHost;
class CSnapshotStore;

// The document of the single-file viewer: one file, or one snapshot image, held whole in memory and
// cut into lines of the line length. Opening only checks that the file is there; LoadFile reads it,
// right after opening and again whenever the line length or the ANSI column changes.
class CViewDoc : public CHexDocument {
    Q_OBJECT

public:
    static constexpr int kMaxLineLength = 64;

    // `status` may be null; its work runner, when it has one, runs the document's long work.
    CViewDoc(const CCompSettings& settings, const CSnapshotStore& store, CDocumentHost* status = nullptr);

    // Opens a viewer on `target` through `viewTemplate`, then reads the file: null when it could not
    // be opened (it has said why).
    static CViewDoc* Open(CDocTemplate& viewTemplate, const std::string& target);

    // `target` is a path or a snapshot reference.
    bool OnOpenDocument(const std::string& target) override;
    // Reads the file afresh and rebuilds the lines; a file that cannot be read is reported and shows
    // no lines.
    void LoadFile();

    const CViewLines& Lines() const { return m_viewLines; }
    const std::uint8_t* Buffer() const { return m_buffer->Data(); }
    std::uint64_t Size() const { return m_buffer->Size(); }
    // The file as read last, which work may keep alive past a new reading.
    std::shared_ptr<const CFileBuffer> File() const { return m_buffer; }
    const std::string& Path() const { return m_target.path; }

    std::int32_t LineLength() const { return m_nLineLength; }
    std::int32_t BytesPerLine() const override { return m_nLineLength; }
    std::int32_t MaxBytesPerLine() const override { return kMaxLineLength; }
    void SetBytesPerLine(std::int32_t length) override;
    void Reload() override { LoadFile(); }
    QString ChangedFile() const override;
    QString RewrittenFile() const override;

private:
    const CSnapshotStore& m_store;
    CFileTarget m_target;
    std::shared_ptr<CFileBuffer> m_buffer = std::make_shared<CFileBuffer>();
    CViewLines m_viewLines;
    std::int32_t m_nLineLength;
};
