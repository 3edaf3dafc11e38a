#include "readonlyfolder.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

CReadOnlyFolder::CReadOnlyFolder(std::string path) : m_path(std::move(path)) {
    if (geteuid() != 0) {
        m_made = chmod(m_path.c_str(), 0555) == 0;
        return;
    }
    if (mount(m_path.c_str(), m_path.c_str(), nullptr, MS_BIND, nullptr) != 0) {
        return;
    }
    m_mounted = true;
    m_made = mount(nullptr, m_path.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

CReadOnlyFolder::~CReadOnlyFolder() {
    if (m_mounted) {
        umount2(m_path.c_str(), MNT_DETACH);
    } else if (m_made) {
        chmod(m_path.c_str(), 0755);
    }
}
