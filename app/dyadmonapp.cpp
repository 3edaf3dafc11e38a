#include "dyadmonapp.h"

#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QThread>
#include <QTimer>

#include "aboutdlg.h"
#include "compare/compdoc.h"
#include "compare/core/compsettings.h"
#include "mainframe.h"
#include "platform/doctemplate.h"
#include "platform/prompts.h"
#include "platform/quitsignals.h"
#include "platform/settingsprofile.h"
#include "res/resource.h"
#include "snapshots/core/snapshotstore.h"
#include "views/childframe.h"
#include "views/compview.h"
#include "views/viewdoc.h"
#include "views/viewview.h"

namespace {

const CommandEntry<CDyadmonApp> kCommands[] = {
    {Res::kAppAbout, &CDyadmonApp::OnAppAbout},
    {Res::kFileNew, &CDyadmonApp::OnFileNew},
    {Res::kFileOpen, &CDyadmonApp::OnFileOpen},
};

} // namespace

CDyadmonApp::CDyadmonApp(QString programFolder) : m_programFolder(std::move(programFolder)) {}

// The documents and the main window go first; then the store, which writes the catalogue; then the
// settings.
CDyadmonApp::~CDyadmonApp() {
    m_quitSignals.reset();
    m_pMainFrame.reset();
    m_pCompTemplate.reset();
    m_pViewTemplate.reset();
    delete m_pSnapshotStore;
    delete m_pSettings;
}

bool CDyadmonApp::InitInstance() {
    CSettingsProfile profile;
    const std::string folder = CSnapshotStore::ChooseWorkingFolder(
        profile, QFile::encodeName(m_programFolder).toStdString(), CSnapshotStore::DefaultUserDataFolder());
    if (folder.empty()) {
        return false;
    }
    m_pSnapshotStore = new CSnapshotStore(*this);
    m_pSnapshotStore->LoadCatalogue(folder);
    delete m_pSettings;
    m_pSettings = new CCompSettings();

    CCompSettings& settings = *m_pSettings;
    const CSnapshotStore& store = *m_pSnapshotStore;
    const auto frame = [] { return new CChildFrame; };
    m_pViewTemplate = std::make_unique<CDocTemplate>(
        Res::kViewType, QStringLiteral("View"),
        [&settings, &store] { return std::make_unique<CViewDoc>(settings, store); },
        [&settings](CDocument& doc) { return new CViewView(static_cast<CViewDoc&>(doc), settings); }, frame);
    m_pCompTemplate = std::make_unique<CDocTemplate>(
        Res::kCompType, QStringLiteral("Comp"),
        [this, &settings, &store] { return std::make_unique<CCompDoc>(settings, store, m_pMainFrame.get()); },
        [&settings](CDocument& doc) { return new CCompView(static_cast<CCompDoc&>(doc), settings); }, frame);

    m_pMainFrame =
        std::make_unique<CMainFrame>(settings, *m_pSnapshotStore, *m_pViewTemplate, *m_pCompTemplate, this);
    // The command line is not looked at: no document opens at start.
    m_quitSignals = std::make_unique<CQuitSignals>();
    connect(m_quitSignals.get(), &CQuitSignals::Quit, this, &CDyadmonApp::QuitWhenSafe);
    // The event loop that runs next is the main one.
    m_mainLoopLevel = QThread::currentThread()->loopLevel() + 1;
    m_pMainFrame->RestoreAndShow();
    return true;
}

bool CDyadmonApp::OnCommand(int id) {
    return DispatchCommand<CDyadmonApp>(*this, kCommands, id);
}

bool CDyadmonApp::OnUpdateCommand(int id, CommandState& state) {
    return DispatchUpdate<CDyadmonApp>(*this, kCommands, id, state);
}

void CDyadmonApp::OnAppAbout() {
    CAboutDlg about(m_pMainFrame.get());
    about.exec();
}

// With two kinds of document there is no single new one to make.
void CDyadmonApp::OnFileNew() {}

void CDyadmonApp::OnFileOpen() {
    const QString path = CPrompts::Current().OpenFileName(m_pMainFrame.get(), QStringLiteral("Open"),
                                                          QStringLiteral("All Files (*)"));
    if (path.isEmpty()) {
        return;
    }
    // A file shown already is brought forward rather than opened twice.
    for (CDocument* document : m_pViewTemplate->GetDocuments()) {
        if (static_cast<CViewDoc*>(document)->Path() == QFile::encodeName(path).toStdString()) {
            for (QMdiSubWindow* window : m_pMainFrame->MdiArea().subWindowList()) {
                if (qobject_cast<CView*>(window->widget()) != nullptr &&
                    &qobject_cast<CView*>(window->widget())->GetDocument() == document) {
                    m_pMainFrame->MdiArea().setActiveSubWindow(window);
                    return;
                }
            }
        }
    }
    if (auto* document = static_cast<CViewDoc*>(m_pViewTemplate->OpenDocumentFile(path))) {
        document->LoadFile();
    }
}

void CDyadmonApp::QuitWhenSafe() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
    }
    if (QThread::currentThread()->loopLevel() > m_mainLoopLevel) {
        QTimer::singleShot(0, this, &CDyadmonApp::QuitWhenSafe);
        return;
    }
    if (m_pMainFrame != nullptr) {
        m_pMainFrame->close();
    }
}

void CDyadmonApp::ShowError(const std::string& text) {
    CPrompts::Current().Message(m_pMainFrame.get(), QString::fromStdString(text), CPrompts::Icon::Error);
}

void CDyadmonApp::ShowNotice(const std::string& text) {
    CPrompts::Current().Message(m_pMainFrame.get(), QString::fromStdString(text),
                                CPrompts::Icon::Information);
}
