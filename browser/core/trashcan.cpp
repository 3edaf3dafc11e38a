#include "trashcan.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

std::string CTrashCan::EncodePath(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
            std::strchr("-._~/", byte) != nullptr) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 15];
        }
    }
    return encoded;
}

bool CTrashCan::Move(const std::string& path, const std::string& trash, std::time_t now, std::string& error) {
    const std::string files = trash + "/files";
    const std::string info = trash + "/info";
    for (const std::string& folder : {trash, files, info}) {
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            error = "the trash folder cannot be made: " + std::string(std::strerror(errno));
            return false;
        }
    }
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::tm local{};
    localtime_r(&now, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    const std::string text =
        "[Trash Info]\nPath=" + EncodePath(path) + "\nDeletionDate=" + std::string(date) + "\n";
    // The info file claims the name in the trash before the entry moves there.
    for (int attempt = 1; attempt < 10000; ++attempt) {
        const std::string trashName = attempt == 1 ? name : name + "." + std::to_string(attempt);
        const std::string infoPath = info + "/" + trashName + ".trashinfo";
        const int fd = open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            error = std::strerror(errno);
            return false;
        }
        const bool written = WriteAll(fd, text);
        const bool closed = close(fd) == 0;
        if (!written || !closed) {
            error = "the trash information cannot be written";
            unlink(infoPath.c_str());
            return false;
        }
        const std::string target = files + "/" + trashName;
        if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
            return true;
        const int cause = errno;
        unlink(infoPath.c_str());
        if (cause == EEXIST)
            continue;
        error = cause == EXDEV ? "it is on another file system than the trash" : std::strerror(cause);
        return false;
    }
    error = "the trash holds too many items of that name";
    return false;
}
