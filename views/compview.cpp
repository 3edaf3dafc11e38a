#include "compview.h"

#include <cstring>

#include <QPainter>
#include <QPalette>

#include "compare/compdoc.h"
#include "compare/core/compsettings.h"
#include "compare/core/logwriter.h"
#include "diffmap.h"
#include "linescrollbar.h"
#include "platform/colorvalue.h"
#include "res/resource.h"
#include "views/core/changenavigator.h"
#include "views/core/diffmapcolors.h"
#include "views/core/siderows.h"

namespace {

const CommandEntry<CCompView> kCommands[] = {
    {Res::kPreviousChange, &CCompView::OnPreviousChange},
    {Res::kNextChange, &CCompView::OnNextChange},
};

bool HasFile1(BlockKind kind) {
    return CSideRows::Holds(kind, 0);
}
bool HasFile2(BlockKind kind) {
    return CSideRows::Holds(kind, 1);
}

} // namespace

CCompView::CCompView(CCompDoc& document, const CCompSettings& settings, QWidget* parent)
    : CHexView(document, kStripWidth, parent),
      m_diffMap(new CDiffMap(this)), m_kindValue{settings.m_clrCommon, settings.m_clrNew,
                                                 settings.m_clrDelete, settings.m_clrMoveFrom,
                                                 settings.m_clrMoveTo} {
    for (std::size_t k = 0; k < m_kindValue.size(); ++k) {
        m_clrKind[k] = ColorValue::ToQColor(m_kindValue[k]);
    }
    m_diffMap->setGeometry(0, 0, 0, 0);
    m_diffMap->setAccessibleName(QStringLiteral("Difference map"));
    setAccessibleName(QStringLiteral("Comparison"));
    // The vertical bar lies over the middle of the map.
    VertBar().raise();
}

std::optional<std::int64_t> CCompView::RowOfOffset(int side, std::uint64_t offset,
                                                   std::uint64_t& size) const {
    const CCompDoc& doc = GetDocument();
    size = side == 0 ? doc.Size1() : doc.Size2();
    if (offset >= size) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> row = CSideRows::RowOf(doc.Lines(), side, offset);
    if (!row) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(*row);
}

std::optional<CHexView::RowPart> CCompView::PartOfRow(std::int64_t row, int side) const {
    const CCompLines& lines = GetDocument().Lines();
    if (row < 0 || static_cast<std::uint64_t>(row) >= lines.GetCount()) {
        return std::nullopt;
    }
    const CompLine line = lines.GetAt(static_cast<std::uint64_t>(row));
    if (!CSideRows::Holds(line.kind, side)) {
        return std::nullopt;
    }
    return RowPart{side == 0 ? line.offset1 : line.offset2, line.length};
}

std::uint64_t CCompView::FileSize(int side) const {
    return side == 0 ? GetDocument().Size1() : GetDocument().Size2();
}

const std::uint8_t* CCompView::FileData(int side) const {
    return side == 0 ? GetDocument().Buffer1() : GetDocument().Buffer2();
}

std::optional<std::uint64_t> CCompView::ByteNearRow(int side, std::int64_t row, std::uint64_t within) const {
    return CSideRows::ByteAt(GetDocument().Lines(), side,
                             static_cast<std::uint64_t>(std::max<std::int64_t>(row, 0)), within);
}

namespace {

const char* const kKinds[] = {"same", "new", "deleted", "moved from", "moved to"};
constexpr int kSideCaption = 9; // ", file 1 "

} // namespace

int CCompView::RowTextPrefix(std::int64_t index, int side) const {
    const CompLine row = GetDocument().Lines().GetAt(static_cast<std::uint64_t>(index));
    int prefix = static_cast<int>(std::strlen(kKinds[static_cast<std::size_t>(row.kind)])) + kSideCaption;
    if (side == 1 && HasFile1(row.kind)) {
        prefix += PaneTextLength(row.length, GetDocument().IsAnsi()) + kSideCaption;
    }
    return prefix;
}

std::shared_ptr<const CFileBuffer> CCompView::SearchedFile(int side) const {
    const std::shared_ptr<const CCompareResult> result = GetDocument().Result();
    return std::shared_ptr<const CFileBuffer>(result, &result->Buffer(side));
}

std::uint64_t CCompView::OffsetOfRow(int side, std::int64_t row) const {
    if (row < 0 || row >= RowCount()) {
        return 0;
    }
    const CompLine line = GetDocument().Lines().GetAt(static_cast<std::uint64_t>(row));
    return side == 0 ? line.offset1 : line.offset2;
}

QString CCompView::RowText(std::int64_t index) const {
    const CCompDoc& doc = GetDocument();
    const CompLine row = doc.Lines().GetAt(static_cast<std::uint64_t>(index));
    QString text = QString::fromLatin1(kKinds[static_cast<std::size_t>(row.kind)]);
    if (HasFile1(row.kind)) {
        text += QStringLiteral(", file 1 ") +
                PaneText(row.offset1, doc.Buffer1() + row.offset1, row.length, doc.IsAnsi());
    }
    if (HasFile2(row.kind)) {
        text += QStringLiteral(", file 2 ") +
                PaneText(row.offset2, doc.Buffer2() + row.offset2, row.length, doc.IsAnsi());
    }
    return text;
}

CCompDoc& CCompView::GetDocument() const {
    return static_cast<CCompDoc&>(CView::GetDocument());
}

bool CCompView::OnCommand(int id) {
    return DispatchCommand<CCompView>(*this, kCommands, id) || CHexView::OnCommand(id);
}

bool CCompView::OnUpdateCommand(int id, CommandState& state) {
    return DispatchUpdate<CCompView>(*this, kCommands, id, state) || CHexView::OnUpdateCommand(id, state);
}

std::int64_t CCompView::RowCount() const {
    return static_cast<std::int64_t>(GetDocument().Lines().GetCount());
}

int CCompView::PaneWidth() const {
    return CHexView::PaneWidth(GetDocument().BytesPerLine(), GetDocument().IsAnsi(), OffsetDigits());
}

int CCompView::OffsetDigits() const {
    return CLogWriter::OffsetDigits(GetDocument().Size1(), GetDocument().Size2());
}

int CCompView::ContentWidth() const {
    return 2 * PaneWidth();
}

void CCompView::OnNextChange() {
    if (const auto target =
            CChangeNavigator::Next(GetDocument().Lines(), static_cast<std::uint64_t>(m_nTopLine))) {
        JumpTo(static_cast<std::int64_t>(*target));
    }
}

void CCompView::OnPreviousChange() {
    if (const auto target =
            CChangeNavigator::Previous(GetDocument().Lines(), static_cast<std::uint64_t>(m_nTopLine))) {
        JumpTo(static_cast<std::int64_t>(*target));
    }
}

void CCompView::ShowBlock(std::size_t block) {
    const CCompLines& lines = GetDocument().Lines();
    if (block < lines.Blocks().size()) {
        JumpTo(static_cast<std::int64_t>(lines.FirstRowOf(block)));
    }
}

void CCompView::BuildDiffMap() {
    const int height = m_textBottom - 32;
    m_diffMap->setGeometry(m_textRight, kBarSize, kStripWidth, std::max(height, 0));
    QImage bitmap(2, std::max(height, 1), QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    const CDiffMapColors::Colors colors{m_kindValue[2], m_kindValue[3], m_kindValue[1], m_kindValue[4]};
    const std::vector<std::uint32_t> pixels = CDiffMapColors::Build(GetDocument().Lines(), height, colors);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < 2; ++x) {
            bitmap.setPixelColor(x, y, ColorValue::ToQColor(pixels[2 * static_cast<std::size_t>(y) + x]));
        }
    }
    m_diffMap->SetBitmap(std::move(bitmap));
}

void CCompView::DrawHeader(QPainter& painter) const {
    const int bytesPerLine = GetDocument().BytesPerLine();
    const bool ansi = GetDocument().IsAnsi();
    const int pane = PaneWidth();
    DrawPaneHeader(painter, 0, bytesPerLine, ansi);
    DrawPaneHeader(painter, pane, bytesPerLine, ansi);
    DrawVertLine(painter, pane - 1 - m_nHorzPos);
    DrawVertLine(painter, pane + 1 - m_nHorzPos);
    DrawHeaderLine(painter);
}

void CCompView::Draw(QPainter& painter) {
    const CCompDoc& doc = GetDocument();
    const int bytesPerLine = doc.BytesPerLine();
    const bool ansi = doc.IsAnsi();
    const int pane = PaneWidth();
    DrawHeader(painter);
    const auto top = static_cast<std::uint64_t>(m_nTopLine);
    int screenRow = 0;
    doc.Lines().ForEach(
        top, top + static_cast<std::uint64_t>(std::max(VisibleRows(), 0)), [&](const CompLine& row) {
            const QColor& color = m_clrKind[static_cast<std::size_t>(row.kind)];
            if (HasFile1(row.kind)) {
                DrawPaneRow(painter, 0, screenRow, row.offset1, doc.Buffer1() + row.offset1, row.length,
                            bytesPerLine, ansi, color, 0);
            }
            if (HasFile2(row.kind)) {
                DrawPaneRow(painter, pane, screenRow, row.offset2, doc.Buffer2() + row.offset2, row.length,
                            bytesPerLine, ansi, color, 1);
            }
            ++screenRow;
            return true;
        });
    painter.fillRect(m_textRight, m_textBottom, kStripWidth, kBarSize, palette().color(QPalette::Midlight));
    painter.fillRect(m_textRight, m_textTop, kStripWidth, kBarSize, Qt::white);
    painter.fillRect(m_textRight, m_textBottom - kBarSize, kStripWidth, kBarSize, Qt::white);
}
