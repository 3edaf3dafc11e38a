#include "bytesearch.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "files/progress.h"

namespace {

using Outcome = CByteSearch::Result::Outcome;

// One pass over the match starts [begin, end), a slice at a time, in `direction`.
class CPass {
public:
    CPass(const std::uint8_t* data, const std::vector<std::uint8_t>& pattern, CProgress& progress,
          const CByteSearch::Passed& passed, std::uint64_t& done)
        : m_data(data), m_pattern(pattern), m_progress(progress), m_passed(passed), m_done(done) {}

    // The first (forward) or last (backward) start in the range; nothing, with `stopped` set when the
    // progress asked to stop.
    std::optional<std::uint64_t> Run(std::uint64_t begin, std::uint64_t end, CByteSearch::Direction direction,
                                     bool& stopped) {
        const bool forward = direction == CByteSearch::Direction::Forward;
        while (begin < end) {
            if (!m_progress.Update(m_done) || m_progress.IsCancelled()) {
                stopped = true;
                return std::nullopt;
            }
            const std::uint64_t length = std::min(end - begin, CByteSearch::kSlice);
            const std::uint64_t from = forward ? begin : end - length;
            const std::optional<std::uint64_t> found =
                forward ? First(from, from + length) : Last(from, from + length);
            m_done += length;
            if (found) {
                return found;
            }
            if (m_passed) {
                m_passed(m_data + from, length);
            }
            forward ? begin += length : end -= length;
        }
        return std::nullopt;
    }

private:
    // A slice's bytes reach a pattern's length less one past its last start, so that a match across
    // the slice's end is found in it.
    const std::uint8_t* Match(std::uint64_t begin, std::uint64_t end) const {
        return static_cast<const std::uint8_t*>(
            memmem(m_data + begin, end - begin + m_pattern.size() - 1, m_pattern.data(), m_pattern.size()));
    }

    std::optional<std::uint64_t> First(std::uint64_t begin, std::uint64_t end) const {
        const std::uint8_t* match = Match(begin, end);
        return match != nullptr ? std::optional<std::uint64_t>(match - m_data) : std::nullopt;
    }

    // With no memrmem, the slice is searched forward, each time from just past the last match.
    std::optional<std::uint64_t> Last(std::uint64_t begin, std::uint64_t end) const {
        std::optional<std::uint64_t> last;
        for (std::optional<std::uint64_t> found = First(begin, end); found; found = First(*found + 1, end)) {
            last = found;
            if (*found + 1 == end) {
                break;
            }
        }
        return last;
    }

    const std::uint8_t* m_data;
    const std::vector<std::uint8_t>& m_pattern;
    CProgress& m_progress;
    const CByteSearch::Passed& m_passed;
    std::uint64_t& m_done;
};

} // namespace

CByteSearch::Result CByteSearch::Find(const std::uint8_t* data, std::uint64_t size,
                                      const std::vector<std::uint8_t>& pattern, std::uint64_t from,
                                      Direction direction, CProgress& progress, const Passed& passed) {
    progress.Start(size);
    if (pattern.empty() || pattern.size() > size) {
        progress.Finish();
        return {};
    }
    // Matches start at 0 .. size - pattern length.
    const std::uint64_t starts = size - pattern.size() + 1;
    from = std::min(from, starts);
    std::uint64_t done = 0;
    CPass pass(data, pattern, progress, passed, done);
    bool stopped = false;
    const bool forward = direction == Direction::Forward;
    // Forward: from `from` to the end, then from the start up to `from`; backward the other way round.
    const std::uint64_t firstBegin = forward ? from : 0;
    const std::uint64_t firstEnd = forward ? starts : from;
    const std::uint64_t secondBegin = forward ? 0 : from;
    const std::uint64_t secondEnd = forward ? from : starts;
    Result result;
    if (const auto found = pass.Run(firstBegin, firstEnd, direction, stopped)) {
        result = {Result::Outcome::Found, *found, false};
    } else if (stopped) {
        result.outcome = Result::Outcome::Stopped;
    } else if (const auto wrapped = pass.Run(secondBegin, secondEnd, direction, stopped)) {
        result = {Result::Outcome::Found, *wrapped, true};
    } else if (stopped) {
        result.outcome = Result::Outcome::Stopped;
    }
    if (result.outcome != Result::Outcome::Stopped) {
        progress.Finish();
    }
    return result;
}
