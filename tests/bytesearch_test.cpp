#include <atomic>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files/progress.h"
#include "views/core/bytepattern.h"
#include "views/core/bytesearch.h"

namespace {

using Form = CBytePattern::Form;
using Dir = CByteSearch::Direction;
using Outcome = CByteSearch::Result::Outcome;
using Bytes = std::vector<std::uint8_t>;

Bytes B(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::optional<Bytes> Parse(const std::string& text, Form form, std::string* error = nullptr) {
    std::string reason;
    auto bytes = CBytePattern::Parse(text, form, reason);
    if (error != nullptr) {
        *error = reason;
    }
    return bytes;
}

CByteSearch::Result Find(const Bytes& data, const Bytes& pattern, std::uint64_t from, Dir dir) {
    CProgress progress;
    return CByteSearch::Find(data.data(), data.size(), pattern, from, dir, progress);
}

// Where a search should land, by trying every start in the order it is to be met.
std::optional<std::uint64_t> Literal(const Bytes& data, const Bytes& pattern, std::uint64_t from, Dir dir) {
    const auto at = [&](std::uint64_t i) {
        return i + pattern.size() <= data.size() &&
               std::equal(pattern.begin(), pattern.end(), data.begin() + i);
    };
    const std::uint64_t n = data.size();
    for (std::uint64_t k = 0; k < n; ++k) {
        const std::uint64_t i = dir == Dir::Forward ? (from + k) % n : (from + 2 * n - 1 - k) % n;
        if (at(i)) {
            return i;
        }
    }
    return std::nullopt;
}

TEST(BytePattern, HexWithOrWithoutSpacesAndTextInEitherEncoding) {
    const Bytes deadbeef{0xDE, 0xAD, 0xBE, 0xEF};
    EXPECT_EQ(Parse("DE AD BE EF", Form::Hex), deadbeef);
    EXPECT_EQ(Parse("deadbeef", Form::Hex), deadbeef);
    EXPECT_EQ(Parse(" dEa d\tBEef ", Form::Hex), deadbeef);
    EXPECT_EQ(Parse("A\xC3\xA9", Form::TextUtf8), (Bytes{0x41, 0xC3, 0xA9}));
    EXPECT_EQ(Parse("A\xC3\xA9", Form::TextUtf16le), (Bytes{0x41, 0x00, 0xE9, 0x00}));
    // Beyond the first plane a character is two code units, a surrogate pair.
    EXPECT_EQ(Parse("\xF0\x9F\x98\x80", Form::TextUtf16le), (Bytes{0x3D, 0xD8, 0x00, 0xDE}));
    EXPECT_EQ(Parse("DE AD", Form::TextUtf8), B("DE AD")) << "text is taken as typed";
}

TEST(BytePattern, RefusalsNameWhatIsWrong) {
    std::string error;
    EXPECT_FALSE(Parse("DE A", Form::Hex, &error));
    EXPECT_EQ(error, "\"DE A\" has an odd number of hex digits (3): each byte takes two.");
    EXPECT_FALSE(Parse("DE AG", Form::Hex, &error));
    EXPECT_EQ(error, "\"G\" is not a hex digit.");
    EXPECT_FALSE(Parse("0x\xC3\xBC", Form::Hex, &error));
    EXPECT_EQ(error, "\"x\" is not a hex digit.");
    EXPECT_FALSE(Parse("AB\xC3\xBC", Form::Hex, &error));
    EXPECT_EQ(error, "\"\xC3\xBC\" is not a hex digit.") << "a character beyond ASCII is named whole";
    EXPECT_FALSE(Parse("A\xC3", Form::TextUtf16le, &error));
    EXPECT_EQ(error, "The text is not valid UTF-8 at byte 1.");
    for (const Form form : {Form::Hex, Form::TextUtf8, Form::TextUtf16le}) {
        EXPECT_FALSE(Parse("", form, &error));
        EXPECT_NE(error.find("nothing to find"), std::string::npos);
    }
    EXPECT_FALSE(Parse("  ", Form::Hex)) << "spaces alone are no bytes";
}

TEST(ByteSearch, MatchesAtTheStartTheEndAndOverlapping) {
    const Bytes data = B("ABCxxxxABC");
    EXPECT_EQ(Find(data, B("ABC"), 0, Dir::Forward).offset, 0u);
    EXPECT_EQ(Find(data, B("ABC"), 1, Dir::Forward).offset, 7u);
    EXPECT_EQ(Find(data, B("ABC"), 10, Dir::Backward).offset, 7u);
    EXPECT_EQ(Find(data, B("ABC"), 7, Dir::Backward).offset, 0u);
    EXPECT_FALSE(Find(data, B("ABC"), 7, Dir::Backward).wrapped);

    const Bytes aaa{0xAA, 0xAA, 0xAA};
    const Bytes aa{0xAA, 0xAA};
    EXPECT_EQ(Find(aaa, aa, 0, Dir::Forward).offset, 0u);
    EXPECT_EQ(Find(aaa, aa, 1, Dir::Forward).offset, 1u);
    EXPECT_EQ(Find(aaa, aa, 3, Dir::Backward).offset, 1u);
    EXPECT_EQ(Find(aaa, aa, 1, Dir::Backward).offset, 0u);
}

TEST(ByteSearch, WrapsOnceInEitherDirectionAndSaysSo) {
    const Bytes data = B("..AB....AB..");
    const CByteSearch::Result forward = Find(data, B("AB"), 9, Dir::Forward);
    EXPECT_EQ(forward.outcome, Outcome::Found);
    EXPECT_EQ(forward.offset, 2u);
    EXPECT_TRUE(forward.wrapped);
    const CByteSearch::Result backward = Find(data, B("AB"), 2, Dir::Backward);
    EXPECT_EQ(backward.offset, 8u);
    EXPECT_TRUE(backward.wrapped);
    // The only match is the one searched from: found again after going round.
    const CByteSearch::Result again = Find(B("..AB.."), B("AB"), 3, Dir::Forward);
    EXPECT_EQ(again.offset, 2u);
    EXPECT_TRUE(again.wrapped);
    EXPECT_EQ(Find(B("..AB.."), B("AB"), 2, Dir::Backward).offset, 2u);
}

TEST(ByteSearch, NothingFound) {
    EXPECT_EQ(Find(B("abcdef"), B("xyz"), 3, Dir::Forward).outcome, Outcome::NotFound);
    EXPECT_EQ(Find(B("abcdef"), B("xyz"), 3, Dir::Backward).outcome, Outcome::NotFound);
    EXPECT_EQ(Find(B("ab"), B("abc"), 0, Dir::Forward).outcome, Outcome::NotFound);
    EXPECT_EQ(Find(Bytes(), B("a"), 0, Dir::Backward).outcome, Outcome::NotFound);
}

// Every start in small random files with few letters, so that matches are many and overlap.
TEST(ByteSearch, LandsWhereATryAtEveryOffsetDoes) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        Bytes data(1 + rng() % 40);
        for (auto& byte : data) {
            byte = static_cast<std::uint8_t>('a' + rng() % 3);
        }
        Bytes pattern(1 + rng() % 3);
        for (auto& byte : pattern) {
            byte = static_cast<std::uint8_t>('a' + rng() % 3);
        }
        for (std::uint64_t from = 0; from < data.size(); ++from) {
            for (const Dir dir : {Dir::Forward, Dir::Backward}) {
                const CByteSearch::Result result = Find(data, pattern, from, dir);
                const std::optional<std::uint64_t> expected = Literal(data, pattern, from, dir);
                ASSERT_EQ(result.outcome == Outcome::Found, expected.has_value());
                if (expected) {
                    ASSERT_EQ(result.offset, *expected);
                    ASSERT_EQ(result.wrapped, dir == Dir::Forward ? *expected < from : *expected >= from);
                }
            }
        }
    }
}

// Matches that lie across the slices' edges, in a file of a little more than three slices.
TEST(ByteSearch, FindsMatchesAcrossSliceEdges) {
    constexpr std::uint64_t kSlice = CByteSearch::kSlice;
    Bytes data(3 * kSlice + 100, 0);
    const Bytes pattern = B("WXYZ");
    const std::uint64_t first = kSlice - 2;
    const std::uint64_t second = 2 * kSlice - 1;
    const std::uint64_t last = data.size() - pattern.size();
    for (const std::uint64_t at : {first, second, last}) {
        std::copy(pattern.begin(), pattern.end(), data.begin() + static_cast<std::ptrdiff_t>(at));
    }
    EXPECT_EQ(Find(data, pattern, 0, Dir::Forward).offset, first);
    EXPECT_EQ(Find(data, pattern, first + 1, Dir::Forward).offset, second);
    EXPECT_EQ(Find(data, pattern, second + 1, Dir::Forward).offset, last);
    EXPECT_EQ(Find(data, pattern, data.size(), Dir::Backward).offset, last);
    EXPECT_EQ(Find(data, pattern, last, Dir::Backward).offset, second);
    EXPECT_EQ(Find(data, pattern, second, Dir::Backward).offset, first);
    const CByteSearch::Result round = Find(data, pattern, first, Dir::Backward);
    EXPECT_EQ(round.offset, last);
    EXPECT_TRUE(round.wrapped);

    // A search that finds nothing passes every start once, to give the pages back.
    std::vector<std::pair<std::uint64_t, std::size_t>> passed;
    CProgress progress;
    CByteSearch::Find(data.data(), data.size(), B("none"), kSlice, Dir::Forward, progress,
                      [&](const std::uint8_t* begin, std::size_t length) {
                          passed.emplace_back(begin - data.data(), length);
                      });
    const std::uint64_t starts = data.size() - 3;
    EXPECT_EQ(passed,
              (std::vector<std::pair<std::uint64_t, std::size_t>>{
                  {kSlice, kSlice}, {2 * kSlice, kSlice}, {3 * kSlice, starts - 3 * kSlice}, {0, kSlice}}));
}

TEST(ByteSearch, StopsWhenAskedBetweenSlices) {
    const Bytes data(5 * CByteSearch::kSlice, 0);
    std::atomic<bool> stop{false};
    std::uint64_t lastReport = 0;
    CProgress progress(
        [&](std::uint64_t done, std::uint64_t) {
            lastReport = done;
            if (done >= 2 * CByteSearch::kSlice) {
                stop = true;
            }
        },
        &stop);
    for (const Dir dir : {Dir::Forward, Dir::Backward}) {
        stop = false;
        const CByteSearch::Result result =
            CByteSearch::Find(data.data(), data.size(), B("x"), 0, dir, progress);
        EXPECT_EQ(result.outcome, Outcome::Stopped);
        EXPECT_EQ(lastReport, 2 * CByteSearch::kSlice) << "stopped at the first slice after the request";
    }
    stop = true;
    EXPECT_EQ(CByteSearch::Find(data.data(), data.size(), B("x"), 0, Dir::Forward, progress).outcome,
              Outcome::Stopped);
}

} // namespace
