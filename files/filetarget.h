#pragma once

#include <filesystem>
#include <string>

// A file to read as the user named it: the path to read, the name to show, and whether it is a
// snapshot's image, which is read only as a regular file of the store and never through a link.
struct CFileTarget {
    std::string path; // empty for a snapshot reference that names no record
    std::string name;
    bool image = false;

    bool Exists() const {
        std::error_code ec;
        return !path.empty() && std::filesystem::exists(path, ec);
    }
};
