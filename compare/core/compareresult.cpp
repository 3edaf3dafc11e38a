#include "compareresult.h"

#include "compengine.h"
#include "files/progress.h"

bool CCompareResult::Load(int side, const Target& target, CProgress& progress) {
    const CFileBuffer::Error error = m_buffers[side].Load(
        target.path, CFileBuffer::Mode::Map,
        target.image ? CFileBuffer::Source::StoreImage : CFileBuffer::Source::RegularFile, &progress);
    m_message = CFileBuffer::Message(error, target.name);
    return error == CFileBuffer::Error::None;
}

bool CCompareResult::Compare(int unit, int lookAhead, int bytesPerLine, CProgress& progress) {
    const CFileBuffer& file1 = m_buffers[0];
    const CFileBuffer& file2 = m_buffers[1];
    CCompEngine engine(file1.Data(), file1.Size(), file2.Data(), file2.Size());
    engine.ReleaseFrom(file1, file2);
    engine.SetUnitSize(unit);
    engine.SetLookAhead(lookAhead);
    if (!engine.Run(progress)) {
        return false;
    }
    m_lines = CCompLines(engine.TakeBlocks(), unit, file1.Size(), file2.Size(), bytesPerLine);
    return true;
}
