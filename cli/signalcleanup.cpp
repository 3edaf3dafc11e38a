#include "signalcleanup.h"

#include <cerrno>
#include <csignal>

#include "files/pendingfiles.h"

namespace {

void OnTerminate(int signal) {
    CPendingFiles::RemoveAll();
    // Die of the signal all the same, so the caller sees how the program ended.
    std::signal(signal, SIG_DFL);
    raise(signal);
}

// Those whose default action ends the process, but SIGBUS (the mapped files' guard has it), SIGPIPE
// and SIGXFSZ (turned into failed writes), and SIGKILL and SIGSTOP, which cannot be caught.
constexpr int kEnding[] = {SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT,   SIGFPE,
                           SIGUSR1,   SIGSEGV, SIGUSR2, SIGALRM, SIGTERM, SIGSTKFLT, SIGXCPU,
                           SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGSYS};

void Catch(int signal, const struct sigaction& action) {
    struct sigaction before {};
    // A signal ignored by whoever started us (nohup, a shell's trap '') stays ignored.
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) {
        return;
    }
    sigaction(signal, &action, nullptr);
}

} // namespace

void CSignalCleanup::Install() {
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    // One clean-up at a time: a second signal waits until the first has removed the files.
    sigfillset(&action.sa_mask);
    for (const int signal : kEnding) {
        Catch(signal, action);
    }
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        Catch(signal, action);
    }
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}

void CSignalCleanup::EndIfReaderGone(int error) {
    if (error != EPIPE) {
        return;
    }
    CPendingFiles::RemoveAll();
    std::signal(SIGPIPE, SIG_DFL);
    raise(SIGPIPE);
}
