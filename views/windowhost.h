#pragma once

#include <memory>

#include <QMainWindow>

#include "platform/doctemplate.h"
#include "platform/statustext.h"

class CCompDoc;
class CCompSettings;
class CSnapshotStore;
class CViewDoc;
class QMdiArea;

// A plain window that holds compare and viewer windows with the document templates of the program,
// so they can be opened and driven without the rest of it: by the widget tests, and by a developer
// through dyadmon-windows. Its title names the active document, as the main frame's does.
class CWindowHost : public QMainWindow, public CStatusText {
    Q_OBJECT

public:
    static constexpr int kViewTemplate = 127;
    static constexpr int kCompTemplate = 153;

    // The settings and the store outlive the host.
    CWindowHost(CCompSettings& settings, const CSnapshotStore& store);
    ~CWindowHost() override;

    // The two-step openings the program's callers use: open through the template, then load. Null when
    // opening failed (it has been reported).
    CCompDoc* OpenCompare(const QString& target1, const QString& target2);
    CViewDoc* OpenViewer(const QString& target);

    CDocTemplate& ViewTemplate() { return *m_viewTemplate; }
    CDocTemplate& CompTemplate() { return *m_compTemplate; }
    QMdiArea& MdiArea() const { return *m_area; }

    void SetStatusText(const QString& text) override;

private:
    void OnActiveWindowChanged();

    QMdiArea* m_area;
    std::unique_ptr<CDocTemplate> m_viewTemplate;
    std::unique_ptr<CDocTemplate> m_compTemplate;
    QMetaObject::Connection m_titleConnection;
};
