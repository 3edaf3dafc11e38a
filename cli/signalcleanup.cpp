#include "signalcleanup.h"

#include <csignal>

#include "compare/core/pendingfiles.h"

namespace {

void OnTerminate(int signal) {
    CPendingFiles::RemoveAll();
    // Die of the signal all the same, so the caller sees how the program ended.
    std::signal(signal, SIG_DFL);
    raise(signal);
}

} // namespace

void CSignalCleanup::Install() {
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaddset(&action.sa_mask, signal);
    }
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
    std::signal(SIGXFSZ, SIG_IGN);
}
