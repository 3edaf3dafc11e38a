#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class CProgress;

// Finds a run of bytes in a file's bytes, from a position on or back from it, going round the end (or
// the start) of the file once. Matches may overlap. The bytes are searched in slices, between which
// the progress hears how far the search has come and may stop it.
class CByteSearch {
public:
    static constexpr std::uint64_t kSlice = 8u << 20;

    enum class Direction { Forward, Backward };

    struct Result {
        enum class Outcome { Found, NotFound, Stopped };
        Outcome outcome = Outcome::NotFound;
        std::uint64_t offset = 0;
        // The match lies on the far side of the file's end (forward) or start (backward).
        bool wrapped = false;
    };

    // Hears of each slice searched without a match, whose memory a mapped file may give back.
    using Passed = std::function<void(const std::uint8_t* begin, std::size_t length)>;

    // Forward: the first match that starts at `from` or after it, else the first one before it.
    // Backward: the last match that starts before `from`, else the last one at or after it.
    static Result Find(const std::uint8_t* data, std::uint64_t size, const std::vector<std::uint8_t>& pattern,
                       std::uint64_t from, Direction direction, CProgress& progress,
                       const Passed& passed = nullptr);
};
