#pragma once

#include <string>

#include <QMainWindow>

#include "doctemplates.h"
#include "platform/backgroundwork.h"
#include "platform/commandactions.h"
#include "platform/documenthost.h"
#include "platform/titlefollower.h"

class CCompDoc;
class CCompSettings;
class CSnapshotStore;
class CProgressPanel;
class CStatusMessage;
class CViewDoc;
class QMdiArea;

// A plain window that holds compare and viewer windows with the document templates of the program,
// so they can be opened and driven without the rest of it: by the widget tests, and by a developer
// through dyadmon-windows. Its title names the active document, as the main frame's does, and the
// program's keys reach the active document's commands.
class CWindowHost : public QMainWindow, public CDocumentHost {
    Q_OBJECT

public:
    // The settings and the store outlive the host. With Thread::Caller, comparisons are done by the time
    // they are opened.
    CWindowHost(CCompSettings& settings, const CSnapshotStore& store,
                CBackgroundWork::Thread thread = CBackgroundWork::Thread::Worker);
    ~CWindowHost() override;

    // Targets are paths as the system's bytes, or snapshot references. Null when opening failed (it
    // has been reported).
    CCompDoc* OpenCompare(const std::string& target1, const std::string& target2);
    CViewDoc* OpenViewer(const std::string& target);

    CDocTemplate& ViewTemplate() { return m_templates.View(); }
    CDocTemplate& CompTemplate() { return m_templates.Comp(); }
    QMdiArea& MdiArea() const { return *m_area; }

    void SetStatusText(const QString& text) override;
    // What the status bar shows.
    QString StatusText() const;
    CBackgroundWork* Work() override { return &m_work; }
    void UpdateCommands() override { m_actions.Update(); }
    CCommandActions& Actions() { return m_actions; }
    CProgressPanel& ProgressPanel() const { return *m_progress; }

private:
    void OnActiveWindowChanged();
    CCommandRouter::Route Route() const;

    CBackgroundWork m_work;
    QMdiArea* m_area;
    CProgressPanel* m_progress;
    CStatusMessage* m_message;
    CDocTemplates m_templates;
    CTitleFollower m_title{*this};
    CCommandActions m_actions{this, [this] { return Route(); }};
};
