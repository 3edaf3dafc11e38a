#pragma once

#include <ctime>
#include <string>

// Moves a file or folder into a freedesktop.org trash (files/ and info/ below `trash`), for names
// that are not valid text and so cannot go through Qt's own trash. The entry is renamed, never
// copied, so it only works within one file system; nothing is ever deleted for good.
class CTrashCan {
public:
    // False, with `error` saying why and the entry left where it was, when it cannot be moved.
    static bool Move(const std::string& path, const std::string& trash, std::time_t now, std::string& error);
    // "%XX" for every byte outside the unreserved characters and "/", as the trash's Path= key wants.
    static std::string EncodePath(const std::string& path);
};
