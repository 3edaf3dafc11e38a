#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

// A file written under a temporary name beside its target and renamed over the target only once it
// is complete, so a failed write never leaves a cut file where an earlier one stood. A target that is
// not a regular file (a terminal, /dev/null, a pipe) is written in place; a symbolic link is followed.
class CAtomicFile {
public:
    CAtomicFile() = default;
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;
    ~CAtomicFile();

    // False when the file cannot be made: the folder is missing or not writable, or the target is
    // read-only. errno tells why.
    bool Open(const std::string& path);
    int Fd() const { return m_fd; }
    bool WriteAll(std::string_view bytes);
    // The name being written, which Commit renames to the target (empty when writing in place).
    const std::string& TempPath() const { return m_tempPath; }

    // Puts the file in place of the target; with `flushToDisk` it is on disk first and the target is
    // replaced in one step. On failure the target is left as it was and the temporary file is gone.
    bool Commit(bool flushToDisk);
    // Removes the temporary file; the target is left as it was.
    void Discard();

private:
    bool MoveIntoPlace();

    int m_fd = -1;
    std::string m_target;
    std::string m_tempPath;
    mode_t m_mode = 0;
};
