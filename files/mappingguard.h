#pragma once

#include <cstddef>

// A file mapped for reading that shrinks while it is read raises SIGBUS at the next read past its new
// end. In the desktop program such a read must not end the process: the guard puts zero pages in place
// of that whole mapping, so the read goes on, and marks the mapping changed for the window to say so.
// Up to 256 mappings are watched; a bus error anywhere else still ends the process as it would.
class CMappingGuard {
public:
    // Once per process, before any watched mapping is read.
    static void Install();
    // A slot for the mapping [begin, begin + length), page aligned; -1 when every slot is taken.
    static int Watch(const void* begin, std::size_t length);
    // Before the mapping goes.
    static void Forget(int slot);
    // Whether a read of the mapping found its file shorter than it was mapped.
    static bool Changed(int slot);
};
