#pragma once

#include <string>
#include <sys/types.h>

// A copy of a snapshot's image for another program to open: in a folder of this user's own inside
// the temporary folder, under a fresh name that keeps the original file's extension, so the desktop
// picks the right program, and readable by this user alone.
class CPrivateCopy {
public:
    // The temporary folder to use: `tmpdir` (the TMPDIR variable, may be null) when it names a folder
    // this user may write in by an absolute path, else "/tmp".
    static std::string TempRoot(const char* tmpdir);
    // The user's private folder in `tempRoot` (an absolute path), made if need be: "dyadmon-<uid>", or, when
    // another user (or a link) holds that name, a fresh folder beside it. Empty, with `error`, on failure.
    static std::string PrivateFolder(const std::string& tempRoot, uid_t uid, std::string& error);
    // The extension of the file that `sourcePath` names: from the last "." of its name on, or empty
    // for a name without one, one whose only dot starts it, or one that is not plain letters and digits.
    static std::string Extension(const std::string& sourcePath);
    // Copies `image` to a new file in `folder` whose name ends in `extension`, mode 0600: its path,
    // or empty with `error`. The image must be a regular file, not a link.
    static std::string Make(const std::string& image, const std::string& extension, const std::string& folder,
                            std::string& error);
};
