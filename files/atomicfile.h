#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

// A file written under a temporary name beside its target and renamed over the target only once it
// is complete, so a failed write never leaves a cut file where an earlier one stood. The temporary
// file is removed when the process is ended by a signal (see CPendingFiles).
class CAtomicFile {
public:
    // FollowTarget: a target that is not a regular file (a terminal, /dev/null, a pipe) is written in
    // place, and a symbolic link is followed, as a user naming an output expects. StoreFile: only a
    // regular file or a new name is written, and a link is replaced, never followed.
    enum class Target { FollowTarget, StoreFile };

    CAtomicFile() = default;
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;
    ~CAtomicFile();

    // False when the file cannot be made: the folder is missing or not writable, the target is
    // read-only, or (for a store file) not a regular file. errno tells why.
    bool Open(const std::string& path, Target target = Target::FollowTarget);
    int Fd() const { return m_fd; }
    bool WriteAll(std::string_view bytes) { return WriteFully(m_fd, bytes); }
    // Writes all of `bytes` to `fd`, going on after interrupted and partial writes; false, with errno,
    // on the first failed write.
    static bool WriteFully(int fd, std::string_view bytes);
    // The name being written, which Commit renames to the target (empty when writing in place).
    const std::string& TempPath() const { return m_tempPath; }

    // Puts the file in place of the target; with `flushToDisk` it is on disk first and the target is
    // replaced in one step. On failure the target is left as it was and the temporary file is gone.
    bool Commit(bool flushToDisk);
    // Removes the temporary file; the target is left as it was.
    void Discard();

private:
    bool MoveIntoPlace();
    void ForgetTemp();

    int m_fd = -1;
    std::string m_target;
    std::string m_tempPath;
    mode_t m_mode = 0;
    int m_pendingSlot = -1;
};
