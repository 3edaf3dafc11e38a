#include "testinputs.h"

#include <algorithm>

PaddedBytes::PaddedBytes(std::vector<std::uint8_t> data) : bytes(std::move(data)) {
    bytes.resize(bytes.size() + kPadding, 0);
}

namespace {

using Bytes = std::vector<std::uint8_t>;

class Maker {
public:
    explicit Maker(std::uint64_t seed) : m_rng(seed) {}

    std::size_t Below(std::size_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(m_rng);
    }
    bool Chance(int percent) { return static_cast<int>(Below(100)) < percent; }

    // A sequence of tokens drawn from a few, so that units of the token's size repeat.
    Bytes Tokens(std::size_t length) {
        const std::size_t tokenSize = std::size_t{1} << Below(5);
        const std::size_t alphabet = 1 + Below(4);
        std::vector<Bytes> tokens(1 + Below(4));
        for (Bytes& t : tokens) {
            for (std::size_t i = 0; i < tokenSize; ++i) {
                t.push_back(static_cast<std::uint8_t>(Chance(15) ? 0 : 'a' + Below(alphabet)));
            }
        }
        Bytes out;
        while (out.size() < length) {
            const Bytes& t = tokens[Below(tokens.size())];
            out.insert(out.end(), t.begin(), t.end());
        }
        out.resize(length);
        return out;
    }

    Bytes Random(std::size_t length) {
        Bytes out(length);
        const std::size_t alphabet = 1 + Below(Chance(20) ? 256 : 4);
        for (auto& b : out) {
            b = static_cast<std::uint8_t>(Below(alphabet));
        }
        return out;
    }

    Bytes Edit(Bytes data) {
        const std::size_t edits = Below(6);
        for (std::size_t e = 0; e < edits; ++e) {
            const std::size_t at = Below(data.size() + 1);
            const std::size_t span = 1 + Below(Chance(50) ? 4 : 40);
            switch (Below(5)) {
            case 0: { // insertion
                const Bytes extra = Chance(50) ? Tokens(span) : Random(span);
                data.insert(data.begin() + static_cast<std::ptrdiff_t>(at), extra.begin(), extra.end());
                break;
            }
            case 1: // deletion
                data.erase(data.begin() + static_cast<std::ptrdiff_t>(at),
                           data.begin() + static_cast<std::ptrdiff_t>(std::min(data.size(), at + span)));
                break;
            case 2: // change in place
                for (std::size_t i = at; i < std::min(data.size(), at + span); ++i) {
                    data[i] = static_cast<std::uint8_t>(Below(Chance(50) ? 4 : 256));
                }
                break;
            case 3: { // a stretch moved elsewhere
                const std::size_t end = std::min(data.size(), at + span);
                Bytes moved(data.begin() + static_cast<std::ptrdiff_t>(at),
                            data.begin() + static_cast<std::ptrdiff_t>(end));
                data.erase(data.begin() + static_cast<std::ptrdiff_t>(at),
                           data.begin() + static_cast<std::ptrdiff_t>(end));
                const std::size_t to = Below(data.size() + 1);
                data.insert(data.begin() + static_cast<std::ptrdiff_t>(to), moved.begin(), moved.end());
                break;
            }
            default: { // two neighbouring stretches swapped
                const std::size_t mid = std::min(data.size(), at + span);
                const std::size_t end = std::min(data.size(), mid + 1 + Below(span));
                std::rotate(data.begin() + static_cast<std::ptrdiff_t>(at),
                            data.begin() + static_cast<std::ptrdiff_t>(mid),
                            data.begin() + static_cast<std::ptrdiff_t>(end));
                break;
            }
            }
        }
        return data;
    }

private:
    std::mt19937_64 m_rng;
};

} // namespace

CTestInputs::Pair CTestInputs::Make(std::uint64_t seed) {
    Maker m(seed);
    const std::size_t length = m.Chance(5) ? 0 : m.Below(m.Chance(70) ? 64 : 300);
    Pair pair;
    switch (m.Below(4)) {
    case 0: // unrelated files over a small alphabet
        pair.file1 = m.Random(length);
        pair.file2 = m.Random(m.Below(300));
        break;
    case 1: // a copy with edits, byte-wise material
        pair.file1 = m.Random(length);
        pair.file2 = m.Edit(pair.file1);
        break;
    default: // a copy with edits, repeated tokens
        pair.file1 = m.Tokens(length);
        pair.file2 = m.Edit(pair.file1);
        break;
    }
    if (m.Chance(50)) {
        std::swap(pair.file1, pair.file2);
    }
    // Trailing zero bytes, which a partial last unit cannot tell from its padding.
    for (auto* f : {&pair.file1, &pair.file2}) {
        if (m.Chance(20)) {
            f->resize(f->size() + 1 + m.Below(20), 0);
        }
    }
    return pair;
}

CTestInputs::Pair CTestInputs::Unrelated(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Pair pair{Bytes(size), Bytes(size)};
    for (std::size_t i = 0; i < size; ++i) {
        pair.file1[i] = static_cast<std::uint8_t>(rng());
        pair.file2[i] = static_cast<std::uint8_t>(rng());
    }
    return pair;
}
