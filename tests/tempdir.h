#pragma once

#include <filesystem>
#include <functional>
#include <string>

class CBufferedWriter;

// A folder of its own for one test, removed with everything in it when the test ends.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    std::string operator/(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& path() const { return m_path; }
    int FileCount() const;

    static void Write(const std::string& path, const std::string& data);
    static std::string Read(const std::string& path);
    // What `write` puts through a real buffered writer into a file; the writing must succeed.
    static std::string Capture(const std::function<bool(CBufferedWriter&)>& write);

private:
    std::filesystem::path m_path;
};
