#pragma once

#include <string>

// What a directory entry is, in words a refusal can give: only regular files are read, since a fifo
// would block its reader and a device may never end.
class CEntryKind {
public:
    // Empty for a regular file, or a link that leads to one; otherwise why not, as "it is a named pipe
    // (fifo)", "it is a symbolic link to "x", which does not exist", ...
    static std::string WhyNotRegular(const std::string& path);
};
