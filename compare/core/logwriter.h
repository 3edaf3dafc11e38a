#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "complines.h"

class CBufferedWriter;
class CProgress;

// Writes a compare result as the text log: a header, then every row in the layout of the compare view,
// under a section line wherever the kind of row changes. Lines end in CR LF; bytes of the ANSI column
// are written as they are, but for control characters, which become ".".
class CLogWriter {
public:
    static constexpr std::string_view kHeader = "Dyadmon v3.0 log file.\r\n";

    // `offsetDigits`: OffsetDigits of the two files' sizes, for every piece of one log.
    CLogWriter(const CCompLines& lines, const std::uint8_t* buffer1, const std::uint8_t* buffer2, bool ansi,
               int offsetDigits);

    // Eight hex digits for files of up to 4 GiB, as always; past that as many as the largest offset
    // needs, so that the columns of one log stay aligned.
    static int OffsetDigits(std::uint64_t size1, std::uint64_t size2);

    static std::string_view SectionText(BlockKind kind);
    // The ANSI column shows control characters (0-31, 127, 128-159) as ".", everything else as itself.
    static constexpr bool ShowsAsDot(std::uint8_t b) { return b < 32 || b == 127 || (b >= 128 && b < 160); }

    // The kind of the last row written, for a log written in pieces.
    struct Section {
        bool started = false;
        BlockKind kind = BlockKind::Same;
    };

    // Header, section lines and every row; false when a write failed.
    bool WriteLog(CBufferedWriter& out) const;
    // The same, telling `progress` of the rows written; false also when it says to stop.
    bool WriteLog(CBufferedWriter& out, CProgress& progress) const;
    // Every row with its section lines, going on from `section`; false when a write failed.
    bool WriteRows(CBufferedWriter& out, Section& section) const;
    // The line of one row, without its section line.
    bool WriteLogLine(CBufferedWriter& out, std::uint64_t row) const;
    // The same line as text.
    std::string LineText(const CompLine& row) const;

private:
    std::size_t LineLength(BlockKind kind) const;
    // Formats the row's line at `to`, which has room for LineLength(kind) bytes.
    void FormatLine(const CompLine& row, char* to) const;
    void FillPart(char* part, std::uint64_t offset, const std::uint8_t* bytes, std::uint32_t length) const;
    bool WriteRows(CBufferedWriter& out, CProgress& progress, Section& section) const;

    const CCompLines& m_lines;
    const std::uint8_t* m_buffer1;
    const std::uint8_t* m_buffer2;
    std::uint32_t m_bytesPerLine;
    std::uint32_t m_lineMask; // bytesPerLine - 1 when a power of two, else 0
    bool m_ansi;
    std::size_t m_offsetDigits;
    std::size_t m_bytesColumn; // after "XXXXXXXX : "
    bool m_simd = false;       // eight bytes at a time where the processor can
    std::size_t m_partWidth;
    // Whole lines of blanks and separators, filled in per row.
    std::string m_bothSides;
    std::string m_file1Only;
    std::string m_file2Only;
};
