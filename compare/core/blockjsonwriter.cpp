#include "blockjsonwriter.h"

#include <charconv>
#include <cstring>

#include "bufferedwriter.h"

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

char* Number(char* to, std::uint64_t value) {
    return std::to_chars(to, to + 20, value).ptr;
}

char* Text(char* to, std::string_view text) {
    std::memcpy(to, text.data(), text.size());
    return to + text.size();
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

bool CBlockJsonWriter::Write(CBufferedWriter& out, const File& file1, const File& file2, int unit,
                             int lookAhead, bool identical, const CompBlockList& blocks) {
    const auto file = [&](const File& f) {
        return "{\"name\": " + Quote(f.name) + ", \"size\": " + std::to_string(f.size) + "}";
    };
    out.Write("{\n  \"file1\": " + file(file1) + ",\n  \"file2\": " + file(file2) +
              ",\n  \"unit\": " + std::to_string(unit) + ",\n  \"lookahead\": " + std::to_string(lookAhead) +
              ",\n  \"identical\": " + (identical ? "true" : "false") + ",\n  \"blocks\": [");
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const CompBlock& b = blocks[i];
        std::uint32_t offset1 = CompBlock::kAbsent;
        std::uint32_t offset2 = CompBlock::kAbsent;
        switch (b.kind) {
        case BlockKind::Same:
        case BlockKind::MoveFrom:
            offset1 = b.primary;
            offset2 = b.secondary;
            break;
        case BlockKind::Deleted:
            offset1 = b.primary;
            break;
        case BlockKind::New:
            offset2 = b.primary;
            break;
        case BlockKind::MoveTo:
            offset1 = b.secondary;
            offset2 = b.primary;
            break;
        }
        char* const start = out.Reserve(128);
        char* p = Text(start, i == 0 ? "\n    {\"kind\": \"" : ",\n    {\"kind\": \"");
        p = Text(p, KindName(b.kind));
        p = Text(p, "\", \"count\": ");
        p = Number(p, b.count);
        p = Text(p, ", \"offset1\": ");
        p = offset1 == CompBlock::kAbsent ? Text(p, "null") : Number(p, offset1);
        p = Text(p, ", \"offset2\": ");
        p = offset2 == CompBlock::kAbsent ? Text(p, "null") : Number(p, offset2);
        *p++ = '}';
        out.Commit(static_cast<std::size_t>(p - start));
        if (out.Error() != 0) {
            return false;
        }
    }
    out.Write(blocks.empty() ? "]\n}\n" : "\n  ]\n}\n");
    return out.Error() == 0;
}
