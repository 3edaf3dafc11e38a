#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a queued Quit(), so the program ends the same orderly way
// as when its window is closed, and what the run changed is written.
class CQuitSignals : public QObject {
    Q_OBJECT

public:
    explicit CQuitSignals(QObject* parent = nullptr);
    ~CQuitSignals() override;

signals:
    void Quit(int signal);

private:
    QSocketNotifier* m_notifier = nullptr;
};
