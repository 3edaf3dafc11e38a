#include "logwriter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define DYAD_HAVE_SSSE3_PATH 1
#endif

#include "files/bufferedwriter.h"
#include "files/progress.h"

namespace {

constexpr std::string_view kSideGap = "     ";
constexpr std::string_view kLineEnd = "\r\n";
constexpr int kShortOffsetDigits = 8;

struct Tables {
    // "XX  ": stored four bytes at a time, three apart, the fourth byte overwritten by the next.
    std::array<std::uint32_t, 256> hex4{};
    std::array<std::array<char, 2>, 256> hex{};
    std::array<char, 256> ansi{};

    Tables() {
        constexpr char digits[] = "0123456789ABCDEF";
        for (int b = 0; b < 256; ++b) {
            hex[b] = {digits[b >> 4], digits[b & 15]};
            const char text[4] = {digits[b >> 4], digits[b & 15], ' ', ' '};
            std::memcpy(&hex4[b], text, 4);
            ansi[b] = CLogWriter::ShowsAsDot(static_cast<std::uint8_t>(b)) ? '.' : static_cast<char>(b);
        }
    }
};

const Tables& Table() {
    static const Tables tables;
    return tables;
}

#if DYAD_HAVE_SSSE3_PATH
// Eight bytes as "XX " columns (24 characters) and, when `chars` is set, as eight characters with
// the control characters shown as ".".
__attribute__((target("ssse3"))) void FormatEight(const std::uint8_t* bytes, char* hex, char* chars) {
    const __m128i x = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes));
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i hi = _mm_and_si128(_mm_srli_epi16(x, 4), nibble);
    const __m128i lo = _mm_and_si128(x, nibble);
    const __m128i digits =
        _mm_setr_epi8('0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E', 'F');
    const __m128i pairs = _mm_shuffle_epi8(digits, _mm_unpacklo_epi8(hi, lo));
    // Spread the sixteen digits over 24 places, a space after every pair.
    const __m128i spread0 = _mm_setr_epi8(0, 1, -1, 2, 3, -1, 4, 5, -1, 6, 7, -1, 8, 9, -1, 10);
    const __m128i spread1 = _mm_setr_epi8(11, -1, 12, 13, -1, 14, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i blanks0 = _mm_setr_epi8(0, 0, ' ', 0, 0, ' ', 0, 0, ' ', 0, 0, ' ', 0, 0, ' ', 0);
    const __m128i blanks1 = _mm_setr_epi8(0, ' ', 0, 0, ' ', 0, 0, ' ', 0, 0, 0, 0, 0, 0, 0, 0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(hex),
                     _mm_or_si128(_mm_shuffle_epi8(pairs, spread0), blanks0));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(hex + 16),
                     _mm_or_si128(_mm_shuffle_epi8(pairs, spread1), blanks1));
    if (chars != nullptr) {
        // Signed compares after flipping the top bit compare unsigned: controls are 0-31, 127, 128-159.
        const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
        const __m128i s = _mm_xor_si128(x, flip);
        const __m128i low = _mm_cmplt_epi8(s, _mm_set1_epi8(static_cast<char>(0x80 + 32)));
        const __m128i del = _mm_cmpeq_epi8(x, _mm_set1_epi8(127));
        const __m128i c1 = _mm_and_si128(_mm_cmplt_epi8(x, _mm_set1_epi8(static_cast<char>(0xA0))),
                                         _mm_cmplt_epi8(x, _mm_setzero_si128()));
        const __m128i control = _mm_or_si128(_mm_or_si128(low, del), c1);
        const __m128i shown =
            _mm_or_si128(_mm_and_si128(control, _mm_set1_epi8('.')), _mm_andnot_si128(control, x));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(chars), shown);
    }
}

bool CanFormatEight() {
    static const bool supported = __builtin_cpu_supports("ssse3");
    return supported;
}
#endif

} // namespace

CLogWriter::CLogWriter(const CCompLines& lines, const std::uint8_t* buffer1, const std::uint8_t* buffer2,
                       bool ansi, int offsetDigits)
    : m_lines(lines), m_buffer1(buffer1), m_buffer2(buffer2),
      m_bytesPerLine(static_cast<std::uint32_t>(lines.BytesPerLine())),
      m_lineMask(std::has_single_bit(m_bytesPerLine) ? m_bytesPerLine - 1 : 0), m_ansi(ansi),
      m_offsetDigits(static_cast<std::size_t>(std::clamp(offsetDigits, kShortOffsetDigits, 16))),
      m_bytesColumn(m_offsetDigits + 3) {
#if DYAD_HAVE_SSSE3_PATH
    m_simd = CanFormatEight();
#endif
    std::string part = std::string(m_offsetDigits, '0') + " : " + std::string(3 * m_bytesPerLine, ' ') + "; ";
    if (m_ansi) {
        part.append(m_bytesPerLine, ' ');
    }
    m_partWidth = part.size();
    const std::string side2 = std::string(kSideGap) + part;
    m_bothSides = part + side2 + std::string(kLineEnd);
    m_file1Only = part + std::string(kLineEnd);
    m_file2Only = std::string(m_partWidth, ' ') + side2 + std::string(kLineEnd);
}

std::string_view CLogWriter::SectionText(BlockKind kind) {
    switch (kind) {
    case BlockKind::Same:
        return "\r\n--  Same block  --\r\n";
    case BlockKind::New:
        return "\r\n--  New block  --\r\n";
    case BlockKind::Deleted:
        return "\r\n--  Deleted block  --\r\n";
    case BlockKind::MoveFrom:
    case BlockKind::MoveTo:
        break;
    }
    return "\r\n--  Moved block  --\r\n";
}

std::size_t CLogWriter::LineLength(BlockKind kind) const {
    switch (kind) {
    case BlockKind::Same:
        return m_bothSides.size();
    case BlockKind::Deleted:
    case BlockKind::MoveFrom:
        return m_file1Only.size();
    case BlockKind::New:
    case BlockKind::MoveTo:
        break;
    }
    return m_file2Only.size();
}

int CLogWriter::OffsetDigits(std::uint64_t size1, std::uint64_t size2) {
    const std::uint64_t largest = std::max(size1, size2);
    if (largest <= (std::uint64_t{1} << 32)) {
        return kShortOffsetDigits;
    }
    return (std::bit_width(largest - 1) + 3) / 4;
}

void CLogWriter::FillPart(char* part, std::uint64_t offset, const std::uint8_t* bytes,
                          std::uint32_t length) const {
    const Tables& t = Table();
    if (m_offsetDigits == kShortOffsetDigits) {
        for (std::size_t i = 0; i < kShortOffsetDigits / 2; ++i) {
            std::memcpy(part + 2 * i, t.hex[(offset >> (24 - 8 * i)) & 0xFF].data(), 2);
        }
    } else {
        for (std::size_t i = 0; i < m_offsetDigits; ++i) {
            part[i] = t.hex[(offset >> (4 * (m_offsetDigits - 1 - i))) & 0xF][1];
        }
    }
    const auto column =
        static_cast<std::uint32_t>(m_lineMask != 0 ? offset & m_lineMask : offset % m_bytesPerLine);
    char* hex = part + m_bytesColumn + 3 * column;
    char* chars = m_ansi ? part + m_bytesColumn + 3 * m_bytesPerLine + 2 + column : nullptr;
    std::uint32_t done = 0;
#if DYAD_HAVE_SSSE3_PATH
    if (m_simd) {
        for (; done + 8 <= length; done += 8) {
            FormatEight(bytes + done, hex + 3 * done, chars != nullptr ? chars + done : nullptr);
        }
        if (done == length) {
            return;
        }
    }
#endif
    // The last byte's entry would spill onto the "; " after the last column: store it short.
    std::uint32_t i = done;
    for (; i + 1 < length; ++i) {
        std::memcpy(hex + 3 * i, &t.hex4[bytes[i]], 4);
    }
    std::memcpy(hex + 3 * i, t.hex[bytes[i]].data(), 2);
    if (chars != nullptr) {
        for (i = done; i < length; ++i) {
            chars[i] = t.ansi[bytes[i]];
        }
    }
}

void CLogWriter::FormatLine(const CompLine& row, char* to) const {
    const std::size_t side2 = m_partWidth + kSideGap.size();
    switch (row.kind) {
    case BlockKind::Same:
        std::memcpy(to, m_bothSides.data(), m_bothSides.size());
        FillPart(to, row.offset1, m_buffer1 + row.offset1, row.length);
        FillPart(to + side2, row.offset2, m_buffer2 + row.offset2, row.length);
        return;
    case BlockKind::Deleted:
    case BlockKind::MoveFrom:
        std::memcpy(to, m_file1Only.data(), m_file1Only.size());
        FillPart(to, row.offset1, m_buffer1 + row.offset1, row.length);
        return;
    case BlockKind::New:
    case BlockKind::MoveTo:
        std::memcpy(to, m_file2Only.data(), m_file2Only.size());
        FillPart(to + side2, row.offset2, m_buffer2 + row.offset2, row.length);
        return;
    }
}

std::string CLogWriter::LineText(const CompLine& row) const {
    std::string text(LineLength(row.kind), ' ');
    FormatLine(row, text.data());
    return text;
}

bool CLogWriter::WriteLogLine(CBufferedWriter& out, std::uint64_t row) const {
    const CompLine line = m_lines.GetAt(row);
    const std::size_t length = LineLength(line.kind);
    FormatLine(line, out.Reserve(length));
    out.Commit(length);
    return out.Error() == 0;
}

bool CLogWriter::WriteLog(CBufferedWriter& out) const {
    CProgress quiet;
    return WriteLog(out, quiet);
}

bool CLogWriter::WriteLog(CBufferedWriter& out, CProgress& progress) const {
    // About a few megabytes of text between reports.
    constexpr std::uint64_t kRowsPerReport = 1u << 16;
    progress.Start(m_lines.GetCount(), kRowsPerReport);
    out.Write(kHeader);
    Section section;
    if (!WriteRows(out, progress, section)) {
        return false;
    }
    progress.Finish();
    return true;
}

bool CLogWriter::WriteRows(CBufferedWriter& out, Section& section) const {
    CProgress quiet;
    return WriteRows(out, quiet, section);
}

bool CLogWriter::WriteRows(CBufferedWriter& out, CProgress& progress, Section& section) const {
    bool stopped = false;
    std::uint64_t done = 0;
    m_lines.ForEach(0, m_lines.GetCount(), [&](const CompLine& row) {
        if (!progress.Update(done++)) {
            stopped = true;
            return false;
        }
        if (!section.started || row.kind != section.kind) {
            out.Write(SectionText(row.kind));
            section = {true, row.kind};
        }
        const std::size_t length = LineLength(row.kind);
        FormatLine(row, out.Reserve(length));
        out.Commit(length);
        return out.Error() == 0;
    });
    return !stopped && out.Error() == 0;
}
