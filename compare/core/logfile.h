#pragma once

#include <functional>
#include <string>

#include "files/atomicfile.h"

class CBufferedWriter;
class CFileBuffer;

// Where a compare result goes: a log file the user named, which replaces an earlier file only once
// it is whole, or a descriptor the caller keeps open (standard output). Both the program and
// dyadmon-cli save through it, so they refuse and report the same things in the same words.
class CLogFile {
public:
    enum class Result { Ok, CantCreate, IsInput, WriteFailed };
    // Formats the result into `out`; false when a write failed.
    using Writer = std::function<bool(CBufferedWriter& out)>;

    CLogFile() = default;
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    // Makes the temporary file for `path`, which may name neither of the compared files, not even
    // through a link.
    Result Open(const std::string& path, const CFileBuffer& file1, const CFileBuffer& file2);
    // Writes to `fd` as it is; the caller keeps it open.
    void OpenDescriptor(int fd);
    // Runs `writer`, then puts the file in place, on disk first with `flushToDisk`. On failure an
    // earlier file of the name is left as it was.
    Result Write(const Writer& writer, bool flushToDisk);
    // What a user is told about the last failure.
    const std::string& Message() const { return m_message; }
    // The system's error of the write that failed, 0 if none did.
    int WriteError() const { return m_writeError; }

private:
    bool IsInput() const;
    Result Fail(Result result, std::string message);

    CAtomicFile m_file;
    std::string m_path;
    int m_fd = -1;
    const CFileBuffer* m_inputs[2] = {nullptr, nullptr};
    std::string m_message;
    int m_writeError = 0;
};
