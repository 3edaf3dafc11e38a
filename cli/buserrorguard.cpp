#include "buserrorguard.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

#include "files/pendingfiles.h"

namespace {

constexpr std::size_t kMaxRanges = 8;
constexpr std::size_t kMaxText = 4096;

// Filled before the ranges are published, read only by the handler.
struct Range {
    const char* begin;
    const char* end;
    char message[kMaxText];
    std::size_t messageLength;
};

Range g_ranges[kMaxRanges];
std::atomic<std::size_t> g_rangeCount{0};
char g_program[256];

void CopyText(char* to, std::size_t room, const std::string& text) {
    const std::size_t n = std::min(text.size(), room - 1);
    std::memcpy(to, text.data(), n);
    to[n] = '\0';
}

void OnBusError(int signal, siginfo_t* info, void*) {
    const char* address = static_cast<const char*>(info->si_addr);
    const std::size_t count = g_rangeCount.load();
    for (std::size_t i = 0; i < count; ++i) {
        const Range& r = g_ranges[i];
        if (address >= r.begin && address < r.end) {
            CPendingFiles::RemoveAll();
            [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, r.message, r.messageLength);
            _exit(CBusErrorGuard::kExitStatus);
        }
    }
    // Not a file of ours: die of it as if no handler were there, but leave no half-written file.
    CPendingFiles::RemoveAll();
    std::signal(signal, SIG_DFL);
    raise(signal);
}

} // namespace

void CBusErrorGuard::Install(const std::string& program) {
    CopyText(g_program, sizeof g_program, program);
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, nullptr);
}

void CBusErrorGuard::Watch(const void* begin, std::size_t length, const std::string& name) {
    const std::size_t index = g_rangeCount.load();
    if (index >= kMaxRanges) {
        return;
    }
    Range& r = g_ranges[index];
    r.begin = static_cast<const char*>(begin);
    r.end = r.begin + length;
    const std::string text =
        std::string(g_program) + ": The file " + name + " changed size while it was being compared.\n";
    CopyText(r.message, sizeof r.message, text);
    r.messageLength = std::strlen(r.message);
    g_rangeCount.store(index + 1);
}
