// dyadmon: the desktop program.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QTimer>

#include "commandline.h"
#include "compare/core/compsettings.h"
#include "dyadmonapp.h"
#include "mainframe.h"
#include "platform/backgroundwork.h"
#include "platform/stderrprompts.h"
#include "views/chargrid.h"

namespace {

// A picture of the window with the files open and compared, taken with no one to answer.
int Grab(CDyadmonApp& app, const CCommandLine::Request& request) {
    CStderrPrompts unattended("dyadmon");
    CPrompts::Install(&unattended);
    app.m_pSettings->askBeforeCompare = false;
    app.OpenFiles(request.files);
    CMainFrame& frame = *app.GetMainFrame();
    while (frame.Work()->IsBusy()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QCoreApplication::processEvents();
    // A picture of a failure would show something other than what was asked for.
    const bool saved = !unattended.Failed() && frame.grab().save(QFile::decodeName(request.grab.c_str()));
    CPrompts::Install(nullptr);
    if (!saved && !unattended.Failed()) {
        std::fprintf(stderr, "dyadmon: the picture could not be saved to %s\n", request.grab.c_str());
    }
    frame.close();
    return saved ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    // Help and version need no display, and a wrong command line no window.
    CCommandLine::Request request;
    std::string error;
    switch (CCommandLine::Parse(std::vector<std::string>(argv + 1, argv + argc), request, error)) {
    case CCommandLine::Action::Help:
        return std::fputs(CCommandLine::kUsage, stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 2;
    case CCommandLine::Action::Version:
        return std::fputs("dyadmon " DYAD_VERSION "\n", stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 2;
    case CCommandLine::Action::Trouble:
        std::fprintf(stderr, "dyadmon: %s\n", error.c_str());
        return 2;
    case CCommandLine::Action::Run:
        break;
    }
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orvane Lab"));
    QApplication::setApplicationName(QStringLiteral("Dyadmon v3.0"));
    QApplication::setDesktopFileName(QStringLiteral("dyadmon"));
    // Every window and dialog takes it from here.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/110.svg")));
    if (!CCharGrid().HasCellAdvance()) {
        std::fprintf(
            stderr,
            "dyadmon: the bundled grid font is missing or not 9 pixels wide; hex cells may look uneven\n");
    }
    int status = 1;
    {
        CDyadmonApp app(QApplication::applicationDirPath());
        if (!app.InitInstance()) {
            return 1;
        }
        // Scripts and tests that start the program learn here that its window is up.
        if (std::getenv("DYADMON_NOTIFY_READY") != nullptr) {
            std::fprintf(stderr, "dyadmon: ready\n");
            std::fflush(stderr);
        }
        if (!request.grab.empty()) {
            return Grab(app, request);
        }
        // Once the window is up, as Compare! opens them.
        if (!request.files.empty()) {
            QTimer::singleShot(0, &app, [&app, &request] { app.OpenFiles(request.files); });
        }
        status = QApplication::exec();
    }
    return status;
}
