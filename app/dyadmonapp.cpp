#include "dyadmonapp.h"

#include <filesystem>

#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QThread>
#include <QTimer>

#include "aboutdlg.h"
#include "browser/browser.h"
#include "browser/comparebar.h"
#include "compare/compdoc.h"
#include "compare/core/compsettings.h"
#include "files/mappingguard.h"
#include "mainframe.h"
#include "platform/prompts.h"
#include "platform/quitsignals.h"
#include "platform/settingsprofile.h"
#include "platform/shell/core/shellitem.h"
#include "platform/view.h"
#include "res/resource.h"
#include "snapshots/core/snapshotreference.h"
#include "snapshots/core/snapshotstore.h"
#include "views/doctemplates.h"
#include "views/viewdoc.h"

namespace {

const CommandEntry<CDyadmonApp> kCommands[] = {
    {Res::kAppAbout, &CDyadmonApp::OnAppAbout},
    {Res::kFileNew, &CDyadmonApp::OnFileNew},
    {Res::kFileOpen, &CDyadmonApp::OnFileOpen},
};

} // namespace

CDyadmonApp::CDyadmonApp(QString programFolder) : m_strProgramFolder(std::move(programFolder)) {}

// The documents and the main window go first; then the store, which writes the catalogue; then the
// settings.
CDyadmonApp::~CDyadmonApp() {
    m_pQuitSignals.reset();
    m_pMainFrame.reset();
    m_pTemplates.reset();
    m_pSnapshotStore.reset();
    m_pSettings.reset();
}

CDocTemplate& CDyadmonApp::GetViewTemplate() const {
    return m_pTemplates->View();
}

CDocTemplate& CDyadmonApp::GetCompTemplate() const {
    return m_pTemplates->Comp();
}

bool CDyadmonApp::InitInstance() {
    // Files are compared and shown mapped: one that shrinks meanwhile must not end the program.
    CMappingGuard::Install();
    CSettingsProfile profile;
    const std::string folder =
        CSnapshotStore::ChooseWorkingFolder(profile, QFile::encodeName(m_strProgramFolder).toStdString(),
                                            CSnapshotStore::DefaultUserDataFolder());
    if (folder.empty()) {
        return false;
    }
    // The store reports through this object, a private base that make_unique cannot see.
    m_pSnapshotStore.reset(new CSnapshotStore(static_cast<CStoreMessages&>(*this)));
    m_pSnapshotStore->LoadCatalogue(folder);
    m_pSettings = std::make_unique<CCompSettings>();
    m_pTemplates = std::make_unique<CDocTemplates>(*m_pSettings, *m_pSnapshotStore,
                                                   [this] { return m_pMainFrame.get(); });
    m_pMainFrame = std::make_unique<CMainFrame>(*m_pSettings, *m_pSnapshotStore, m_pTemplates->View(),
                                                m_pTemplates->Comp(), this);
    m_pQuitSignals = std::make_unique<CQuitSignals>();
    connect(m_pQuitSignals.get(), &CQuitSignals::Quit, this, &CDyadmonApp::QuitWhenSafe);
    // The event loop that runs next is the main one.
    m_nMainLoopLevel = QThread::currentThread()->loopLevel() + 1;
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

void CDyadmonApp::OpenFiles(const std::vector<std::string>& files) {
    // Each file's folder in its browser and the file in its slot, as if chosen there.
    for (std::size_t i = 0; i < files.size() && i < 2; ++i) {
        if (CSnapshotReference::IsReference(files[i])) {
            continue;
        }
        std::error_code ec;
        const std::filesystem::path path = std::filesystem::absolute(files[i], ec).lexically_normal();
        if (!ec && std::filesystem::is_directory(path.parent_path(), ec)) {
            (i == 0 ? m_pMainFrame->Browser1() : m_pMainFrame->Browser2())
                .GoFolder(DCShellItem(path.parent_path().string()));
        }
        if (files.size() == 2) {
            i == 0 ? m_pMainFrame->CompareBar().SetTarget1(files[i])
                   : m_pMainFrame->CompareBar().SetTarget2(files[i]);
        }
    }
    if (files.size() == 1) {
        CViewDoc::Open(GetViewTemplate(), files[0]);
    } else if (files.size() == 2) {
        CCompDoc::Open(GetCompTemplate(), {files[0], files[1]});
    }
}

// With two kinds of document there is no single new one to make.
void CDyadmonApp::OnFileNew() {}

void CDyadmonApp::OnFileOpen() {
    const QString path = CPrompts::Current().OpenFileName(m_pMainFrame.get(), QStringLiteral("Open"),
                                                          QStringLiteral("All Files (*)"));
    if (path.isEmpty()) {
        return;
    }
    const std::string bytes = QFile::encodeName(path).toStdString();
    // A file shown already is brought forward rather than opened twice, however its path is written.
    std::error_code ec;
    const std::filesystem::path wanted = std::filesystem::weakly_canonical(bytes, ec);
    for (CDocument* document : GetViewTemplate().GetDocuments()) {
        const std::filesystem::path shown =
            std::filesystem::weakly_canonical(static_cast<CViewDoc*>(document)->Path(), ec);
        if (shown != wanted) {
            continue;
        }
        for (QMdiSubWindow* window : m_pMainFrame->MdiArea().subWindowList()) {
            const auto* view = qobject_cast<CView*>(window->widget());
            if (view != nullptr && &view->GetDocument() == document) {
                m_pMainFrame->MdiArea().setActiveSubWindow(window);
                return;
            }
        }
    }
    CViewDoc::Open(GetViewTemplate(), bytes);
}

void CDyadmonApp::QuitWhenSafe() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
    }
    if (QThread::currentThread()->loopLevel() > m_nMainLoopLevel) {
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
