#pragma once

#include <functional>
#include <string>

// Files being written under a temporary name, which must not outlive the process that writes them.
// A handler of a fatal signal cannot walk ordinary containers, so the names live in fixed slots that
// RemoveAll reads with async-signal-safe calls only.
class CPendingFiles {
public:
    // A slot number for Forget, or -1 when every slot is taken or the name is too long (the file is
    // then simply not cleaned up by a signal).
    static int Add(const std::string& path);
    // Runs `make`, which makes a file, fills in `path` and returns its descriptor (or -1), and lists
    // the file, with every signal that can end the process held in between so that none finds the
    // file made but not yet listed. `slot` gets the slot for Forget.
    static int Create(const std::function<int(std::string& path)>& make, std::string& path, int& slot);
    static void Forget(int slot);
    // Unlinks every file still listed. Safe to call from a signal handler.
    static void RemoveAll();
};
