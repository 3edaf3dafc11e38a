#include "pendingfiles.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <pthread.h>
#include <unistd.h>

namespace {

constexpr int kSlots = 16;
constexpr std::size_t kMaxPath = 4096;

// A slot's name is filled before it is marked in use and is not touched again until it is free.
struct Slot {
    std::atomic<int> state{0}; // 0 free, 1 being filled, 2 in use
    char path[kMaxPath];
};

Slot g_slots[kSlots];

} // namespace

int CPendingFiles::Add(const std::string& path) {
    if (path.size() >= kMaxPath) {
        return -1;
    }
    for (int i = 0; i < kSlots; ++i) {
        int expected = 0;
        if (g_slots[i].state.compare_exchange_strong(expected, 1)) {
            std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
            g_slots[i].state.store(2);
            return i;
        }
    }
    return -1;
}

int CPendingFiles::Create(const std::function<int(std::string& path)>& make, std::string& path, int& slot) {
    // Every signal that may end the process waits until the file is listed; faults cannot wait.
    sigset_t held;
    sigset_t before;
    sigfillset(&held);
    for (const int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS}) {
        sigdelset(&held, fault);
    }
    pthread_sigmask(SIG_BLOCK, &held, &before);
    const int fd = make(path);
    slot = fd >= 0 ? Add(path) : -1;
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return fd;
}

void CPendingFiles::Forget(int slot) {
    if (slot >= 0 && slot < kSlots) {
        g_slots[slot].state.store(0);
    }
}

void CPendingFiles::RemoveAll() {
    for (Slot& slot : g_slots) {
        if (slot.state.load() == 2) {
            unlink(slot.path);
        }
    }
}
