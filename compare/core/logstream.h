#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "compengine.h"
#include "logwriter.h"

class CBufferedWriter;

// The text log written from blocks as the engine settles them, so that the whole list is never held.
// A block's rows depend on the block alone, but for the comparison's last block, which is cut to its
// file's end: one block is held back until it is known whether more follow.
class CLogStream {
public:
    struct File {
        const std::uint8_t* data;
        std::uint32_t size;
    };

    CLogStream(CBufferedWriter& out, File file1, File file2, int unit, int bytesPerLine, bool ansi);
    CLogStream(const CLogStream&) = delete;
    CLogStream& operator=(const CLogStream&) = delete;

    // The next blocks; false once a write has failed.
    bool Add(std::span<const CompBlock> blocks);
    // The block held back, as the last; false when a write failed.
    bool Finish();
    // Whether every block so far was Same (true for none), which with equal sizes means identical files.
    bool AllSame() const { return m_allSame; }

private:
    bool Write(CompBlockList blocks, CCompLines::Tail tail);

    CBufferedWriter& m_out;
    File m_file1;
    File m_file2;
    int m_unit;
    int m_bytesPerLine;
    bool m_ansi;
    bool m_headerWritten = false;
    bool m_allSame = true;
    std::optional<CompBlock> m_held;
    CLogWriter::Section m_section;
};
