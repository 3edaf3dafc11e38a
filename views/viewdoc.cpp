#include "viewdoc.h"

#include <algorithm>

#include "compare/core/compsettings.h"
#include "platform/bytestext.h"
#include "platform/doctemplate.h"
#include "platform/prompts.h"
#include "snapshots/core/snapshotstore.h"

CViewDoc::CViewDoc(const CCompSettings& settings, const CSnapshotStore& store, CDocumentHost* status)
    : CHexDocument(settings.showAnsi, status), m_store(store),
      m_nLineLength(std::clamp(settings.lineLength, 1, kMaxLineLength)) {}

CViewDoc* CViewDoc::Open(CDocTemplate& viewTemplate, const std::string& target) {
    auto* document = static_cast<CViewDoc*>(viewTemplate.OpenDocumentFile(target));
    if (document != nullptr) {
        document->LoadFile();
    }
    return document;
}

void CViewDoc::SetBytesPerLine(std::int32_t length) {
    m_nLineLength = std::clamp(length, 1, kMaxLineLength);
}

bool CViewDoc::OnOpenDocument(const std::string& bytes) {
    m_target = m_store.Resolve(bytes);
    // A snapshot number that names no record fails as a missing file does.
    if (!m_target.Exists()) {
        CPrompts::Current().Message(nullptr,
                                    QStringLiteral("Can't open the file ") + BytesText(m_target.name),
                                    CPrompts::Icon::Error);
        return false;
    }
    return true;
}

QString CViewDoc::ChangedFile() const {
    return m_buffer->Changed() ? BytesText(m_target.name) : QString();
}

QString CViewDoc::RewrittenFile() const {
    return m_buffer->ChangedOnDisk(m_target.path) ? BytesText(m_target.name) : QString();
}

void CViewDoc::LoadFile() {
    SetTitle(BytesText(m_target.name));
    // No line may point into the buffer while it is replaced: the message below lets the view repaint.
    m_viewLines = CViewLines();
    // A new buffer, as a search may still be reading the old one.
    m_buffer = std::make_shared<CFileBuffer>();
    if (m_buffer->Load(m_target.path, CFileBuffer::Mode::Map,
                       m_target.image ? CFileBuffer::Source::StoreImage : CFileBuffer::Source::Any) !=
        CFileBuffer::Error::None) {
        CPrompts::Current().Message(nullptr, QStringLiteral("Error in reading the file."),
                                    CPrompts::Icon::Error);
    }
    m_viewLines = CViewLines(m_buffer->Size(), static_cast<std::uint32_t>(m_nLineLength));
    ForgetChange();
    WatchFiles({m_target.path});
    UpdateAllViews();
}
