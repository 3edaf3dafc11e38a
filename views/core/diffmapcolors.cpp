#include "diffmapcolors.h"

#include <array>

#include "compare/core/complines.h"

namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFF;
constexpr std::size_t kKinds = 5;

using Counts = std::array<std::uint64_t, kKinds>;

// Rows of each kind before a row, for rows asked for in increasing order: one pass over the blocks.
class PrefixCounter {
public:
    explicit PrefixCounter(const CCompLines& lines) : m_lines(lines) {}

    Counts Before(std::uint64_t row) {
        const std::size_t blocks = m_lines.Blocks().size();
        while (m_block < blocks && m_lines.FirstRowOf(m_block + 1) <= row) {
            m_counts[static_cast<std::size_t>(m_lines.Blocks()[m_block].kind)] +=
                m_lines.FirstRowOf(m_block + 1) - m_lines.FirstRowOf(m_block);
            ++m_block;
        }
        Counts counts = m_counts;
        if (m_block < blocks) {
            counts[static_cast<std::size_t>(m_lines.Blocks()[m_block].kind)] +=
                row - m_lines.FirstRowOf(m_block);
        }
        return counts;
    }

private:
    const CCompLines& m_lines;
    std::size_t m_block = 0;
    Counts m_counts{};
};

std::uint32_t Channel(std::uint32_t color, int shift) {
    return (color >> shift) & 0xFF;
}

// Per channel: 255 for each white row, the kind's channel for each of the two coloured kinds.
std::uint32_t Mix(std::uint64_t white, std::uint64_t n1, std::uint32_t c1, std::uint64_t n2, std::uint32_t c2,
                  std::uint64_t total) {
    std::uint32_t mixed = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint64_t sum = 255 * white + n1 * Channel(c1, shift) + n2 * Channel(c2, shift);
        mixed |= static_cast<std::uint32_t>(sum / total) << shift;
    }
    return mixed;
}

} // namespace

std::vector<std::uint32_t> CDiffMapColors::Build(const CCompLines& lines, int height, const Colors& colors) {
    const std::uint64_t n = lines.GetCount();
    if (height <= 0) {
        return {};
    }
    std::vector<std::uint32_t> pixels(2 * static_cast<std::size_t>(height), kWhite);
    if (n == 0) {
        return pixels;
    }
    PrefixCounter starts(lines);
    PrefixCounter ends(lines);
    const auto h = static_cast<std::uint64_t>(height);
    for (std::uint64_t y = 0; y < h; ++y) {
        const std::uint64_t a = y * n / h;
        const std::uint64_t next = (y + 1) * n / h;
        const std::uint64_t b = next > a ? next - 1 : a;
        const Counts before = starts.Before(a);
        const Counts through = ends.Before(b + 1);
        Counts c;
        for (std::size_t k = 0; k < kKinds; ++k) {
            c[k] = through[k] - before[k];
        }
        const std::uint64_t same = c[0], added = c[1], deleted = c[2], moveFrom = c[3], moveTo = c[4];
        const std::uint64_t total = same + added + deleted + moveFrom + moveTo;
        pixels[2 * y] = Mix(same + added + moveTo, deleted, colors.deleted, moveFrom, colors.moveFrom, total);
        pixels[2 * y + 1] = Mix(same + deleted + moveFrom, added, colors.added, moveTo, colors.moveTo, total);
    }
    return pixels;
}
