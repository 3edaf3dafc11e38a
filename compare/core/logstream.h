#pragma once

#include <cstdint>
#include <span>

#include "compengine.h"
#include "logwriter.h"

class CBufferedWriter;

// The text log written from blocks as the engine settles them, so that the whole list is never held:
// a block's rows depend on the block and the files' sizes alone.
class CLogStream {
public:
    struct File {
        const std::uint8_t* data;
        std::uint64_t size;
    };

    CLogStream(CBufferedWriter& out, File file1, File file2, int unit, int bytesPerLine, bool ansi);
    CLogStream(const CLogStream&) = delete;
    CLogStream& operator=(const CLogStream&) = delete;

    // The next blocks; false once a write has failed.
    bool Add(std::span<const CompBlock> blocks);
    // The header, if no block came; false when a write failed.
    bool Finish();
    // Whether every block so far was Same (true for none), which with equal sizes means identical files.
    bool AllSame() const { return m_allSame; }

private:
    bool Write(CompBlockList blocks);

    CBufferedWriter& m_out;
    File m_file1;
    File m_file2;
    int m_unit;
    int m_bytesPerLine;
    bool m_ansi;
    bool m_headerWritten = false;
    bool m_allSame = true;
    CLogWriter::Section m_section;
};
