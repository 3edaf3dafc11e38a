#include "blockjsonwriter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <utility>

#include "files/bufferedwriter.h"

namespace {

// Length of the well-formed UTF-8 sequence at the start of `s`, or 0.
std::size_t Utf8Length(std::string_view s) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b = byte(0);
    std::size_t length;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (b < 0x80) {
        return 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        lo = b == 0xE0 ? 0xA0 : 0x80;
        hi = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        lo = b == 0xF0 ? 0x90 : 0x80;
        hi = b == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (s.size() < length || byte(1) < lo || byte(1) > hi) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

// Decimal digits two at a time from a table, stored straight into place from the right.
char* Number32(char* to, std::uint32_t value) {
    static constexpr auto kPairs = [] {
        std::array<char, 200> pairs{};
        for (int i = 0; i < 100; ++i) {
            pairs[2 * i] = static_cast<char>('0' + i / 10);
            pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
        }
        return pairs;
    }();
    static constexpr std::uint32_t kPowers[] = {1,      10,      100,      1000,      10000,
                                                100000, 1000000, 10000000, 100000000, 1000000000};
    if (value < 10) {
        *to = static_cast<char>('0' + value);
        return to + 1;
    }
    // log10 from log2: 1233 / 4096 is just above log10(2).
    const int guess = (std::bit_width(value) * 1233) >> 12;
    char* const end = to + guess + (value >= kPowers[guess] ? 1 : 0);
    char* p = end;
    while (value >= 100) {
        p -= 2;
        std::memcpy(p, &kPairs[2 * (value % 100)], 2);
        value /= 100;
    }
    if (value >= 10) {
        std::memcpy(p - 2, &kPairs[2 * value], 2);
    } else {
        p[-1] = static_cast<char>('0' + value);
    }
    return end;
}

// Offsets past 4 GiB are rare enough for the library's conversion.
char* Number(char* to, std::uint64_t value) {
    if (value > 0xFFFFFFFFu) {
        return std::to_chars(to, to + 20, value).ptr;
    }
    return Number32(to, static_cast<std::uint32_t>(value));
}

// The fixed text around a block's three numbers, per kind; a piece is copied with a fixed-size copy
// and the cursor moves on by its length.
struct Piece {
    char text[48];
    std::size_t length;
};

constexpr Piece MakePiece(std::string_view text) {
    Piece piece{};
    for (std::size_t i = 0; i < text.size(); ++i) {
        piece.text[i] = text[i];
    }
    piece.length = text.size();
    return piece;
}

struct KindPieces {
    Piece head;   // up to the count, after a comma that the first block leaves out
    Piece middle; // between the count and the first number after it
    Piece tail;   // between that number and the last, or the end
    bool twoNumbers;
};

constexpr KindPieces MakeKind(std::string_view name, bool offset1, bool offset2) {
    std::string_view middle = offset1 ? ", \"offset1\": " : ", \"offset1\": null, \"offset2\": ";
    std::string_view tail = offset2 ? (offset1 ? ", \"offset2\": " : "}") : ", \"offset2\": null}";
    KindPieces pieces{};
    Piece head{};
    constexpr std::string_view before = ",\n    {\"kind\": \"";
    constexpr std::string_view after = "\", \"count\": ";
    std::size_t n = 0;
    for (char c : before) {
        head.text[n++] = c;
    }
    for (char c : name) {
        head.text[n++] = c;
    }
    for (char c : after) {
        head.text[n++] = c;
    }
    head.length = n;
    pieces.head = head;
    pieces.middle = MakePiece(middle);
    pieces.tail = MakePiece(tail);
    pieces.twoNumbers = offset1 && offset2;
    return pieces;
}

// In BlockKind's order.
constexpr KindPieces kKinds[] = {
    MakeKind("same", true, true),     MakeKind("new", false, true),   MakeKind("deleted", true, false),
    MakeKind("movefrom", true, true), MakeKind("moveto", true, true),
};

char* Put(char* to, const Piece& piece) {
    std::memcpy(to, piece.text, sizeof piece.text);
    return to + piece.length;
}

// A block's line, with the comma and line break before it, is at most 93 characters, but writes
// up to 129 bytes from its start: a piece is copied whole.
constexpr std::size_t kMaxLine = 160;
constexpr std::size_t kLinesPerReserve = CBufferedWriter::kMaxReserve / kMaxLine;

// The block's line at `to`; its length.
std::size_t PutLine(char* to, const CompBlock& b) {
    const KindPieces& kind = kKinds[static_cast<std::size_t>(b.kind)];
    // MoveTo's file-1 offset is its source, the secondary; every other kind leads with primary.
    const bool moveTo = b.kind == BlockKind::MoveTo;
    char* p = Put(to, kind.head);
    p = Number(p, b.count);
    p = Put(p, kind.middle);
    p = Number(p, moveTo ? b.secondary : b.primary);
    p = Put(p, kind.tail);
    if (kind.twoNumbers) {
        p = Number(p, moveTo ? b.primary : b.secondary);
        *p++ = '}';
    }
    return static_cast<std::size_t>(p - to);
}

} // namespace

std::string_view CBlockJsonWriter::KindName(BlockKind kind) {
    switch (kind) {
    case BlockKind::Same:
        return "same";
    case BlockKind::New:
        return "new";
    case BlockKind::Deleted:
        return "deleted";
    case BlockKind::MoveFrom:
        return "movefrom";
    case BlockKind::MoveTo:
        break;
    }
    return "moveto";
}

std::string CBlockJsonWriter::Quote(std::string_view text) {
    std::string out = "\"";
    while (!text.empty()) {
        const char c = text.front();
        const std::size_t length = Utf8Length(text);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            text.remove_prefix(1);
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            constexpr char digits[] = "0123456789abcdef";
            out += "\\u00";
            out += digits[(c >> 4) & 0xF];
            out += digits[c & 0xF];
        } else {
            out.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    out += '"';
    return out;
}

CBlockJsonWriter::CBlockJsonWriter(CBufferedWriter& out, const File& file1, const File& file2, int unit,
                                   int lookAhead, bool identical)
    : CBlockJsonWriter(out, file1, file2, unit, lookAhead) {
    WriteHead(identical);
}

CBlockJsonWriter::CBlockJsonWriter(CBufferedWriter& out, const File& file1, const File& file2, int unit,
                                   int lookAhead)
    : m_out(out), m_sameSizes(file1.size == file2.size) {
    const auto file = [&](const File& f) {
        return "{\"name\": " + Quote(f.name) + ", \"size\": " + std::to_string(f.size) + "}";
    };
    m_head = "{\n  \"file1\": " + file(file1) + ",\n  \"file2\": " + file(file2) +
             ",\n  \"unit\": " + std::to_string(unit) + ",\n  \"lookahead\": " + std::to_string(lookAhead);
}

void CBlockJsonWriter::WriteHead(bool identical) {
    m_identical = identical;
    m_out.Write(m_head + ",\n  \"identical\": " + (identical ? "true" : "false") + ",\n  \"blocks\": [");
    m_head.clear();
}

bool CBlockJsonWriter::Add(std::span<const CompBlock> blocks) {
    if (m_head.empty()) {
        return Put(blocks);
    }
    if (std::all_of(blocks.begin(), blocks.end(),
                    [](const CompBlock& b) { return b.kind == BlockKind::Same; })) {
        m_leadingSame.insert(m_leadingSame.end(), blocks.begin(), blocks.end());
        return m_out.Error() == 0;
    }
    WriteHead(false);
    return Put(std::exchange(m_leadingSame, {})) && Put(blocks);
}

bool CBlockJsonWriter::Put(std::span<const CompBlock> blocks) {
    // The first block of the document has no comma before it.
    if (!m_any && !blocks.empty()) {
        char* const start = m_out.Reserve(kMaxLine);
        const std::size_t length = PutLine(start, blocks.front());
        std::memmove(start, start + 1, length - 1);
        m_out.Commit(length - 1);
        blocks = blocks.subspan(1);
        m_any = true;
    }
    while (!blocks.empty()) {
        const std::size_t n = std::min(blocks.size(), kLinesPerReserve);
        char* const start = m_out.Reserve(n * kMaxLine);
        char* p = start;
        for (const CompBlock& block : blocks.first(n)) {
            p += PutLine(p, block);
        }
        m_out.Commit(static_cast<std::size_t>(p - start));
        blocks = blocks.subspan(n);
        if (m_out.Error() != 0) {
            return false;
        }
    }
    return m_out.Error() == 0;
}

bool CBlockJsonWriter::Finish() {
    if (!m_head.empty()) {
        WriteHead(m_sameSizes);
        Put(std::exchange(m_leadingSame, {}));
    }
    m_out.Write(m_any ? "\n  ]\n}\n" : "]\n}\n");
    return m_out.Error() == 0;
}

bool CBlockJsonWriter::Write(CBufferedWriter& out, const File& file1, const File& file2, int unit,
                             int lookAhead, bool identical, const CompBlockList& blocks) {
    CBlockJsonWriter writer(out, file1, file2, unit, lookAhead, identical);
    return writer.Add(blocks) && writer.Finish();
}
