#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "compare/core/blockjsonwriter.h"
#include "compare/core/bufferedwriter.h"
#include "tempdir.h"

namespace {

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

// Each kind names its file-1 and file-2 offsets from the right field; a move names both ends.
TEST(BlockJsonWriter, OffsetsByKind) {
    using K = BlockKind;
    constexpr std::uint32_t kNo = CompBlock::kAbsent;
    const CompBlockList blocks{{K::Same, 1, 10, 20},
                               {K::New, 2, 30, kNo},
                               {K::Deleted, 3, 40, kNo},
                               {K::MoveFrom, 4, 50, 60},
                               {K::MoveTo, 5, 60, 50}};
    CTempDir dir;
    const std::string path = dir / "out.json";
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    {
        CBufferedWriter out(fd);
        ASSERT_TRUE(CBlockJsonWriter::Write(out, {"a", 100}, {"b", 200}, 2, 7, false, blocks));
        ASSERT_TRUE(out.Finish());
    }
    close(fd);
    const std::string json = CTempDir::Read(path);
    for (const char* line :
         {"{\"kind\": \"same\", \"count\": 1, \"offset1\": 10, \"offset2\": 20},",
          "{\"kind\": \"new\", \"count\": 2, \"offset1\": null, \"offset2\": 30},",
          "{\"kind\": \"deleted\", \"count\": 3, \"offset1\": 40, \"offset2\": null},",
          "{\"kind\": \"movefrom\", \"count\": 4, \"offset1\": 50, \"offset2\": 60},",
          "{\"kind\": \"moveto\", \"count\": 5, \"offset1\": 50, \"offset2\": 60}\n  ]\n}\n"}) {
        EXPECT_NE(json.find(line), std::string::npos) << line;
    }
    EXPECT_NE(json.find("\"unit\": 2,\n  \"lookahead\": 7,\n  \"identical\": false"), std::string::npos);
}

} // namespace
