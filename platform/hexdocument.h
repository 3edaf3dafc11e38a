#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QFileSystemWatcher>
#include <QPointer>
#include <QTimer>

#include "backgroundwork.h"
#include "document.h"

class CDocumentHost;

// A document shown as rows of hex bytes: a viewed file or a comparison. The user may halve or double
// the bytes a row holds and show or hide the characters column; the document then reads its files
// again. The commands for that live here, so the main window need not know which kind is active.
class CHexDocument : public CDocument {
    Q_OBJECT

public:
    // `status` may be null; its work runner, when it has one, runs the document's long work. Both
    // outlive the document.
    CHexDocument(bool ansi, CDocumentHost* status);

    virtual std::int32_t BytesPerLine() const = 0;
    virtual std::int32_t MaxBytesPerLine() const = 0;
    // Clamped to 1 .. MaxBytesPerLine().
    virtual void SetBytesPerLine(std::int32_t bytes) = 0;
    bool IsAnsi() const { return m_bAnsi; }
    void SetAnsi(bool ansi) { m_bAnsi = ansi; }
    // Reads the files afresh with the current display fields and updates the views.
    virtual void Reload() = 0;
    // While its files are being read or compared, the commands that would read them again wait.
    virtual bool IsBusy() const { return false; }
    // Where the document's long work runs: the window's runner, or one that works at once on this
    // thread when there is no window with a runner. Null once the window's runner has gone.
    CBackgroundWork* Work() const { return m_work.data(); }
    // Where the document tells what it has done, null when nowhere.
    CDocumentHost* Status() const { return m_status; }
    // The name of a file found cut short since it was read (its bytes past the new end read as zeros);
    // empty when none was.
    virtual QString ChangedFile() const { return {}; }
    // The name of a file written, replaced or removed since it was read; empty when none was. Asks
    // the file system, so not for every paint.
    virtual QString RewrittenFile() const { return {}; }
    // Asks the user, once for each reading, whether to read a file again that was cut short while it
    // was compared or shown (the views call it after they paint), or, with `onDisk`, one written since.
    void TellIfChanged(bool onDisk = false);

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    void OnViewAnsi();
    void OnLessColumns();
    void OnMoreColumns();
    void OnUpdateViewAnsi(CommandState& state);
    void OnUpdateLessColumns(CommandState& state);
    void OnUpdateMoreColumns(CommandState& state);

protected:
    // The files were read again: a change is told anew.
    void ForgetChange() { m_bToldChange = false; }
    // The files the document shows: a change to one is told when it has settled.
    void WatchFiles(const std::vector<std::string>& paths);

private:
    CDocumentHost* m_status;
    // Runs the work at once when there is no status bar with a runner of its own.
    CBackgroundWork m_foreground{CBackgroundWork::Thread::Caller};
    // The window's runner may go first when the program closes.
    QPointer<CBackgroundWork> m_work;
    bool m_bAnsi;
    bool m_bToldChange = false;
    QFileSystemWatcher m_watcher;
    // A program writing a file changes it many times: asked once it has been quiet a moment.
    QTimer m_settle;
};
