#include "folderlisting.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "naturalsortkey.h"

namespace {

bool IsFolderEntry(int dirFd, const dirent& entry) {
    struct stat info;
    switch (entry.d_type) {
    case DT_DIR:
        return true;
    case DT_LNK:
        // stat reads the inode of the link's target, never opens it.
        return fstatat(dirFd, entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
    case DT_UNKNOWN:
        if (fstatat(dirFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        if (S_ISLNK(info.st_mode))
            return fstatat(dirFd, entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        return S_ISDIR(info.st_mode);
    default:
        return false;
    }
}

} // namespace

bool CFolderListing::Read(const std::string& folder) {
    m_names.clear();
    m_entries.clear();
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return false;
    }
    std::string keys;
    CNaturalSortKey sortKey;
    bool failed = false;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir);
        if (!entry) {
            failed = errno != 0;
            break;
        }
        if (entry->d_name[0] == '.')
            continue;
        const std::string_view name = entry->d_name;
        const std::size_t keyOffset = keys.size();
        sortKey.Append(name, keys);
        m_entries.push_back({m_names.size(), keyOffset, static_cast<unsigned>(name.size()),
                             static_cast<unsigned>(keys.size() - keyOffset),
                             IsFolderEntry(dirfd(dir), *entry)});
        m_names.append(name);
    }
    closedir(dir);
    if (failed) {
        m_names.clear();
        m_entries.clear();
        return false;
    }
    const std::string_view keyBytes = keys;
    std::sort(m_entries.begin(), m_entries.end(), [keyBytes](const Entry& a, const Entry& b) {
        if (a.folder != b.folder)
            return a.folder;
        return keyBytes.substr(a.keyOffset, a.keyLength) < keyBytes.substr(b.keyOffset, b.keyLength);
    });
    return true;
}
