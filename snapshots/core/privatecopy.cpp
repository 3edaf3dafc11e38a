#include "privatecopy.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/regularfile.h"

namespace {

// Ours alone: a real folder (not a link), owned by `uid`, that nobody else may enter.
bool IsPrivateFolder(const std::string& path, uid_t uid) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == uid &&
           (st.st_mode & 077) == 0;
}

std::string Reason(const std::string& what, const std::string& path) {
    return what + " " + path + " (" + std::strerror(errno) + ")";
}

} // namespace

std::string CPrivateCopy::TempRoot(const char* tmpdir) {
    struct stat st {};
    // A relative or empty name would put the copy wherever the program happens to run, or in "/".
    if (tmpdir != nullptr && tmpdir[0] == '/' && stat(tmpdir, &st) == 0 && S_ISDIR(st.st_mode) &&
        access(tmpdir, W_OK | X_OK) == 0) {
        return tmpdir;
    }
    return "/tmp";
}

std::string CPrivateCopy::PrivateFolder(const std::string& tempRoot, uid_t uid, std::string& error) {
    if (tempRoot.empty() || tempRoot[0] != '/') {
        errno = ENOENT;
        error = Reason("Can't make a private folder in the temporary folder", "\"" + tempRoot + "\"");
        return {};
    }
    const std::string folder = tempRoot + "/dyadmon-" + std::to_string(uid);
    if ((mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) && IsPrivateFolder(folder, uid)) {
        return folder;
    }
    // Someone else made the name first, or it is not private: a fresh folder of our own instead.
    std::string fresh = folder + "-XXXXXX";
    if (mkdtemp(fresh.data()) == nullptr) {
        error = Reason("Can't make a private folder in", tempRoot);
        return {};
    }
    return fresh;
}

std::string CPrivateCopy::Extension(const std::string& sourcePath) {
    const std::size_t slash = sourcePath.rfind('/');
    const std::string name = slash == std::string::npos ? sourcePath : sourcePath.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    // A name that is all dot and extension (".profile") has no extension; a very long one is no
    // extension a desktop knows either.
    if (dot == std::string::npos || dot == 0 || name.size() - dot > 32) {
        return {};
    }
    // Only letters, digits, "-" and "_": the copy's name must be text the desktop can be handed.
    const std::string extension = name.substr(dot);
    const bool plain = std::all_of(extension.begin() + 1, extension.end(), [](unsigned char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
               c == '_';
    });
    return plain ? extension : std::string();
}

std::string CPrivateCopy::Make(const std::string& image, const std::string& extension,
                               const std::string& folder, std::string& error) {
    const int in = CRegularFile::Open(image, O_RDONLY, CRegularFile::Links::Refuse);
    if (in < 0) {
        error = Reason("Can't open the file", image);
        return {};
    }
    // mkostemps makes the file under its final name, so no empty file is left beside the copy.
    std::string copy = folder + "/snapshot-XXXXXX" + extension;
    const int out = mkostemps(copy.data(), static_cast<int>(extension.size()), O_CLOEXEC);
    if (out < 0) {
        error = Reason("Can't make a copy in", folder);
        close(in);
        return {};
    }
    std::uint64_t copied = 0;
    bool ok = CRegularFile::Copy(in, out, UINT64_MAX, copied) == CRegularFile::Copied::All;
    ok = close(out) == 0 && ok;
    close(in);
    if (!ok) {
        error = Reason("Can't write the copy", copy);
        unlink(copy.c_str());
        return {};
    }
    return copy;
}
