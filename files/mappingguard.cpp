#include "mappingguard.h"

#include <atomic>
#include <csignal>
#include <sys/mman.h>

namespace {

constexpr int kSlots = 256;

// A slot's range is written before it is marked in use, and read only while it is.
struct Slot {
    std::atomic<int> state{0}; // 0 free, 1 being filled, 2 in use
    char* begin = nullptr;
    std::size_t length = 0;
    std::atomic<bool> changed{false};
};

Slot g_slots[kSlots];

void OnBusError(int signal, siginfo_t* info, void*) {
    char* address = static_cast<char*>(info->si_addr);
    for (Slot& slot : g_slots) {
        if (slot.state.load() == 2 && address >= slot.begin && address < slot.begin + slot.length) {
            // Zero pages where the file's were: the read that faulted is made again and finds zeros.
            if (mmap(slot.begin, slot.length, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
                MAP_FAILED) {
                slot.changed.store(true);
                return;
            }
        }
    }
    std::signal(signal, SIG_DFL);
    raise(signal);
}

} // namespace

void CMappingGuard::Install() {
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, nullptr);
}

int CMappingGuard::Watch(const void* begin, std::size_t length) {
    for (int i = 0; i < kSlots; ++i) {
        int expected = 0;
        if (g_slots[i].state.compare_exchange_strong(expected, 1)) {
            g_slots[i].begin = static_cast<char*>(const_cast<void*>(begin));
            g_slots[i].length = length;
            g_slots[i].changed.store(false);
            g_slots[i].state.store(2);
            return i;
        }
    }
    return -1;
}

void CMappingGuard::Forget(int slot) {
    if (slot >= 0 && slot < kSlots) {
        g_slots[slot].state.store(0);
    }
}

bool CMappingGuard::Changed(int slot) {
    return slot >= 0 && slot < kSlots && g_slots[slot].changed.load();
}
