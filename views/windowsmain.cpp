// dyadmon-windows: opens a compare window on two targets, or a viewer on one, without the rest of the
// program. The settings are the defaults; snapshot targets ("*N") come from the user's store, read only.
// With --grab FILE it saves a picture of the window, once the files are read and compared, instead of
// staying open; it fails (status 1) when the files cannot be.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QIcon>
#include <QMdiArea>

#include "chargrid.h"
#include "compare/core/compsettings.h"
#include "files/mappingguard.h"
#include "platform/settingsprofile.h"
#include "platform/stderrprompts.h"
#include "snapshots/core/snapshotstore.h"
#include "snapshots/core/storemessages.h"
#include "windowhost.h"

namespace {

class StderrMessages : public CStoreMessages {
public:
    void ShowError(const std::string& text) override {
        std::fprintf(stderr, "dyadmon-windows: %s\n", text.c_str());
    }
    void ShowNotice(const std::string& text) override { ShowError(text); }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Files are compared and shown mapped: one that shrinks meanwhile must not end the program.
    CMappingGuard::Install();
    QCoreApplication::setApplicationName(QStringLiteral("Dyadmon v3.0"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/110.svg")));
    // Targets stay the bytes the system gave: a file name need not be valid UTF-8.
    std::vector<std::string> args(argv + 1, argv + argc);
    QString grab;
    if (args.size() >= 2 && args[0] == "--grab") {
        grab = QFile::decodeName(args[1].c_str());
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() < 1 || args.size() > 2) {
        std::fprintf(stderr, "usage: dyadmon-windows [--grab FILE.png] TARGET1 [TARGET2]\n"
                             "  two targets open a compare window, one a viewer; a target is a file or *N\n");
        return 2;
    }
    if (!CCharGrid().HasCellAdvance()) {
        std::fprintf(stderr, "dyadmon-windows: the bundled grid font is missing or not 9 pixels wide\n");
    }
    StderrMessages messages;
    CSnapshotStore store(messages);
    CSettingsProfile profile;
    const std::string folder = profile.GetString("Settings", "WorkingDir");
    if (!folder.empty()) {
        store.LoadCatalogue(folder, CSnapshotStore::Access::ReadOnly);
    }
    CCompSettings settings;
    // A picture cannot wait for the Compare Settings dialog.
    settings.askBeforeCompare = grab.isEmpty();
    CStderrPrompts unattended("dyadmon-windows");
    if (!grab.isEmpty()) {
        CPrompts::Install(&unattended);
    }
    CWindowHost host(settings, store);
    host.resize(1100, 700);
    host.show();
    const bool opened = args.size() == 2 ? host.OpenCompare(args[0], args[1]) != nullptr
                                         : host.OpenViewer(args[0]) != nullptr;
    if (!opened) {
        return 1;
    }
    if (grab.isEmpty()) {
        return QApplication::exec();
    }
    // The picture shows the result, so it waits for the reading and comparing to end.
    while (host.Work()->IsBusy()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (unattended.Failed() || host.MdiArea().subWindowList().isEmpty()) {
        return 1;
    }
    if (!host.grab().save(grab)) {
        std::fprintf(stderr, "dyadmon-windows: the picture could not be saved to %s\n",
                     grab.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
