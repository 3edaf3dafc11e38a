// dyadmon: the desktop program.
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QIcon>

#include "dyadmonapp.h"
#include "mainframe.h"
#include "views/chargrid.h"

int main(int argc, char** argv) {
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
        status = QApplication::exec();
    }
    return status;
}
