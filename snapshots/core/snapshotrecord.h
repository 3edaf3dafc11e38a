#pragma once

#include <cstdint>
#include <string>

// One snapshot: where the copy came from, when it was taken, and the image file that holds it.
// Texts are bytes as the system gives them (UTF-8 on Linux).
struct SnapshotRecord {
    std::string snapshotName; // source file name, then "  (" date "  " time ")"
    std::string sourcePath;
    std::string sourceDate; // the source's last change, local time
    std::uint32_t size = 0; // the low 32 bits of the source's length
    std::string description;
    std::string imageFile; // "Hex" + five digits + ".img", in the working folder

    friend bool operator==(const SnapshotRecord&, const SnapshotRecord&) = default;
};
