#pragma once

#include <string>
#include <sys/types.h>

#include <QObject>

class QSocketNotifier;

// Tells when the folder a pane shows changes: an entry made, removed or renamed, a file rewritten or
// its times or mode changed, the folder itself removed or moved away from its path. Qt's own watcher
// hears of none of the last three.
class CFolderWatcher : public QObject {
    Q_OBJECT

public:
    explicit CFolderWatcher(QObject* parent = nullptr);
    ~CFolderWatcher() override;

    // Watches `path` (the system's bytes) in place of the folder watched before; empty watches none.
    void Watch(const std::string& path);
    // Whether the folder watched is still the one at its path: not removed, not moved away.
    bool StillThere() const;

signals:
    void Changed();

private:
    void ReadEvents();

    int m_fd;
    int m_watch = -1;
    std::string m_path;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    QSocketNotifier* m_notifier = nullptr;
};
