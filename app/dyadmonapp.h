#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QString>

#include "platform/commandtarget.h"
#include "snapshots/core/storemessages.h"

class CCompSettings;
class CDocTemplate;
class CDocTemplates;
class CMainFrame;
class CQuitSignals;
class CSettingsProfile;
class CSnapshotStore;

// The application: settles the snapshot working folder, owns the store and the compare settings for
// the whole run, registers the viewer and compare document templates, and makes the main window.
// The store goes last, after the main window, and writes the catalogue as it goes.
class CDyadmonApp : public QObject, public CCommandTarget, private CStoreMessages {
    Q_OBJECT

public:
    // `programFolder` is where a "DadUzura" folder beside the program is looked for.
    explicit CDyadmonApp(QString programFolder);
    ~CDyadmonApp() override;

    // The start-up sequence; false ends the program.
    bool InitInstance();

    std::unique_ptr<CSnapshotStore> m_pSnapshotStore;
    std::unique_ptr<CCompSettings> m_pSettings;
    CDocTemplate& GetViewTemplate() const;
    // One file (a path or "*N") in a viewer, two in a comparison, as from the command line.
    void OpenFiles(const std::vector<std::string>& files);
    CDocTemplate& GetCompTemplate() const;
    CMainFrame* GetMainFrame() const { return m_pMainFrame.get(); }

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;
    void OnAppAbout();
    void OnFileNew();
    void OnFileOpen();
    // Closes the main window the orderly way, but never from inside a modal prompt's event loop,
    // where a document's code waits for the prompt: the prompt is closed first.
    void QuitWhenSafe();

private:
    void ShowError(const std::string& text) override;
    void ShowNotice(const std::string& text) override;

    QString m_strProgramFolder;
    std::unique_ptr<CDocTemplates> m_pTemplates;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    std::unique_ptr<CQuitSignals> m_pQuitSignals;
    int m_nMainLoopLevel = 1;
};
