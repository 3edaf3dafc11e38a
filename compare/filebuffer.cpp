#include "filebuffer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "compengine.h"
#include "hugepagememory.h"
#include "memorywords.h"

namespace {

std::size_t PageSize() {
    static const std::size_t size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return size;
}

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Reads until `length` bytes are in or the file ends; -1 on a read error.
std::int64_t ReadFully(int fd, std::uint8_t* into, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = read(fd, into + done, std::min<std::size_t>(length - done, 1u << 30));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

} // namespace

const std::uint8_t CFileBuffer::kEmpty[CFileBuffer::kPadding] = {};

CFileBuffer::CFileBuffer(CFileBuffer&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_length(std::exchange(other.m_length, 0)),
      m_size(std::exchange(other.m_size, 0)), m_mapped(std::exchange(other.m_mapped, false)) {}

CFileBuffer& CFileBuffer::operator=(CFileBuffer&& other) noexcept {
    if (this != &other) {
        Clear();
        m_data = std::exchange(other.m_data, nullptr);
        m_length = std::exchange(other.m_length, 0);
        m_size = std::exchange(other.m_size, 0);
        m_mapped = std::exchange(other.m_mapped, false);
    }
    return *this;
}

CFileBuffer::~CFileBuffer() {
    Clear();
}

void CFileBuffer::Clear() {
    if (m_data != nullptr && m_mapped) {
        munmap(m_data, m_length);
    } else if (m_data != nullptr) {
        CHugePageMemory::Free(m_data, m_length);
    }
    m_data = nullptr;
    m_length = 0;
    m_size = 0;
    m_mapped = false;
}

std::string CFileBuffer::Message(Error error, const std::string& name) {
    switch (error) {
    case Error::None:
        return {};
    case Error::TooLarge:
        return "The file " + name + " is too large to compare: the limit is " +
               std::to_string(CCompEngine::kMaxFileSize) + " bytes (4 GiB).";
    case Error::CantOpen:
        break;
    }
    return "Can't open the file " + name;
}

CFileBuffer::Error CFileBuffer::Load(const std::string& path, Mode mode) {
    Clear();
    Fd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    if (fd.get() < 0 || fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) {
        return Error::CantOpen;
    }
    const auto size = static_cast<std::uint64_t>(st.st_size);
    // Files of /proc and /sys say they are empty and are not: read those to their end as well.
    if (!S_ISREG(st.st_mode) || size == 0) {
        return ReadStream(fd.get());
    }
    if (size > CCompEngine::kMaxFileSize) {
        return Error::TooLarge;
    }
    // Some file systems cannot map files; reading them works all the same.
    if (mode == Mode::Map && MapRegular(fd.get(), size) == Error::None) {
        return Error::None;
    }
    return ReadRegular(fd.get(), size);
}

bool CFileBuffer::Allocate(std::uint64_t size) {
    const std::size_t length = static_cast<std::size_t>(size) + kPadding;
    m_data = static_cast<std::uint8_t*>(CHugePageMemory::Allocate(length));
    if (m_data == nullptr) {
        return false;
    }
    m_length = length;
    std::memset(m_data + size, 0, kPadding);
    return true;
}

CFileBuffer::Error CFileBuffer::ReadRegular(int fd, std::uint64_t size) {
    if (!Allocate(size)) {
        return Error::CantOpen;
    }
    const std::int64_t got = ReadFully(fd, m_data, static_cast<std::size_t>(size));
    if (got < 0) {
        Clear();
        return Error::CantOpen;
    }
    // A file that shrank while being read is taken as it was read, followed by zeros.
    m_size = static_cast<std::uint32_t>(got);
    std::memset(m_data + got, 0, m_length - static_cast<std::size_t>(got));
    return Error::None;
}

CFileBuffer::Error CFileBuffer::ReadStream(int fd) {
    std::string data;
    char chunk[1 << 16];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Error::CantOpen;
        }
        if (n == 0) {
            break;
        }
        if (data.size() + static_cast<std::size_t>(n) > CCompEngine::kMaxFileSize) {
            return Error::TooLarge;
        }
        data.append(chunk, static_cast<std::size_t>(n));
    }
    if (!Allocate(data.size())) {
        return Error::CantOpen;
    }
    std::memcpy(m_data, data.data(), data.size());
    m_size = static_cast<std::uint32_t>(data.size());
    return Error::None;
}

CFileBuffer::Error CFileBuffer::MapRegular(int fd, std::uint64_t size) {
    // Reserve the file's pages and one more: the tail of the file's last page reads as zeros, and the
    // extra anonymous page keeps the padding there even when the size is a whole number of pages.
    const std::size_t page = PageSize();
    const std::size_t length = RoundUp(static_cast<std::size_t>(size), page) + RoundUp(kPadding, page);
    void* base = mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) {
        return Error::CantOpen;
    }
    if (size > 0 &&
        mmap(base, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE | MAP_FIXED, fd, 0) == MAP_FAILED) {
        munmap(base, length);
        return Error::CantOpen;
    }
    m_data = static_cast<std::uint8_t*>(base);
    m_length = length;
    m_size = static_cast<std::uint32_t>(size);
    m_mapped = true;
    return Error::None;
}
