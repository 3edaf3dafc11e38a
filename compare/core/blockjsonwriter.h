#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compengine.h"

class CBufferedWriter;

// The blocks of a comparison as a JSON document, for scripts: the two files, the settings, whether
// the files are identical, and one object per block in the engine's order, one per line. The blocks
// may come in pieces, as the engine finishes them.
class CBlockJsonWriter {
public:
    struct File {
        std::string name;
        std::uint64_t size;
    };

    // Writes everything up to the first block.
    CBlockJsonWriter(CBufferedWriter& out, const File& file1, const File& file2, int unit, int lookAhead,
                     bool identical);
    // Tells "identical" from the blocks as they come: equal sizes and nothing but Same blocks. The
    // head waits, with the Same blocks before it, until a block of another kind or the end settles it.
    CBlockJsonWriter(CBufferedWriter& out, const File& file1, const File& file2, int unit, int lookAhead);
    CBlockJsonWriter(const CBlockJsonWriter&) = delete;
    CBlockJsonWriter& operator=(const CBlockJsonWriter&) = delete;

    // The next blocks; false once a write has failed.
    bool Add(std::span<const CompBlock> blocks);
    // Ends the document; false if any write failed.
    bool Finish();
    // What the document says under "identical"; settled once Finish has been called.
    bool Identical() const { return m_identical; }

    // The whole document at once.
    static bool Write(CBufferedWriter& out, const File& file1, const File& file2, int unit, int lookAhead,
                      bool identical, const CompBlockList& blocks);

    static std::string_view KindName(BlockKind kind);
    // A JSON string literal. File names need not be UTF-8; bytes that are not become U+FFFD.
    static std::string Quote(std::string_view text);

private:
    void WriteHead(bool identical);
    bool Put(std::span<const CompBlock> blocks);

    CBufferedWriter& m_out;
    std::string m_head; // up to "identical", until written
    bool m_sameSizes = false;
    bool m_identical = false;
    std::vector<CompBlock> m_leadingSame;
    bool m_any = false;
};
