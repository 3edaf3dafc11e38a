#include "atomicfile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "pendingfiles.h"

namespace {

mode_t CurrentUmask() {
    const mode_t mask = umask(022);
    umask(mask);
    return mask;
}

} // namespace

CAtomicFile::~CAtomicFile() {
    Discard();
}

bool CAtomicFile::Open(const std::string& path, Target target) {
    Discard();
    m_target = path;
    char resolved[PATH_MAX];
    struct stat st {};
    if (target == Target::StoreFile) {
        if (lstat(path.c_str(), &st) == 0) {
            if (!S_ISREG(st.st_mode)) {
                errno = S_ISDIR(st.st_mode) ? EISDIR : S_ISLNK(st.st_mode) ? ELOOP : EINVAL;
                return false;
            }
            m_mode = st.st_mode & 07777;
        } else if (errno != ENOENT) {
            return false;
        } else {
            m_mode = 0666 & ~CurrentUmask();
        }
    } else if (stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            m_fd = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
            return m_fd >= 0;
        }
        if (access(path.c_str(), W_OK) != 0) {
            return false;
        }
        // Replace the file a link points to, not the link.
        if (realpath(path.c_str(), resolved) != nullptr) {
            m_target = resolved;
        }
        m_mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return false;
    } else {
        m_mode = 0666 & ~CurrentUmask();
    }

    const std::size_t slash = m_target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : m_target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? m_target : m_target.substr(slash + 1);
    std::string temp = (slash == std::string::npos ? std::string() : folder) + "." + base + ".XXXXXX";
    m_fd = CPendingFiles::Create([](std::string& name) { return mkostemp(name.data(), O_CLOEXEC); }, temp,
                                 m_pendingSlot);
    if (m_fd < 0) {
        return false;
    }
    m_tempPath = temp;
    return true;
}

void CAtomicFile::ForgetTemp() {
    CPendingFiles::Forget(m_pendingSlot);
    m_pendingSlot = -1;
    m_tempPath.clear();
}

bool CAtomicFile::WriteFully(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool CAtomicFile::Commit(bool flushToDisk) {
    if (m_fd < 0) {
        return false;
    }
    const int fd = std::exchange(m_fd, -1);
    if (m_tempPath.empty()) {
        return close(fd) == 0;
    }
    bool ok = fchmod(fd, m_mode) == 0 && (!flushToDisk || fsync(fd) == 0);
    ok = close(fd) == 0 && ok;
    if (ok) {
        ok = flushToDisk ? rename(m_tempPath.c_str(), m_target.c_str()) == 0 : MoveIntoPlace();
    }
    if (!ok) {
        unlink(m_tempPath.c_str());
    }
    ForgetTemp();
    if (ok && flushToDisk) {
        // The rename itself is only lasting once the folder is on disk too.
        const std::size_t slash = m_target.rfind('/');
        const int folder = open(slash == std::string::npos ? "." : m_target.substr(0, slash + 1).c_str(),
                                O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            fsync(folder);
            close(folder);
        }
    }
    return ok;
}

// ext4 writes a file out at once when it is renamed over another one, which makes replacing a big
// log take longer than writing it. A file that need not be on disk yet goes in place without a rename
// over anything: the old one is moved aside first, and back if the new one cannot follow.
bool CAtomicFile::MoveIntoPlace() {
    const std::string aside = m_tempPath + ".old";
    const bool hadTarget = rename(m_target.c_str(), aside.c_str()) == 0;
    if (rename(m_tempPath.c_str(), m_target.c_str()) != 0) {
        if (hadTarget) {
            rename(aside.c_str(), m_target.c_str());
        }
        return false;
    }
    if (hadTarget) {
        unlink(aside.c_str());
    }
    return true;
}

void CAtomicFile::Discard() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.empty()) {
        unlink(m_tempPath.c_str());
        ForgetTemp();
    }
}
