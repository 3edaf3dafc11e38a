#include "tempdir.h"

#include <fstream>
#include <iterator>
#include <stdlib.h>

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
