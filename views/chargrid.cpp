#include "chargrid.h"

#include <algorithm>
#include <vector>

#include <QFile>
#include <QGlyphRun>
#include <QPainter>
#include <QString>

#include "compare/core/logwriter.h"

namespace {

QByteArray BundledFont() {
    QFile file(QStringLiteral(":/fonts/LiberationMono-Regular.ttf"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

constexpr char kDigits[] = "0123456789ABCDEF";

} // namespace

CCharGrid::CCharGrid() : m_font(BundledFont(), kPixelSize, QFont::PreferFullHinting) {
    QString latin1(256, QChar(' '));
    for (int c = 32; c < 256; ++c) {
        latin1[c] = QChar(c);
    }
    const QList<quint32> glyphs = m_font.glyphIndexesForString(latin1);
    for (int c = 0; c < 256 && c < glyphs.size(); ++c) {
        m_glyph[static_cast<std::size_t>(c)] = glyphs[c];
    }
}

bool CCharGrid::HasCellAdvance() const {
    if (!m_font.isValid()) {
        return false;
    }
    const QList<QPointF> advances =
        m_font.advancesForGlyphIndexes(QList<quint32>{m_glyph['0'], m_glyph['M']});
    for (const QPointF& advance : advances) {
        if (qRound(advance.x()) != kCellWidth) {
            return false;
        }
    }
    return true;
}

void CCharGrid::DrawGlyphs(QPainter& painter, int x, int y, const quint32* glyphs, const QPointF* positions,
                           int count) const {
    if (count == 0) {
        return;
    }
    QGlyphRun run;
    run.setRawFont(m_font);
    run.setRawData(glyphs, positions, count);
    painter.drawGlyphRun(QPointF(x, y + kBaseline), run);
}

void CCharGrid::DrawText(QPainter& painter, int x, int y, std::string_view text) const {
    std::vector<quint32> glyphs;
    std::vector<QPointF> positions;
    glyphs.reserve(text.size());
    positions.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != ' ') {
            glyphs.push_back(m_glyph[static_cast<std::uint8_t>(text[i])]);
            positions.emplace_back(static_cast<double>(kCellWidth * i), 0.0);
        }
    }
    DrawGlyphs(painter, x, y, glyphs.data(), positions.data(), static_cast<int>(glyphs.size()));
}

void CCharGrid::DrawOffset(QPainter& painter, int x, int y, std::uint64_t offset, int digits) const {
    char text[16];
    const int n = std::clamp(digits, 1, 16);
    for (int i = 0; i < n; ++i) {
        text[i] = kDigits[(offset >> (4 * (n - 1 - i))) & 15];
    }
    DrawText(painter, x, y, std::string_view(text, static_cast<std::size_t>(n)));
}

void CCharGrid::DrawHexBytes(QPainter& painter, int x, int y, const std::uint8_t* bytes,
                             std::uint32_t count) const {
    std::vector<quint32> glyphs(2 * std::size_t{count});
    std::vector<QPointF> positions(glyphs.size());
    for (std::uint32_t i = 0; i < count; ++i) {
        glyphs[2 * i] = m_glyph[static_cast<std::uint8_t>(kDigits[bytes[i] >> 4])];
        glyphs[2 * i + 1] = m_glyph[static_cast<std::uint8_t>(kDigits[bytes[i] & 15])];
        positions[2 * i] = QPointF(3.0 * kCellWidth * i, 0.0);
        positions[2 * i + 1] = QPointF(3.0 * kCellWidth * i + kCellWidth, 0.0);
    }
    DrawGlyphs(painter, x, y, glyphs.data(), positions.data(), static_cast<int>(glyphs.size()));
}

void CCharGrid::DrawAnsiBytes(QPainter& painter, int x, int y, const std::uint8_t* bytes,
                              std::uint32_t count) const {
    std::vector<quint32> glyphs;
    std::vector<QPointF> positions;
    glyphs.reserve(count);
    positions.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t shown = CLogWriter::ShowsAsDot(bytes[i]) ? '.' : bytes[i];
        if (shown != ' ' && shown != 0xA0) {
            glyphs.push_back(m_glyph[shown]);
            positions.emplace_back(static_cast<double>(kCellWidth) * i, 0.0);
        }
    }
    DrawGlyphs(painter, x, y, glyphs.data(), positions.data(), static_cast<int>(glyphs.size()));
}
