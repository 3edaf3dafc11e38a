#include "entryrename.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/shell/core/shellitem.h"

namespace {

int RenameOnce(const std::string& from, const std::string& to) {
    return renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
}

bool SameEntry(const std::string& a, const std::string& b) {
    struct stat first;
    struct stat second;
    return lstat(a.c_str(), &first) == 0 && lstat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

int RenameWithoutReplacing(const std::string& from, const std::string& to) {
    int cause = RenameOnce(from, to);
    if (cause == EINVAL || cause == ENOSYS) {
        // A file system without the kernel's check (NFS): look first. The moment between look and
        // rename is the only one left open.
        struct stat existing;
        if (lstat(to.c_str(), &existing) == 0) {
            return EEXIST;
        }
        return errno != ENOENT ? errno : rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    }
    if (cause == EEXIST && SameEntry(from, to)) {
        // A name that differs only in case on a file system that ignores case: through a free name.
        const std::string aside =
            to.substr(0, to.rfind('/') + 1) + ".dyadmon-rename-" + std::to_string(getpid());
        if ((cause = RenameOnce(from, aside)) == 0 && (cause = RenameOnce(aside, to)) != 0) {
            RenameOnce(aside, from);
        }
    }
    return cause;
}

} // namespace

std::string CEntryRename::Refusal(std::string_view name) {
    if (name.empty()) {
        return "A name cannot be empty.";
    }
    if (name.find('/') != std::string_view::npos || name.find('\0') != std::string_view::npos) {
        return "A name cannot contain \"/\".";
    }
    if (name == "." || name == "..") {
        std::string refusal = "\"";
        return refusal.append(name).append("\" cannot be a name.");
    }
    // The file list keeps the name in its item's identifier.
    if (name.size() > DCShellItem::kMaxIdentifierData) {
        return "The name is too long.";
    }
    return {};
}

int CEntryRename::Rename(const std::string& path, std::string_view name) {
    return RenameWithoutReplacing(path, path.substr(0, path.rfind('/') + 1) + std::string(name));
}
