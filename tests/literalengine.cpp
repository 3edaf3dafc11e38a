#include "literalengine.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr std::int64_t kAbsent = -1;

struct Record {
    BlockKind kind;
    std::uint32_t count = 1;
    std::int64_t primary;
    std::int64_t secondary;
    Record* next = nullptr;
    Record* prev = nullptr;
};

class Walk {
public:
    Walk(const std::uint8_t* b1, std::uint32_t s1, const std::uint8_t* b2, std::uint32_t s2, int unit,
         int lookAhead)
        : m_b1(b1), m_b2(b2), m_s1(s1), m_s2(s2), m_u(unit), m_n(lookAhead) {}

    ~Walk() {
        for (Record* r = m_head; r != nullptr;) {
            Record* next = r->next;
            delete r;
            r = next;
        }
    }

    CompBlockList Run() {
        std::int64_t p1 = 0;
        std::int64_t p2 = 0;
        if (m_s1 != 0) {
            do {
                if (!InRange2(p2)) {
                    break;
                }
                if (Equal(p1, p2)) {
                    Append(BlockKind::Same, p1, p2);
                    p1 = Step1(p1);
                    p2 = Step2(p2);
                } else {
                    std::int64_t q2 = kAbsent;
                    std::int64_t pos = p2;
                    for (int i = 0; i < m_n; ++i) {
                        pos = Step2(pos);
                        if (!InRange2(pos)) {
                            break;
                        }
                        if (Equal(p1, pos)) {
                            q2 = pos;
                            break;
                        }
                    }
                    bool found1 = false;
                    pos = p1;
                    for (int i = 0; i < m_n; ++i) {
                        pos = Step1(pos);
                        if (!InRange1(pos)) {
                            break;
                        }
                        if (Equal(pos, p2)) {
                            found1 = true;
                            break;
                        }
                    }
                    if (found1) {
                        if (q2 != kAbsent) {
                            Append(BlockKind::MoveFrom, p1, q2);
                            Append(BlockKind::MoveTo, q2, p1);
                        } else {
                            Append(BlockKind::Deleted, p1, kAbsent);
                        }
                        p1 = Step1(p1);
                    } else if (q2 != kAbsent) {
                        Append(BlockKind::New, p2, kAbsent);
                        p2 = Step2(p2);
                    } else {
                        Append(BlockKind::Deleted, p1, kAbsent);
                        Append(BlockKind::New, p2, kAbsent);
                        p1 = Step1(p1);
                        p2 = Step2(p2);
                    }
                }
            } while (InRange1(p1));
        }
        while (InRange1(p1)) {
            Append(BlockKind::Deleted, p1, kAbsent);
            p1 = Step1(p1);
        }
        while (InRange2(p2)) {
            Append(BlockKind::New, p2, kAbsent);
            p2 = Step2(p2);
        }
        while (m_pendingHead != nullptr) {
            Record* r = m_pendingHead;
            m_pendingHead = r->next;
            LinkAtTail(r);
        }

        CompBlockList out;
        for (Record* r = m_head; r != nullptr; r = r->next) {
            out.push_back(
                {r->kind, r->count, static_cast<std::uint32_t>(r->primary),
                 r->secondary == kAbsent ? CompBlock::kAbsent : static_cast<std::uint32_t>(r->secondary)});
        }
        return out;
    }

private:
    bool InRange1(std::int64_t pos) const { return pos < m_s1; }
    bool InRange2(std::int64_t pos) const { return pos < m_s2; }

    // Units of 1 and 2 bytes byte by byte, wider units as 32-bit words.
    bool Equal(std::int64_t a, std::int64_t b) const {
        if (m_u < 4) {
            for (int i = 0; i < m_u; ++i) {
                if (m_b1[a + i] != m_b2[b + i]) {
                    return false;
                }
            }
            return true;
        }
        for (int i = 0; i < m_u; i += 4) {
            std::uint32_t x;
            std::uint32_t y;
            std::memcpy(&x, m_b1 + a + i, 4);
            std::memcpy(&y, m_b2 + b + i, 4);
            if (x != y) {
                return false;
            }
        }
        return true;
    }

    std::int64_t Advance(std::int64_t pos, std::uint32_t units) const {
        return pos == kAbsent ? kAbsent : pos + std::int64_t{units} * m_u;
    }

    bool InPending(std::int64_t pos) const {
        for (Record* r = m_pendingHead; r != nullptr; r = r->next) {
            if (r->primary <= pos && pos < Advance(r->primary, r->count)) {
                return true;
            }
        }
        return false;
    }

    std::int64_t Step1(std::int64_t pos) const { return pos + m_u; }

    std::int64_t Step2(std::int64_t pos) const {
        pos += m_u;
        while (InPending(pos)) {
            pos += m_u;
        }
        return pos;
    }

    void LinkAtTail(Record* r) {
        r->next = nullptr;
        r->prev = m_tail;
        if (m_tail != nullptr) {
            m_tail->next = r;
        } else {
            m_head = r;
        }
        m_tail = r;
    }

    void UnlinkTail() {
        Record* r = m_tail;
        m_tail = r->prev;
        if (m_tail != nullptr) {
            m_tail->next = nullptr;
        } else {
            m_head = nullptr;
        }
        delete r;
    }

    void Append(BlockKind kind, std::int64_t primary, std::int64_t secondary) {
        auto* rec = new Record{kind, 1, primary, secondary};
        if (kind == BlockKind::MoveTo) {
            Record* last = nullptr;
            for (Record* r = m_pendingHead; r != nullptr; r = r->next) {
                if (r->primary < primary) {
                    last = r;
                }
            }
            if (last != nullptr && Advance(last->primary, last->count) == primary &&
                Advance(last->secondary, last->count) == secondary) {
                ++last->count;
                delete rec;
                return;
            }
            if (last != nullptr) {
                rec->next = last->next;
                last->next = rec;
            } else {
                rec->next = m_pendingHead;
                m_pendingHead = rec;
            }
            return;
        }
        if (kind == BlockKind::Same || kind == BlockKind::New) {
            const std::int64_t pos2 = kind == BlockKind::Same ? secondary : primary;
            while (m_pendingHead != nullptr && m_pendingHead->primary < pos2) {
                Record* r = m_pendingHead;
                m_pendingHead = r->next;
                LinkAtTail(r);
                m_openDeleted = nullptr;
            }
        }
        LinkAtTail(rec);
        if (kind == BlockKind::Deleted) {
            if (m_openDeleted == nullptr) {
                m_openDeleted = rec;
            } else {
                ++m_openDeleted->count;
                UnlinkTail();
            }
            return;
        }
        if (kind == BlockKind::Same || kind == BlockKind::MoveFrom) {
            m_openDeleted = nullptr;
        }
        Record* before = rec->prev;
        if (before != nullptr && before->kind == kind && Advance(before->primary, before->count) == primary &&
            Advance(before->secondary, before->count) == secondary) {
            ++before->count;
            UnlinkTail();
        }
    }

    const std::uint8_t* m_b1;
    const std::uint8_t* m_b2;
    std::int64_t m_s1;
    std::int64_t m_s2;
    int m_u;
    int m_n;
    Record* m_head = nullptr;
    Record* m_tail = nullptr;
    Record* m_pendingHead = nullptr;
    Record* m_openDeleted = nullptr;
};

} // namespace

CompBlockList CLiteralEngine::Run(const std::uint8_t* buffer1, std::uint32_t size1,
                                  const std::uint8_t* buffer2, std::uint32_t size2, int unit, int lookAhead) {
    return Walk(buffer1, size1, buffer2, size2, unit, lookAhead).Run();
}

std::vector<CompLine> CLiteralEngine::BuildRows(const CompBlockList& blocks, int unit, std::uint32_t size1,
                                                std::uint32_t size2, int bytesPerLine) {
    std::vector<CompLine> rows;
    const std::int64_t line = bytesPerLine;
    // The bytes [from, to) of one file as rows of `kind`, cut at its line boundaries.
    const auto oneSide = [&](BlockKind kind, bool inFile2, std::int64_t from, std::int64_t to) {
        for (std::int64_t pos = from; pos < to;) {
            const std::int64_t length = std::min(line - pos % line, to - pos);
            rows.push_back({kind, inFile2 ? 0 : static_cast<std::uint64_t>(pos),
                            inFile2 ? static_cast<std::uint64_t>(pos) : 0,
                            static_cast<std::uint32_t>(length)});
            pos += length;
        }
    };
    for (const CompBlock& b : blocks) {
        const auto bytes = static_cast<std::int64_t>(b.count) * unit;
        if (b.kind != BlockKind::Same) {
            const bool inFile2 = b.kind == BlockKind::New || b.kind == BlockKind::MoveTo;
            oneSide(b.kind, inFile2, b.primary,
                    std::min<std::int64_t>(b.primary + bytes, inFile2 ? size2 : size1));
            continue;
        }
        // Byte by byte while both files have one; the longer file's bytes left in the block follow.
        std::int64_t walked = 0;
        while (walked < bytes && b.primary + walked < size1 && b.secondary + walked < size2) {
            const std::int64_t o1 = b.primary + walked;
            const std::int64_t o2 = b.secondary + walked;
            const std::int64_t room = std::min(line - o1 % line, line - o2 % line);
            std::int64_t length = 0;
            while (length < room && walked + length < bytes && o1 + length < size1 && o2 + length < size2) {
                ++length;
            }
            rows.push_back({BlockKind::Same, static_cast<std::uint32_t>(o1), static_cast<std::uint32_t>(o2),
                            static_cast<std::uint32_t>(length)});
            walked += length;
        }
        oneSide(BlockKind::Deleted, false, b.primary + walked,
                std::min<std::int64_t>(b.primary + bytes, size1));
        oneSide(BlockKind::New, true, b.secondary + walked,
                std::min<std::int64_t>(b.secondary + bytes, size2));
    }
    return rows;
}
