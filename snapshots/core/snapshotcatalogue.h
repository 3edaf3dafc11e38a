#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "snapshotrecord.h"

// The catalogue file "DadUzura.cfg": records one after another, each text as a 32-bit little-endian
// length and its bytes, no header and no end marker. Parsing stops at the first record it cannot
// accept; everything before it stands.
class CSnapshotCatalogue {
public:
    static constexpr std::string_view kFileName = "DadUzura.cfg";
    // The most bytes a text may have and still load again.
    static constexpr std::size_t kMaxText = 500;

    struct Contents {
        std::vector<SnapshotRecord> records;
        bool damaged = false;
    };

    static Contents Parse(std::string_view bytes);
    static std::string Serialize(const std::vector<SnapshotRecord>& records);

    // "Hex" + five digits + ".img": the only image names a catalogue may hold, so that no catalogue
    // can point the program at a file outside the working folder.
    static bool IsImageName(std::string_view name);
    // Whether every text of the record fits the catalogue.
    static bool Fits(const SnapshotRecord& record);
};
