#include "viewdoc.h"

#include <algorithm>
#include <filesystem>

#include <QFile>

#include "compare/core/compsettings.h"
#include "platform/prompts.h"
#include "snapshots/core/snapshotreference.h"
#include "snapshots/core/snapshotstore.h"

CViewDoc::CViewDoc(const CCompSettings& settings, const CSnapshotStore& store)
    : m_store(store), m_nLineLength(std::clamp(settings.lineLength, 1, kMaxLineLength)),
      m_bAnsi(settings.showAnsi) {}

void CViewDoc::SetLineLength(std::int32_t length) {
    m_nLineLength = std::clamp(length, 1, kMaxLineLength);
}

bool CViewDoc::OnOpenDocument(const QString& target) {
    const std::string bytes = QFile::encodeName(target).toStdString();
    std::error_code ec;
    m_bImage = CSnapshotReference::IsReference(bytes);
    // A snapshot number that names no record fails as a missing file does.
    if (!m_store.ResolveTarget(bytes, m_strTitle, m_strPath) || !std::filesystem::exists(m_strPath, ec)) {
        if (m_strTitle.empty()) {
            m_strTitle = bytes;
        }
        CPrompts::Current().Message(
            nullptr, QStringLiteral("Can't open the file ") + QFile::decodeName(m_strTitle.c_str()),
            CPrompts::Icon::Error);
        return false;
    }
    return true;
}

void CViewDoc::LoadFile() {
    SetTitle(QFile::decodeName(m_strTitle.c_str()));
    // No line may point into the buffer while it is replaced: the message below lets the view repaint.
    m_viewLines = CViewLines();
    if (m_buffer.Load(m_strPath, CFileBuffer::Mode::Read,
                      m_bImage ? CFileBuffer::Source::StoreImage : CFileBuffer::Source::Any) !=
        CFileBuffer::Error::None) {
        CPrompts::Current().Message(nullptr, QStringLiteral("Error in reading the file."),
                                    CPrompts::Icon::Error);
    }
    m_viewLines = CViewLines(m_buffer.Size(), static_cast<std::uint32_t>(m_nLineLength));
    UpdateAllViews();
}
