#pragma once

#include <cstdint>
#include <string>

#include "complines.h"
#include "files/filebuffer.h"
#include "files/filetarget.h"

class CProgress;

// One comparison as the compare window shows it: both files as they were read and the rows of their
// comparison. It is made whole, away from the window, and only then handed over, so a comparison that
// fails or is stopped leaves the one shown before as it was.
class CCompareResult {
public:
    using Target = CFileTarget;

    // Reads file `side` (0 or 1) in full; false when it could not be read (Message says why) or
    // `progress` said to stop (Message is empty).
    bool Load(int side, const Target& target, CProgress& progress);
    // Compares the two files read and cuts the blocks into rows; false when `progress` said to stop.
    bool Compare(int unit, int lookAhead, int bytesPerLine, CProgress& progress);

    const CFileBuffer& Buffer(int side) const { return m_buffers[side]; }
    const CCompLines& Lines() const { return m_lines; }
    const std::string& Message() const { return m_message; }

private:
    CFileBuffer m_buffers[2];
    CCompLines m_lines;
    std::string m_message;
};
