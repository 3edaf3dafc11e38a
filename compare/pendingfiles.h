#pragma once

#include <string>

// Files being written under a temporary name, which must not outlive the process that writes them.
// A handler of a fatal signal cannot walk ordinary containers, so the names live in fixed slots that
// RemoveAll reads with async-signal-safe calls only.
class CPendingFiles {
public:
    // A slot number for Forget, or -1 when every slot is taken or the name is too long (the file is
    // then simply not cleaned up by a signal).
    static int Add(const std::string& path);
    static void Forget(int slot);
    // Unlinks every file still listed. Safe to call from a signal handler.
    static void RemoveAll();
};
