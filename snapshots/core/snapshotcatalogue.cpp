#include "snapshotcatalogue.h"

#include <algorithm>

namespace {

class Reader {
public:
    explicit Reader(std::string_view bytes) : m_bytes(bytes) {}

    bool AtEnd() const { return m_pos == m_bytes.size(); }

    bool Number(std::uint32_t& value) {
        if (m_bytes.size() - m_pos < 4) {
            return false;
        }
        value = 0;
        for (int i = 3; i >= 0; --i) {
            value = (value << 8) | static_cast<unsigned char>(m_bytes[m_pos + static_cast<std::size_t>(i)]);
        }
        m_pos += 4;
        return true;
    }

    bool Bytes(std::size_t length, std::string& text) {
        if (m_bytes.size() - m_pos < length) {
            return false;
        }
        text.assign(m_bytes.substr(m_pos, length));
        m_pos += length;
        return true;
    }

    // A counted text. Once a length is over the limit the record is bad and no further text of it is
    // read: the lengths and the size after it are taken as they come.
    bool Text(std::string& text, bool& bad) {
        std::uint32_t length;
        if (!Number(length)) {
            return false;
        }
        if (length > CSnapshotCatalogue::kMaxText) {
            bad = true;
        }
        if (bad) {
            return true;
        }
        if (!Bytes(length, text)) {
            return false;
        }
        // A text ends at its first zero byte, if it holds one.
        text.resize(std::min(text.size(), text.find('\0')));
        return true;
    }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

void PutNumber(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

void PutText(std::string& out, const std::string& text) {
    PutNumber(out, static_cast<std::uint32_t>(text.size()));
    out += text;
}

} // namespace

bool CSnapshotCatalogue::IsImageName(std::string_view name) {
    return name.size() == 12 && name.starts_with("Hex") && name.ends_with(".img") &&
           std::all_of(name.begin() + 3, name.begin() + 8, [](char c) { return c >= '0' && c <= '9'; });
}

bool CSnapshotCatalogue::Fits(const SnapshotRecord& r) {
    return r.snapshotName.size() <= kMaxText && r.sourcePath.size() <= kMaxText &&
           r.sourceDate.size() <= kMaxText && r.description.size() <= kMaxText;
}

CSnapshotCatalogue::Contents CSnapshotCatalogue::Parse(std::string_view bytes) {
    Contents contents;
    Reader in(bytes);
    while (!in.AtEnd()) {
        SnapshotRecord r;
        bool bad = false;
        std::uint32_t imageLength = 0;
        const bool whole = in.Text(r.snapshotName, bad) && in.Text(r.sourcePath, bad) &&
                           in.Text(r.sourceDate, bad) && in.Number(r.size) && in.Text(r.description, bad) &&
                           in.Number(imageLength) && imageLength == 12 && in.Bytes(12, r.imageFile);
        if (!whole || bad || !IsImageName(r.imageFile)) {
            contents.damaged = true;
            break;
        }
        contents.records.push_back(std::move(r));
    }
    return contents;
}

std::string CSnapshotCatalogue::Serialize(const std::vector<SnapshotRecord>& records) {
    std::string out;
    for (const SnapshotRecord& r : records) {
        PutText(out, r.snapshotName);
        PutText(out, r.sourcePath);
        PutText(out, r.sourceDate);
        PutNumber(out, r.size);
        PutText(out, r.description);
        PutText(out, r.imageFile);
    }
    return out;
}
