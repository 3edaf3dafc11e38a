#include "filehead.h"

#include <fcntl.h>
#include <unistd.h>

#include "files/regularfile.h"

std::string CFileHead::Read(const std::string& path) {
    const int fd = CRegularFile::Open(path, O_RDONLY, CRegularFile::Links::Follow);
    if (fd < 0) {
        return {};
    }
    std::string head(kSize, '\0');
    const ssize_t got = read(fd, head.data(), head.size());
    head.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    close(fd);
    return head;
}
