#include "logstream.h"

#include <algorithm>

#include "files/bufferedwriter.h"

CLogStream::CLogStream(CBufferedWriter& out, File file1, File file2, int unit, int bytesPerLine, bool ansi)
    : m_out(out), m_file1(file1), m_file2(file2), m_unit(unit), m_bytesPerLine(bytesPerLine), m_ansi(ansi) {}

bool CLogStream::Add(std::span<const CompBlock> blocks) {
    if (blocks.empty()) {
        return m_out.Error() == 0;
    }
    m_allSame = m_allSame && std::all_of(blocks.begin(), blocks.end(), [](const CompBlock& block) {
                    return block.kind == BlockKind::Same;
                });
    return Write(CompBlockList(blocks.begin(), blocks.end()));
}

bool CLogStream::Finish() {
    return Write({});
}

bool CLogStream::Write(CompBlockList blocks) {
    if (!m_headerWritten) {
        m_out.Write(CLogWriter::kHeader);
        m_headerWritten = true;
    }
    const CCompLines lines(std::move(blocks), m_unit, m_file1.size, m_file2.size, m_bytesPerLine);
    return CLogWriter(lines, m_file1.data, m_file2.data, m_ansi,
                      CLogWriter::OffsetDigits(m_file1.size, m_file2.size))
        .WriteRows(m_out, m_section);
}
