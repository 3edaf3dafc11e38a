#pragma once

#include <cstddef>
#include <string>

// The first bytes of a file, for a type its name does not tell.
class CFileHead {
public:
    static constexpr std::size_t kSize = 4096;

    // At most kSize bytes from the start of the regular file at `path` (a link is followed). Empty
    // for anything else, which is never opened: a fifo would wait for a writer, a device might act.
    static std::string Read(const std::string& path);
};
