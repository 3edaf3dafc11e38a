#include "tempdir.h"

#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "files/bufferedwriter.h"

CTempDir::CTempDir() {
    char name[] = "/tmp/dyadtestXXXXXX";
    m_path = mkdtemp(name);
}

CTempDir::~CTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

int CTempDir::FileCount() const {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator(m_path), {}));
}

void CTempDir::Write(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}

std::string CTempDir::Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string CTempDir::Capture(const std::function<bool(CBufferedWriter&)>& write) {
    const CTempDir dir;
    const std::string path = dir / "captured";
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    {
        CBufferedWriter out(fd);
        EXPECT_TRUE(write(out));
        EXPECT_TRUE(out.Finish());
    }
    close(fd);
    return Read(path);
}
