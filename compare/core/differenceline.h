#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "compengine.h"

class CBufferedWriter;

// One difference of a comparison, a block other than Same as the rows show it (bytes, cut at the
// files' ends), as a line of text: its kind, where it lies in file 1 and in file 2, and its length.
// `dyadmon-cli compare --format summary` writes these lines with decimal offsets for scripts; the
// Differences pane shows them with offsets in hex, as the compare view does, and copies them so.
class CDifferenceLine {
public:
    enum class Style {
        Summary, // kinds as JSON names them, decimal offsets
        Shown,   // kinds in words, offsets in eight or more hex digits
    };
    static constexpr int kColumns = 4;
    static constexpr const char* kColumnNames[kColumns] = {"Kind", "Offset in file 1", "Offset in file 2",
                                                           "Length"};

    // Any block, though the lists leave Same blocks out.
    explicit CDifferenceLine(const CompBlock& block);

    static bool IsDifference(const CompBlock& block) { return block.kind != BlockKind::Same; }

    BlockKind Kind() const { return m_kind; }
    // Nothing where the block has no part in that file: New has no offset in file 1, Deleted none in
    // file 2; a move names both ends.
    std::optional<std::uint64_t> Offset1() const { return m_offset1; }
    std::optional<std::uint64_t> Offset2() const { return m_offset2; }
    std::uint64_t Length() const { return m_length; }

    // Column `column` (< kColumns) as text; "-" for an offset the block does not have.
    std::string Field(int column, Style style) const;
    // The fields joined by tabs, without a line end.
    std::string Text(Style style) const;
    // The column names joined by tabs, without a line end.
    static std::string Header();

    // A summary line for each difference in `blocks`, ended by "\n"; false once a write has failed.
    static bool WriteSummary(CBufferedWriter& out, const CompBlockList& blocks);

private:
    BlockKind m_kind;
    std::optional<std::uint64_t> m_offset1;
    std::optional<std::uint64_t> m_offset2;
    std::uint64_t m_length;
};
