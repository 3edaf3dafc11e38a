#pragma once

#include <cerrno>
#include <cstdint>
#include <string>
#include <sys/types.h>

// Regular files opened so that nothing else is: a fifo is never waited on, a device never opened
// (it is looked at before the open and checked again after it), and, where asked, a symbolic link
// is never followed.
class CRegularFile {
public:
    enum class Links { Follow, Refuse };
    // The errno that stands for "not a regular file" (a fifo, a device, a socket).
    static constexpr int kNotRegular = EINVAL;

    // A descriptor opened with `flags` (O_CLOEXEC and O_NOCTTY added), or -1 with errno: ELOOP for a
    // refused link, EISDIR for a folder, kNotRegular for anything else that is not a regular file. A
    // name made anew (O_EXCL) is never taken over, whatever stands there.
    static int Open(const std::string& path, int flags, Links links, mode_t mode = 0);
    enum class Copied { All, ReadFailed, WriteFailed, PastLimit };
    // Copies `in` from where it stands to its end into `out`, at most `limit` bytes; `copied` counts
    // what was written. A failed read or write leaves its errno: a full disk or a file-size limit
    // (EFBIG) is a failed write, never taken for a source past `limit`.
    static Copied Copy(int in, int out, std::uint64_t limit, std::uint64_t& copied);
};
