#include "regularfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "atomicfile.h"

namespace {

int KindError(const struct stat& st) {
    return S_ISLNK(st.st_mode) ? ELOOP : S_ISDIR(st.st_mode) ? EISDIR : CRegularFile::kNotRegular;
}

} // namespace

int CRegularFile::Open(const std::string& path, int flags, Links links, mode_t mode) {
    const bool refuseLinks = links == Links::Refuse;
    struct stat st {};
    if ((flags & O_EXCL) == 0 && (refuseLinks ? lstat(path.c_str(), &st) : stat(path.c_str(), &st)) == 0 &&
        !S_ISREG(st.st_mode)) {
        errno = KindError(st);
        return -1;
    }
    const int fd =
        open(path.c_str(), flags | (refuseLinks ? O_NOFOLLOW : 0) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
    if (fd < 0) {
        return -1;
    }
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = KindError(st);
        close(fd);
        errno = error;
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

CRegularFile::Copied CRegularFile::Copy(int in, int out, std::uint64_t limit, std::uint64_t& copied) {
    std::vector<char> chunk(1 << 20);
    copied = 0;
    for (;;) {
        const ssize_t n = read(in, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n == 0 ? Copied::All : Copied::ReadFailed;
        }
        if (copied + static_cast<std::uint64_t>(n) > limit) {
            return Copied::PastLimit;
        }
        if (!CAtomicFile::WriteFully(out, {chunk.data(), static_cast<std::size_t>(n)})) {
            return Copied::WriteFailed;
        }
        copied += static_cast<std::uint64_t>(n);
    }
}
