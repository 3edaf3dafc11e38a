#pragma once

#include <string>
#include <string_view>

// Renaming an entry of a folder in place, as the file list does when the user types a new name: the
// name is checked first, and the rename never replaces another entry.
class CEntryRename {
public:
    // Empty when `name` (bytes) can name an entry; otherwise why not, for the user.
    static std::string Refusal(std::string_view name);
    // Gives the entry at `path` the name `name` in the same folder: 0, or the errno (EEXIST or
    // ENOTEMPTY when another entry has the name).
    static int Rename(const std::string& path, std::string_view name);
};
