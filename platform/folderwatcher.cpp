#include "folderwatcher.h"

#include <cstdint>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace {

// Not IN_MODIFY: a file being written would refill the list over and over; its close tells once.
constexpr std::uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB |
                                  IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

} // namespace

CFolderWatcher::CFolderWatcher(QObject* parent)
    : QObject(parent), m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (m_fd >= 0) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &CFolderWatcher::ReadEvents);
    }
}

CFolderWatcher::~CFolderWatcher() {
    if (m_fd >= 0) {
        close(m_fd);
    }
}

void CFolderWatcher::Watch(const std::string& path) {
    if (m_watch >= 0) {
        inotify_rm_watch(m_fd, m_watch);
        m_watch = -1;
    }
    m_path = path;
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0) {
        m_device = 0;
        m_inode = 0;
        return;
    }
    m_device = st.st_dev;
    m_inode = st.st_ino;
    if (m_fd >= 0) {
        m_watch = inotify_add_watch(m_fd, path.c_str(), kEvents);
    }
}

bool CFolderWatcher::StillThere() const {
    struct stat st {};
    return !m_path.empty() && stat(m_path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_dev == m_device && st.st_ino == m_inode;
}

void CFolderWatcher::ReadEvents() {
    alignas(inotify_event) char buffer[4096];
    bool changed = false;
    for (;;) {
        const ssize_t length = read(m_fd, buffer, sizeof buffer);
        if (length <= 0) {
            break;
        }
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            // Events of a watch already given up (the folder before the one shown) say nothing.
            changed = changed || (event->wd == m_watch && m_watch >= 0);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    if (changed) {
        emit Changed();
    }
}
