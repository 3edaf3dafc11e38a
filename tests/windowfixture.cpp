#include "windowfixture.h"

#include <filesystem>

#include <QApplication>
#include <QCoreApplication>
#include <QPainter>
#include <QTest>

#include "app/dyadmonapp.h"
#include "app/mainframe.h"
#include "compare/compdoc.h"
#include "platform/backgroundwork.h"
#include "platform/settingsprofile.h"
#include "views/chargrid.h"
#include "views/viewdoc.h"

CWindowFixture::CWindowFixture() {
    settings.askBeforeCompare = false;
    settings.unitSize = 1;
    std::filesystem::create_directory(dir.path() / "store");
    store.LoadCatalogue(dir / "store");
}

void CWindowFixture::TakeSnapshots(int count) {
    for (int i = 1; i <= count; ++i) {
        CTempDir::Write(dir / "source", "snapshot " + std::to_string(i));
        SnapshotRecord record;
        std::string error;
        ASSERT_TRUE(CSnapshotStore::DescribeFile(dir / "source", i, record, error)) << error;
        record.snapshotName = "snap" + std::to_string(i);
        ASSERT_EQ(store.AddRecord(record), i - 1);
    }
    CTempDir::Write(dir / "source", "changed since");
}

std::unique_ptr<CCompDoc> CWindowFixture::OpenCompareDoc(const std::string& data1, const std::string& data2,
                                                         CDocumentHost* status) {
    CTempDir::Write(dir / "one", data1);
    CTempDir::Write(dir / "two", data2);
    auto doc = std::make_unique<CCompDoc>(settings, store, status);
    EXPECT_TRUE(doc->OnOpenDocument(CCompareTargets{dir / "one", dir / "two"}.Join()));
    return doc;
}

std::vector<QString> CWindowFixture::Messages(CPrompts::Icon icon) {
    std::vector<QString> texts;
    for (const CPromptRecorder::Shown& shown : prompts.messages) {
        EXPECT_EQ(shown.icon, icon) << shown.text.toStdString();
        texts.push_back(shown.text);
    }
    prompts.messages.clear();
    return texts;
}

QImage TextImage(std::string_view text, QRgb colour) {
    QImage image(9 * static_cast<int>(text.size()), 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QColor(colour));
    CCharGrid().DrawText(painter, 0, 0, text);
    return image;
}

void WaitUntilIdle(CBackgroundWork& work) {
    while (work.IsBusy()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

bool Eventually(const std::function<bool()>& reached) {
    return QTest::qWaitFor(reached, 60'000);
}

CWorkHold::CWorkHold(CBackgroundWork& work, QString prefix) : m_work(work), m_prefix(std::move(prefix)) {
    work.SetReportHook([this, &work](const CBackgroundWork::State& state) {
        if (state.text.startsWith(m_prefix) && !m_held.exchange(true)) {
            // Wakes the window's thread, which may be waiting for events in Reached.
            QMetaObject::invokeMethod(
                qApp, [] {}, Qt::QueuedConnection);
            work.WaitUntilStopped();
        }
    });
}

CWorkHold::~CWorkHold() {
    m_work.SetReportHook(nullptr);
}

void CWorkHold::Reached() {
    while (!m_held) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

CProgramFixture::CProgramFixture() {
    CSettingsProfile().Settings().clear();
    setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    std::filesystem::create_directory(dir / "program");
}

CProgramFixture::~CProgramFixture() {
    app.reset();
}

CMainFrame& CProgramFixture::Start() {
    app = std::make_unique<CDyadmonApp>(Q(dir / "program"));
    EXPECT_TRUE(app->InitInstance());
    app->m_pSettings->askBeforeCompare = false;
    // Headless windows take the focus only once their window is the active one.
    QApplication::setActiveWindow(app->GetMainFrame());
    return *app->GetMainFrame();
}

void CProgramFixture::Stop() {
    app->GetMainFrame()->close();
    app.reset();
}

CMainFrame& CProgramFixture::Frame() {
    return *app->GetMainFrame();
}

void CProgramFixture::Run(int id) {
    Frame().Actions().Execute(id);
}

CCompDoc* CProgramFixture::OpenCompare(const std::string& one, const std::string& two) {
    CCompDoc* doc = CCompDoc::Open(app->GetCompTemplate(), {one, two});
    WaitUntilIdle(*Frame().Work());
    return doc;
}

CViewDoc* CProgramFixture::OpenViewer(const std::string& path) {
    return CViewDoc::Open(app->GetViewTemplate(), path);
}
