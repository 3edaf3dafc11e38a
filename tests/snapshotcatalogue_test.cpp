#include <random>

#include <gtest/gtest.h>

#include "snapshots/core/snapshotcatalogue.h"

namespace {

std::string Number(std::uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
}

std::string Text(const std::string& t) {
    return Number(static_cast<std::uint32_t>(t.size())) + t;
}

// A record in the file's layout, field by field, so the tests do not lean on Serialize.
std::string Record(const std::string& name, const std::string& path = "/src/f",
                   const std::string& image = "Hex00001.img", const std::string& description = "") {
    return Text(name) + Text(path) + Text("12/06/26  14:05") + Number(1234) + Text(description) + Text(image);
}

TEST(SnapshotCatalogue, ReadsRecordsToTheEndOfTheFile) {
    const auto empty = CSnapshotCatalogue::Parse("");
    EXPECT_TRUE(empty.records.empty());
    EXPECT_FALSE(empty.damaged);

    const auto two = CSnapshotCatalogue::Parse(Record("a") + Record("b", "/p", "Hex00002.img", "words"));
    ASSERT_EQ(two.records.size(), 2u);
    EXPECT_FALSE(two.damaged);
    EXPECT_EQ(two.records[1], (SnapshotRecord{"b", "/p", "12/06/26  14:05", 1234, "words", "Hex00002.img"}));

    // A text ends at its first zero byte.
    const auto zero = CSnapshotCatalogue::Parse(Record(std::string("ab\0cd", 5)));
    ASSERT_EQ(zero.records.size(), 1u);
    EXPECT_EQ(zero.records[0].snapshotName, "ab");
}

TEST(SnapshotCatalogue, StopsAtTheFirstRecordItCannotAccept) {
    const std::string good = Record("kept");
    const std::string cases[] = {
        Record(std::string(501, 'x')),                 // a text over 500 bytes
        Record("n", std::string(501, '/')),            // in any text field
        Record("n", "/p", "Hex0001.img"),              // an image name of another length than 12
        Record("n", "/p", "../../xx.img"),             // twelve bytes, but a path out of the folder
        Record("n", "/p", "Hex0000a.img"),             // a letter among the digits
        Record("n").substr(0, Record("n").size() - 1), // a file that ends inside a record
        std::string("\x01\x00", 2),                    // inside the first length
    };
    for (const std::string& bad : cases) {
        const auto contents = CSnapshotCatalogue::Parse(good + bad + good);
        EXPECT_TRUE(contents.damaged);
        ASSERT_EQ(contents.records.size(), 1u);
        EXPECT_EQ(contents.records[0].snapshotName, "kept");
    }
    // Exactly 500 bytes load.
    const auto full = CSnapshotCatalogue::Parse(
        Record(std::string(500, 'n'), std::string(500, 'p'), "Hex99999.img", std::string(500, 'd')));
    EXPECT_FALSE(full.damaged);
    EXPECT_EQ(full.records.size(), 1u);
}

TEST(SnapshotCatalogue, WritesTheLayoutItReads) {
    EXPECT_EQ(CSnapshotCatalogue::Serialize({{"b", "/p", "12/06/26  14:05", 1234, "words", "Hex00002.img"}}),
              Record("b", "/p", "Hex00002.img", "words"));
    EXPECT_EQ(CSnapshotCatalogue::Serialize({}), "");

    std::mt19937 rng(11);
    const auto text = [&](std::size_t most) {
        std::string t(rng() % (most + 1), '\0');
        for (char& c : t) {
            c = static_cast<char>(1 + rng() % 255); // any byte but zero, which ends a text
        }
        return t;
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<SnapshotRecord> records(rng() % 6);
        for (SnapshotRecord& r : records) {
            char image[16];
            std::snprintf(image, sizeof image, "Hex%05u.img", static_cast<unsigned>(rng() % 100000));
            r = {text(round % 3 == 0 ? 500 : 40),   text(500), text(30),
                 static_cast<std::uint32_t>(rng()), text(500), image};
        }
        const auto back = CSnapshotCatalogue::Parse(CSnapshotCatalogue::Serialize(records));
        ASSERT_FALSE(back.damaged);
        ASSERT_EQ(back.records, records);
    }
}

} // namespace
