#pragma once

#include <cerrno>
#include <string>

// A folder that this process may not change for as long as the object lives: by its mode for an
// ordinary user, by a read-only bind mount over it for root, whom modes do not stop. Made() is false
// where neither can be had (root without the right to mount); the test then skips.
class CReadOnlyFolder {
public:
    explicit CReadOnlyFolder(std::string path);
    ~CReadOnlyFolder();
    CReadOnlyFolder(const CReadOnlyFolder&) = delete;
    CReadOnlyFolder& operator=(const CReadOnlyFolder&) = delete;

    bool Made() const { return m_made; }
    // What the system says to a change in the folder: EACCES by mode, EROFS by mount.
    int Error() const { return m_mounted ? EROFS : EACCES; }

private:
    std::string m_path;
    bool m_made = false;
    bool m_mounted = false;
};
