#include "viewview.h"

#include <QPainter>
#include <QPalette>

#include "compare/core/compsettings.h"
#include "compare/core/logwriter.h"
#include "platform/colorvalue.h"
#include "res/resource.h"
#include "viewdoc.h"

CViewView::CViewView(CViewDoc& document, const CCompSettings& settings, QWidget* parent)
    : CHexView(document, kBarSize, parent), m_clrText(ColorValue::ToQColor(settings.m_clrCommon)) {
    setAccessibleName(QStringLiteral("Hex view"));
}

std::optional<std::int64_t> CViewView::RowOfOffset(int, std::uint64_t offset, std::uint64_t& size) const {
    const CViewDoc& doc = GetDocument();
    size = doc.Size();
    if (offset >= size) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(offset / static_cast<std::uint64_t>(doc.LineLength()));
}

std::shared_ptr<const CFileBuffer> CViewView::SearchedFile(int) const {
    return GetDocument().File();
}

std::uint64_t CViewView::OffsetOfRow(int, std::int64_t row) const {
    return row < RowCount()
               ? static_cast<std::uint64_t>(row) * static_cast<std::uint64_t>(GetDocument().LineLength())
               : 0;
}

std::optional<CHexView::RowPart> CViewView::PartOfRow(std::int64_t row, int) const {
    const CViewDoc& doc = GetDocument();
    if (row < 0 || row >= RowCount()) {
        return std::nullopt;
    }
    const ViewLine line = doc.Lines().GetAt(static_cast<std::uint64_t>(row));
    return RowPart{line.offset, line.length};
}

std::uint64_t CViewView::FileSize(int) const {
    return GetDocument().Size();
}

const std::uint8_t* CViewView::FileData(int) const {
    return GetDocument().Buffer();
}

QString CViewView::RowText(std::int64_t index) const {
    const CViewDoc& doc = GetDocument();
    const ViewLine line = doc.Lines().GetAt(static_cast<std::uint64_t>(index));
    return PaneText(line.offset, doc.Buffer() + line.offset, line.length, doc.IsAnsi());
}

CViewDoc& CViewView::GetDocument() const {
    return static_cast<CViewDoc&>(CView::GetDocument());
}

std::int64_t CViewView::RowCount() const {
    return static_cast<std::int64_t>(GetDocument().Lines().GetCount());
}

int CViewView::OffsetDigits() const {
    return CLogWriter::OffsetDigits(GetDocument().Size(), 0);
}

int CViewView::ContentWidth() const {
    return PaneWidth(GetDocument().LineLength(), GetDocument().IsAnsi(), OffsetDigits());
}

void CViewView::Draw(QPainter& painter) {
    const CViewDoc& doc = GetDocument();
    const int length = doc.LineLength();
    DrawPaneHeader(painter, 0, length, doc.IsAnsi());
    DrawHeaderLine(painter);
    const std::uint64_t count = doc.Lines().GetCount();
    const auto top = std::min(static_cast<std::uint64_t>(m_nTopLine), count);
    for (std::uint64_t i = top; i < count && i - top < static_cast<std::uint64_t>(std::max(VisibleRows(), 0));
         ++i) {
        const ViewLine line = doc.Lines().GetAt(i);
        DrawPaneRow(painter, 0, static_cast<int>(i - top), line.offset, doc.Buffer() + line.offset,
                    line.length, length, doc.IsAnsi(), m_clrText);
    }
    painter.fillRect(m_textRight, m_textBottom, kBarSize, kBarSize, palette().color(QPalette::Midlight));
}
