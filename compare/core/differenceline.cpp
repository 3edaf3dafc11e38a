#include "differenceline.h"

#include <cstdio>

#include "blockjsonwriter.h"
#include "files/bufferedwriter.h"

namespace {

std::string OffsetText(const std::optional<std::uint64_t>& offset, CDifferenceLine::Style style) {
    if (!offset) {
        return "-";
    }
    if (style == CDifferenceLine::Style::Summary) {
        return std::to_string(*offset);
    }
    char text[24];
    std::snprintf(text, sizeof text, "%08llX", static_cast<unsigned long long>(*offset));
    return text;
}

} // namespace

CDifferenceLine::CDifferenceLine(const CompBlock& block)
    : m_kind(block.kind), m_length(static_cast<std::uint64_t>(block.count)) {
    const auto primary = static_cast<std::uint64_t>(block.primary);
    const auto secondary = static_cast<std::uint64_t>(block.secondary);
    switch (block.kind) {
    case BlockKind::Same:
        m_offset1 = primary;
        m_offset2 = secondary;
        break;
    case BlockKind::New:
        m_offset2 = primary;
        break;
    case BlockKind::Deleted:
        m_offset1 = primary;
        break;
    case BlockKind::MoveFrom:
        m_offset1 = primary;
        m_offset2 = secondary;
        break;
    case BlockKind::MoveTo:
        m_offset1 = secondary;
        m_offset2 = primary;
        break;
    }
}

std::string CDifferenceLine::Field(int column, Style style) const {
    static const char* const kWords[] = {"Same", "New", "Deleted", "Moved from", "Moved to"};
    switch (column) {
    case 0:
        return style == Style::Summary ? std::string(CBlockJsonWriter::KindName(m_kind))
                                       : kWords[static_cast<std::size_t>(m_kind)];
    case 1:
        return OffsetText(m_offset1, style);
    case 2:
        return OffsetText(m_offset2, style);
    default:
        return std::to_string(m_length);
    }
}

std::string CDifferenceLine::Text(Style style) const {
    std::string text = Field(0, style);
    for (int column = 1; column < kColumns; ++column) {
        text += '\t';
        text += Field(column, style);
    }
    return text;
}

std::string CDifferenceLine::Header() {
    std::string text = kColumnNames[0];
    for (int column = 1; column < kColumns; ++column) {
        text += '\t';
        text += kColumnNames[column];
    }
    return text;
}

bool CDifferenceLine::WriteSummary(CBufferedWriter& out, const CompBlockList& blocks) {
    for (const CompBlock& block : blocks) {
        if (IsDifference(block)) {
            out.Write(CDifferenceLine(block).Text(Style::Summary) + '\n');
        }
    }
    return out.Error() == 0;
}
