#include "compview.h"

#include <QPainter>
#include <QPalette>

#include "compare/compdoc.h"
#include "compare/core/compsettings.h"
#include "diffmap.h"
#include "linescrollbar.h"
#include "platform/colorvalue.h"
#include "res/resource.h"
#include "views/core/changenavigator.h"
#include "views/core/diffmapcolors.h"

namespace {

const CommandEntry<CCompView> kCommands[] = {
    {Res::kPreviousChange, &CCompView::OnPreviousChange},
    {Res::kNextChange, &CCompView::OnNextChange},
    {Res::kGoToOffset, &CCompView::OnGoToOffset},
};

bool HasFile1(BlockKind kind) {
    return kind == BlockKind::Same || kind == BlockKind::Deleted || kind == BlockKind::MoveFrom;
}
bool HasFile2(BlockKind kind) {
    return kind == BlockKind::Same || kind == BlockKind::New || kind == BlockKind::MoveTo;
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
    std::optional<std::int64_t> found;
    std::int64_t index = 0;
    doc.Lines().ForEach(0, doc.Lines().GetCount(), [&](const CompLine& row) {
        const bool has = side == 0 ? HasFile1(row.kind) : HasFile2(row.kind);
        const std::uint64_t start = side == 0 ? row.offset1 : row.offset2;
        if (has && offset >= start && offset < start + row.length) {
            found = index;
            return false;
        }
        ++index;
        return true;
    });
    return found;
}

QString CCompView::RowText(std::int64_t index) const {
    const CCompDoc& doc = GetDocument();
    const CompLine row = doc.Lines().GetAt(static_cast<std::uint64_t>(index));
    static const char* const kKinds[] = {"same", "new", "deleted", "moved from", "moved to"};
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
    return DispatchCommand<CCompView>(*this, kCommands, id);
}

bool CCompView::OnUpdateCommand(int id, CommandState& state) {
    return DispatchUpdate<CCompView>(*this, kCommands, id, state);
}

std::int64_t CCompView::RowCount() const {
    return static_cast<std::int64_t>(GetDocument().Lines().GetCount());
}

int CCompView::PaneWidth() const {
    return CHexView::PaneWidth(GetDocument().BytesPerLine(), GetDocument().IsAnsi());
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
                            bytesPerLine, ansi, color);
            }
            if (HasFile2(row.kind)) {
                DrawPaneRow(painter, pane, screenRow, row.offset2, doc.Buffer2() + row.offset2, row.length,
                            bytesPerLine, ansi, color);
            }
            ++screenRow;
            return true;
        });
    painter.fillRect(m_textRight, m_textBottom, kStripWidth, kBarSize, palette().color(QPalette::Midlight));
    painter.fillRect(m_textRight, m_textTop, kStripWidth, kBarSize, Qt::white);
    painter.fillRect(m_textRight, m_textBottom - kBarSize, kStripWidth, kBarSize, Qt::white);
}
