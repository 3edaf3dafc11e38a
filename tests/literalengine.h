#pragma once

#include <cstdint>
#include <vector>

#include "compare/core/compengine.h"
#include "compare/core/complines.h"

// The comparison walk and the row cutting written out unit by unit, with the linked lists and the
// list walks of the original description and no shortcut of any kind. Slow on purpose: it is the
// reference that CCompEngine and CCompLines must match block for block and row for row.
class CLiteralEngine {
public:
    static CompBlockList Run(const std::uint8_t* buffer1, std::uint32_t size1, const std::uint8_t* buffer2,
                             std::uint32_t size2, int unit, int lookAhead);

    // Every row of every block, cut at line boundaries on each side the row has and at each file's end;
    // the bytes one file has past the other's end in a Same block follow as Deleted or New rows.
    static std::vector<CompLine> BuildRows(const CompBlockList& blocks, int unit, std::uint32_t size1,
                                           std::uint32_t size2, int bytesPerLine);
};
