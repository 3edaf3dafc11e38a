#pragma once

#include <cstdint>
#include <vector>

class CCompLines;

// The pixels of the difference map: two columns (file 1, file 2) of `height` pixel rows, each pixel
// row standing for a stretch of rows. Same rows and rows of the other file count as white, so a
// stretch without differences is white and one with differences takes the average colour of its
// kinds. The cost grows with the pixel rows and the blocks, not with the rows.
class CDiffMapColors {
public:
    struct Colors {
        std::uint32_t deleted; // 0x00BBGGRR
        std::uint32_t moveFrom;
        std::uint32_t added;
        std::uint32_t moveTo;
    };

    // 2 * height colour values, row by row: file 1's pixel, then file 2's. All white when there are
    // no rows.
    static std::vector<std::uint32_t> Build(const CCompLines& lines, int height, const Colors& colors);
};
