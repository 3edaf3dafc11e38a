#include "entrykind.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Kind(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "it is a folder";
    }
    if (S_ISFIFO(mode)) {
        return "it is a named pipe (fifo)";
    }
    if (S_ISSOCK(mode)) {
        return "it is a socket";
    }
    if (S_ISCHR(mode)) {
        return "it is a character device";
    }
    if (S_ISBLK(mode)) {
        return "it is a block device";
    }
    return "it is not a regular file";
}

} // namespace

std::string CEntryKind::WhyNotRegular(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) {
        return S_ISREG(st.st_mode) ? std::string() : Kind(st.st_mode);
    }
    const int error = errno;
    struct stat link {};
    if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        std::string target(4096, '\0');
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        target.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
        return "it is a symbolic link to \"" + target + "\", which " +
               (error == ENOENT ? std::string("does not exist")
                                : "cannot be reached (" + std::string(std::strerror(error)) + ")");
    }
    return error == ENOENT ? "it does not exist" : std::strerror(error);
}
