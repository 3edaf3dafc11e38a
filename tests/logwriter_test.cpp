#include <algorithm>
#include <array>
#include <cstdio>
#include <span>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "compare/core/blockjsonwriter.h"
#include "compare/core/compengine.h"
#include "compare/core/complines.h"
#include "compare/core/logstream.h"
#include "compare/core/logwriter.h"
#include "files/bufferedwriter.h"
#include "files/filebuffer.h"
#include "files/progress.h"
#include "literalengine.h"
#include "tempdir.h"
#include "testinputs.h"

namespace {

using K = BlockKind;

std::string WriteLog(const CCompLines& lines, const PaddedBytes& a, const PaddedBytes& b, bool ansi) {
    return CTempDir::Capture(
        [&](CBufferedWriter& out) { return CLogWriter(lines, a.Data(), b.Data(), ansi, 8).WriteLog(out); });
}

// The layout written out with printf, one field at a time, as a second opinion on the table-driven
// writer.
std::string Part(std::uint32_t offset, const std::uint8_t* bytes, std::uint32_t n, int line, bool ansi) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08X", offset);
    std::string s = std::string(buf) + " : ";
    const int c = static_cast<int>(offset % static_cast<std::uint32_t>(line));
    for (int i = 0; i < c; ++i) {
        s += "   ";
    }
    for (std::uint32_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%02X ", bytes[i]);
        s += buf;
    }
    for (int i = 0; i < line - c - static_cast<int>(n); ++i) {
        s += "   ";
    }
    s += "; ";
    if (ansi) {
        s += std::string(static_cast<std::size_t>(c), ' ');
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint8_t v = bytes[i];
            s += (v < 32 || v == 127 || (v >= 128 && v < 160)) ? '.' : static_cast<char>(v);
        }
        s += std::string(static_cast<std::size_t>(line - c - static_cast<int>(n)), ' ');
    }
    return s;
}

std::string ReferenceLog(const std::vector<CompLine>& rows, const PaddedBytes& a, const PaddedBytes& b,
                         int line, bool ansi) {
    std::string out = "Dyadmon v3.0 log file.\r\n";
    const char* sections[] = {"Same", "New", "Deleted", "Moved", "Moved"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const CompLine& r = rows[i];
        if (i == 0 || r.kind != rows[i - 1].kind) {
            out += std::string("\r\n--  ") + sections[static_cast<int>(r.kind)] + " block  --\r\n";
        }
        const std::string p1 = Part(r.offset1, a.Data() + r.offset1, r.length, line, ansi);
        const std::string p2 = "     " + Part(r.offset2, b.Data() + r.offset2, r.length, line, ansi);
        switch (r.kind) {
        case K::Same:
            out += p1 + p2;
            break;
        case K::Deleted:
        case K::MoveFrom:
            out += p1;
            break;
        default:
            out += std::string(p1.size(), ' ') + p2;
        }
        out += "\r\n";
    }
    return out;
}

TEST(LogWriter, DocumentedLine) {
    const PaddedBytes a(std::vector<std::uint8_t>{'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'});
    const PaddedBytes b(std::vector<std::uint8_t>{'A', 'B', 'X', 'C', 'D', 'E', 'F', 'G', 'H'});
    const CCompLines lines({{K::Same, 5, 2, 3}}, 1, 8, 9, 8);
    const CLogWriter writer(lines, a.Data(), b.Data(), true, 8);
    EXPECT_EQ(writer.LineText(lines.GetAt(0)), "00000002 :       43 44 45 46 47    ;   CDEFG      "
                                               "00000003 :          43 44 45 46 47 ;    CDEFG\r\n");
}

// Files up to 4 GiB keep eight digits; past that, every offset of the log takes as many as the
// largest needs.
TEST(LogWriter, OffsetsPastFourGibibytesTakeMoreDigits) {
    EXPECT_EQ(CLogWriter::OffsetDigits(0, 0), 8);
    EXPECT_EQ(CLogWriter::OffsetDigits(std::uint64_t{1} << 32, 5), 8);
    EXPECT_EQ(CLogWriter::OffsetDigits(3, (std::uint64_t{1} << 32) + 1), 9);
    EXPECT_EQ(CLogWriter::OffsetDigits((std::uint64_t{1} << 36) + 1, 0), 10);
    EXPECT_EQ(CLogWriter::OffsetDigits(~std::uint64_t{0} >> 1, 0), 16);

    CTempDir dir;
    const std::string path = dir / "sparse";
    CTempDir::Write(path, "");
    const std::uint64_t size = (std::uint64_t{5} << 30) + 8;
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(size)), 0);
    CFileBuffer big;
    ASSERT_EQ(big.Load(path, CFileBuffer::Mode::Map), CFileBuffer::Error::None);
    const PaddedBytes small(std::vector<std::uint8_t>{0x41, 0x42});
    // Only the rows of these blocks are written, not the gigabytes before them.
    const CCompLines lines(
        {{K::Deleted, 1, size - 8, CompBlock::kAbsent}, {K::New, 1, 0, CompBlock::kAbsent}}, 8, size,
        small.Size(), 8);
    const std::string log = CTempDir::Capture([&](CBufferedWriter& out) {
        return CLogWriter(lines, big.Data(), small.Data(), true, CLogWriter::OffsetDigits(size, small.Size()))
            .WriteLog(out);
    });
    const std::string part = "000000000 : 41 42                   ; AB      ";
    EXPECT_EQ(log, std::string(CLogWriter::kHeader) +
                       "\r\n--  Deleted block  --\r\n"
                       "140000000 : 00 00 00 00 00 00 00 00 ; ........\r\n"
                       "\r\n--  New block  --\r\n" +
                       std::string(part.size(), ' ') + "     " + part + "\r\n");
}

TEST(LogWriter, HeaderSectionsAndColumns) {
    // Two empty files: the header alone.
    const PaddedBytes none(std::vector<std::uint8_t>{});
    EXPECT_EQ(WriteLog(CCompLines({}, 8, 0, 0, 8), none, none, true), "Dyadmon v3.0 log file.\r\n");

    // Two identical 20-byte files: one section, three lines, the last with four empty byte columns.
    const PaddedBytes twenty(std::vector<std::uint8_t>(20, 'z'));
    const std::string log = WriteLog(CCompLines({{K::Same, 20, 0, 0}}, 1, 20, 20, 8), twenty, twenty, false);
    EXPECT_EQ(log.substr(0, 46), "Dyadmon v3.0 log file.\r\n\r\n--  Same block  --\r\n");
    EXPECT_NE(log.find("00000010 : 7A 7A 7A 7A             ; "), std::string::npos);
    EXPECT_EQ(log.size(), 46 + 3 * (6 * 8 + 31 + 2u));

    // Deleted, New, Deleted: three sections; a New line starts with 3L + 13 blanks without ANSI; a
    // row at offset 11 names offset 0B and leaves three empty byte columns.
    std::vector<std::uint8_t> data(32);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i);
    }
    const PaddedBytes bytes(data);
    const CCompLines mixed({{K::Deleted, 2, 11, CompBlock::kAbsent},
                            {K::New, 1, 4, CompBlock::kAbsent},
                            {K::Deleted, 1, 20, CompBlock::kAbsent}},
                           1, 32, 32, 8);
    const std::string m = WriteLog(mixed, bytes, bytes, false);
    std::size_t sections = 0;
    for (std::size_t at = 0; (at = m.find("--\r\n", at)) != std::string::npos; ++at) {
        ++sections;
    }
    EXPECT_EQ(sections, 3u);
    EXPECT_NE(m.find("\r\n0000000B : " + std::string(9, ' ') + "0B 0C " + std::string(9, ' ') + "; \r\n"),
              std::string::npos);
    EXPECT_NE(m.find("\r\n" + std::string(3 * 8 + 13, ' ') + "     00000004 :"), std::string::npos);

    // MoveFrom then MoveTo: a new section although the text is the same.
    const CCompLines moved({{K::MoveFrom, 1, 0, 8}, {K::MoveTo, 1, 8, 0}}, 1, 32, 32, 8);
    const std::string mv = WriteLog(moved, bytes, bytes, true);
    const std::size_t first = mv.find("--  Moved block  --");
    EXPECT_NE(first, std::string::npos);
    EXPECT_NE(mv.find("--  Moved block  --", first + 1), std::string::npos);
}

TEST(LogWriter, CharactersColumnKeepsHighBytesAndDotsControls) {
    const PaddedBytes a(std::vector<std::uint8_t>{0xA0, 0x7F, 0x85, 0xFF, 0x1F, 0x20, 0x9F, 'q'});
    const CCompLines lines({{K::Deleted, 8, 0, CompBlock::kAbsent}}, 1, 8, 0, 8);
    const std::string line = CLogWriter(lines, a.Data(), a.Data(), true, 8).LineText(lines.GetAt(0));
    EXPECT_EQ(line.substr(line.size() - 10), std::string("\xA0..\xFF. .q\r\n"));
}

// Whole logs of seeded comparisons, against the printf layout, under every line length that
// changes the columns and with the characters column on and off.
TEST(LogWriter, MatchesPrintfLayoutOnSeededInputs) {
    for (int seed = 0; seed < 300; ++seed) {
        const CTestInputs::Pair pair = CTestInputs::Make(static_cast<std::uint64_t>(seed) + 77);
        std::vector<std::uint8_t> f1 = pair.file1;
        for (std::size_t i = 0; i < f1.size(); i += 7) {
            f1[i] = static_cast<std::uint8_t>(i * 37); // every byte value in the characters column
        }
        const PaddedBytes a(f1);
        const PaddedBytes b(pair.file2);
        const int unit = 1 << (seed % 5);
        CCompEngine engine(a.Data(), a.Size(), b.Data(), b.Size());
        engine.SetUnitSize(unit);
        engine.SetLookAhead(seed % 3 == 0 ? 0 : 20);
        engine.Run();
        for (int line : {1, 5, 8, 32}) {
            const CCompLines lines(engine.Blocks(), unit, a.Size(), b.Size(), line);
            const auto rows = CLiteralEngine::BuildRows(engine.Blocks(), unit, a.Size(), b.Size(), line);
            const bool ansi = (seed + line) % 2 == 0;
            ASSERT_EQ(WriteLog(lines, a, b, ansi), ReferenceLog(rows, a, b, line, ansi))
                << "seed " << seed << ", line " << line;
        }
    }
}

// Runs the engine on `a` and `b`, handing its blocks to `add` `batch` at a time; false when it stopped.
bool RunInBatches(const PaddedBytes& a, const PaddedBytes& b, int unit, int lookAhead, std::size_t batch,
                  const CCompEngine::BlockSink& add) {
    CCompEngine engine(a.Data(), a.Size(), b.Data(), b.Size());
    engine.SetUnitSize(unit);
    engine.SetLookAhead(lookAhead);
    engine.SetSink(add, batch);
    CProgress quiet;
    return engine.Run(quiet);
}

// A log written from the engine's batches as they come is the log of the whole list, whatever the
// batches: the held-back block keeps a partial last unit cut only where the comparison ends, and
// sections run on across batches. Identical files are told by their blocks alone.
TEST(LogStream, WritesTheLogOfTheWholeListFromBatches) {
    for (int seed = 0; seed < 400; ++seed) {
        const CTestInputs::Pair pair = CTestInputs::Make(static_cast<std::uint64_t>(seed) + 901);
        const PaddedBytes a(pair.file1);
        const PaddedBytes b(seed % 10 == 0 ? pair.file1 : pair.file2);
        const int unit = 1 << (seed % 5);
        const int lookAhead = seed % 3 == 0 ? 0 : 20;
        const int line = std::array{1, 5, 8, 32}[static_cast<std::size_t>(seed / 5) % 4];
        const bool ansi = seed % 2 == 0;
        CCompEngine whole(a.Data(), a.Size(), b.Data(), b.Size());
        whole.SetUnitSize(unit);
        whole.SetLookAhead(lookAhead);
        whole.Run();
        const CCompLines lines(whole.Blocks(), unit, a.Size(), b.Size(), line);
        const std::string expected = WriteLog(lines, a, b, ansi);
        const bool allSame = std::all_of(whole.Blocks().begin(), whole.Blocks().end(),
                                         [](const CompBlock& block) { return block.kind == K::Same; });
        for (const std::size_t batch : {1u, 3u, 64u}) {
            bool same = false;
            const std::string streamed = CTempDir::Capture([&](CBufferedWriter& out) {
                CLogStream stream(out, {a.Data(), a.Size()}, {b.Data(), b.Size()}, unit, line, ansi);
                const bool written = RunInBatches(a, b, unit, lookAhead, batch,
                                                  [&](auto blocks) { return stream.Add(blocks); }) &&
                                     stream.Finish();
                same = stream.AllSame();
                return written;
            });
            ASSERT_EQ(streamed, expected) << "seed " << seed << ", batch " << batch;
            EXPECT_EQ(same, allSame) << "seed " << seed;
        }
    }
}

// Told from the blocks, "identical" is what the whole list says, however the blocks come: the head
// waits while only Same blocks have come.
TEST(BlockJsonWriter, SettlesIdenticalFromTheBlocksAsTheyCome) {
    for (int seed = 0; seed < 200; ++seed) {
        const CTestInputs::Pair pair = CTestInputs::Make(static_cast<std::uint64_t>(seed) + 4242);
        std::vector<std::uint8_t> second = seed % 4 < 2 ? pair.file1 : pair.file2;
        if (seed % 4 == 1 && !second.empty()) {
            second.back() ^= 1; // same sizes, a change at the very end
        }
        const PaddedBytes a(pair.file1);
        const PaddedBytes b(second);
        const int unit = 1 << (seed % 3);
        CCompEngine whole(a.Data(), a.Size(), b.Data(), b.Size());
        whole.SetUnitSize(unit);
        whole.SetLookAhead(10);
        whole.Run();
        const bool identical = pair.file1 == second;
        const std::string expected = CTempDir::Capture([&](CBufferedWriter& out) {
            return CBlockJsonWriter::Write(out, {"a", a.Size()}, {"b", b.Size()}, unit, 10, identical,
                                           whole.Blocks());
        });
        for (const std::size_t batch : {1u, 3u}) {
            bool told = !identical;
            const std::string streamed = CTempDir::Capture([&](CBufferedWriter& out) {
                CBlockJsonWriter json(out, {"a", a.Size()}, {"b", b.Size()}, unit, 10);
                const bool written =
                    RunInBatches(a, b, unit, 10, batch, [&](auto blocks) { return json.Add(blocks); }) &&
                    json.Finish();
                told = json.Identical();
                return written;
            });
            ASSERT_EQ(streamed, expected) << "seed " << seed << ", batch " << batch;
            EXPECT_EQ(told, identical) << "seed " << seed;
        }
    }
}

TEST(BlockJsonWriter, QuotesAnyFileName) {
    EXPECT_EQ(CBlockJsonWriter::Quote("plain.bin"), "\"plain.bin\"");
    EXPECT_EQ(CBlockJsonWriter::Quote("a \"b\" \\ c"), "\"a \\\"b\\\" \\\\ c\"");
    EXPECT_EQ(CBlockJsonWriter::Quote("tab\there\nnl\x01\x7f"), "\"tab\\there\\nnl\\u0001\\u007f\"");
    // UTF-8 passes; bytes that are not UTF-8 (a Latin-1 name, a cut sequence, an overlong form,
    // a surrogate) become U+FFFD one byte at a time.
    EXPECT_EQ(CBlockJsonWriter::Quote("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"),
              "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\"");
    EXPECT_EQ(CBlockJsonWriter::Quote("caf\xE9"), "\"caf\xEF\xBF\xBD\"");
    EXPECT_EQ(CBlockJsonWriter::Quote("\xE2\x82"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
    EXPECT_EQ(CBlockJsonWriter::Quote("\xC0\xAF"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
    EXPECT_EQ(CBlockJsonWriter::Quote("\xED\xA0\x80"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"");
}

// Every kind, with numbers on both sides of every change in their digit count, against the same
// document put together with printf.
TEST(BlockJsonWriter, WritesEveryKindAndEveryNumberLength) {
    CompBlockList blocks;
    std::string expected = "{\n  \"file1\": {\"name\": \"a\", \"size\": 1},\n  \"file2\": {\"name\": \"b\", "
                           "\"size\": 2},\n  \"unit\": 1,\n  \"lookahead\": 5,\n  \"identical\": false,\n  "
                           "\"blocks\": [";
    const std::uint64_t numbers[] = {0,
                                     1,
                                     9,
                                     10,
                                     99,
                                     100,
                                     999,
                                     1000,
                                     9999,
                                     10000,
                                     99999,
                                     100000,
                                     999999,
                                     1000000,
                                     9999999,
                                     10000000,
                                     99999999,
                                     100000000,
                                     999999999,
                                     1000000000,
                                     4294967230,
                                     4294967295u,
                                     4294967296u,
                                     9999999999u,
                                     10000000000u,
                                     9223372036854775807u};
    const char* const names[] = {"same", "new", "deleted", "movefrom", "moveto"};
    const auto text = [](std::uint64_t n, bool present) { return present ? std::to_string(n) : "null"; };
    std::size_t i = 0;
    // Enough rounds to fill more than one reservation of lines.
    for (int round = 0; round < 6; ++round) {
        for (std::uint64_t a : numbers) {
            for (int kind = 0; kind < 5; ++kind, ++i) {
                const std::uint64_t b = numbers[i % std::size(numbers)];
                const std::uint64_t c = numbers[(i * 7) % std::size(numbers)];
                const auto k = static_cast<BlockKind>(kind);
                const bool has1 = k != BlockKind::New;
                const bool has2 = k != BlockKind::Deleted;
                blocks.push_back({k, a, b, has1 && has2 ? c : CompBlock::kAbsent});
                // MoveTo's primary is in file 2, its secondary the file-1 source.
                const std::uint64_t offset1 = k == BlockKind::MoveTo ? c : b;
                const std::uint64_t offset2 = k == BlockKind::MoveTo ? b : (k == BlockKind::New ? b : c);
                char line[200];
                std::snprintf(line, sizeof line,
                              "%s\n    {\"kind\": \"%s\", \"count\": %llu, \"offset1\": %s, \"offset2\": %s}",
                              i == 0 ? "" : ",", names[kind], static_cast<unsigned long long>(a),
                              text(offset1, has1).c_str(), text(offset2, has2).c_str());
                expected += line;
            }
        }
    }
    expected += "\n  ]\n}\n";
    const std::string written = CTempDir::Capture([&](CBufferedWriter& out) {
        return CBlockJsonWriter::Write(out, {"a", 1}, {"b", 2}, 1, 5, false, blocks);
    });
    EXPECT_EQ(written, expected);
    // Handed over in pieces as the engine finishes them, empty ones first and in between.
    const std::string pieces = CTempDir::Capture([&](CBufferedWriter& out) {
        CBlockJsonWriter writer(out, {"a", 1}, {"b", 2}, 1, 5, false);
        std::span<const CompBlock> rest(blocks);
        for (std::size_t n = 0; !rest.empty(); ++n) {
            const std::size_t take = std::min(n % 4, rest.size());
            if (!writer.Add(rest.first(take))) {
                return false;
            }
            rest = rest.subspan(take);
        }
        return writer.Finish();
    });
    EXPECT_EQ(pieces, expected);
}

} // namespace
