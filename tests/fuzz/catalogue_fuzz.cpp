// libFuzzer target for the catalogue reader: any bytes at all must load without a fault, and
// whatever loads must save and load again to the same records.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "snapshots/core/snapshotcatalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto contents =
        CSnapshotCatalogue::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const SnapshotRecord& r : contents.records) {
        if (!CSnapshotCatalogue::IsImageName(r.imageFile) || !CSnapshotCatalogue::Fits(r)) {
            __builtin_trap();
        }
    }
    const auto again = CSnapshotCatalogue::Parse(CSnapshotCatalogue::Serialize(contents.records));
    if (again.damaged || again.records != contents.records) {
        __builtin_trap();
    }
    return 0;
}
