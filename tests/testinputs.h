#pragma once

#include <cstdint>
#include <random>
#include <vector>

// A file's bytes followed by the zero padding that every loader provides.
struct PaddedBytes {
    std::vector<std::uint8_t> bytes;

    explicit PaddedBytes(std::vector<std::uint8_t> data);
    const std::uint8_t* Data() const { return bytes.data(); }
    std::uint32_t Size() const { return static_cast<std::uint32_t>(bytes.size() - kPadding); }

    static constexpr std::size_t kPadding = 64;
};

// Seeded pairs of small files shaped so that the comparison meets every rule often: small alphabets
// and repeated tokens so units recur, copies with insertions, deletions, changes and moved or swapped
// stretches, trailing zero bytes, sizes that are not a multiple of any unit.
class CTestInputs {
public:
    struct Pair {
        std::vector<std::uint8_t> file1;
        std::vector<std::uint8_t> file2;
    };

    static Pair Make(std::uint64_t seed);
    // Two unrelated files of `size` random bytes: about a block for every other byte.
    static Pair Unrelated(std::size_t size, std::uint32_t seed);
};
