#include "filebuffer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "filesizelimit.h"
#include "hugepagememory.h"
#include "mappingguard.h"
#include "memorywords.h"
#include "progress.h"
#include "regularfile.h"

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

constexpr std::int64_t kStopped = -2;

// Reads until `length` bytes are in or the file ends, a slice at a time so that `progress` hears of
// it; -1 on a read error (errno says why), kStopped when `progress` says to stop.
std::int64_t ReadFully(int fd, std::uint8_t* into, std::size_t length, CProgress& progress) {
    constexpr std::size_t kSlice = 8u << 20;
    std::size_t done = 0;
    while (done < length) {
        if (!progress.Update(done)) {
            return kStopped;
        }
        const ssize_t n = read(fd, into + done, std::min(length - done, kSlice));
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

CFileBuffer::CFileBuffer(CFileBuffer&& other) noexcept {
    *this = std::move(other);
}

CFileBuffer& CFileBuffer::operator=(CFileBuffer&& other) noexcept {
    if (this != &other) {
        Clear();
        m_data = std::exchange(other.m_data, nullptr);
        m_length = std::exchange(other.m_length, 0);
        m_size = std::exchange(other.m_size, 0);
        m_storage = std::exchange(other.m_storage, Storage::None);
        m_systemError = std::exchange(other.m_systemError, 0);
        m_dev = other.m_dev;
        m_ino = other.m_ino;
        m_hasIdentity = std::exchange(other.m_hasIdentity, false);
        m_regular = other.m_regular;
        m_diskSize = other.m_diskSize;
        m_diskTime = other.m_diskTime;
        m_guardSlot = std::exchange(other.m_guardSlot, -1);
    }
    return *this;
}

CFileBuffer::~CFileBuffer() {
    Clear();
}

void CFileBuffer::Clear() {
    CMappingGuard::Forget(std::exchange(m_guardSlot, -1));
    switch (m_storage) {
    case Storage::FileMap:
    case Storage::Anonymous:
        munmap(m_data, m_length);
        break;
    case Storage::Heap:
        CHugePageMemory::Free(m_data, m_length);
        break;
    case Storage::None:
        break;
    }
    m_data = nullptr;
    m_length = 0;
    m_size = 0;
    m_storage = Storage::None;
    m_hasIdentity = false;
}

std::string CFileBuffer::Message(Error error, const std::string& name) {
    switch (error) {
    case Error::None:
    case Error::Cancelled:
        return {};
    case Error::TooLarge:
        return CFileSizeLimit::TooLarge(name, "to compare", CFileSizeLimit::kMaxFileSize);
    case Error::NotRegular:
        return "Can't open the file " + name + ": it is not a regular file.";
    case Error::OutOfMemory:
        return "Not enough memory to read the file " + name + ".";
    case Error::CantOpen:
        break;
    }
    return "Can't open the file " + name;
}

CFileBuffer::Error CFileBuffer::Load(const std::string& path, Mode mode, Source source, CProgress* progress) {
    Clear();
    m_systemError = 0;
    const bool image = source == Source::StoreImage;
    // Any may be a pipe the user handed over, which is read as it comes.
    Fd fd(source == Source::Any
              ? open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY)
              : CRegularFile::Open(path, O_RDONLY,
                                   image ? CRegularFile::Links::Refuse : CRegularFile::Links::Follow));
    struct stat st {};
    if (fd.get() < 0 || fstat(fd.get(), &st) != 0) {
        m_systemError = errno;
        if (source != Source::Any && ((image && errno == ELOOP) || errno == CRegularFile::kNotRegular)) {
            m_systemError = 0;
            return Error::NotRegular;
        }
        return Error::CantOpen;
    }
    if (S_ISDIR(st.st_mode)) {
        m_systemError = EISDIR;
        return Error::CantOpen;
    }
    CProgress quiet;
    CProgress& told = progress != nullptr ? *progress : quiet;
    const Error error = LoadOpened(fd.get(), st, mode, told);
    if (error == Error::None) {
        told.Finish();
        m_dev = st.st_dev;
        m_ino = st.st_ino;
        m_hasIdentity = true;
        m_regular = S_ISREG(st.st_mode);
        m_diskSize = st.st_size;
        m_diskTime = st.st_mtim;
    }
    return error;
}

CFileBuffer::Error CFileBuffer::LoadOpened(int fd, const struct stat& st, Mode mode, CProgress& progress) {
    const auto size = static_cast<std::uint64_t>(st.st_size);
    // Files of /proc and /sys say they are empty and are not: read those to their end as well.
    if (!S_ISREG(st.st_mode) || size == 0) {
        progress.Start(0);
        return ReadStream(fd, progress);
    }
    if (size > CFileSizeLimit::kMaxFileSize) {
        return Error::TooLarge;
    }
    progress.Start(size);
    // Some file systems cannot map files; reading them works all the same.
    if (mode == Mode::Map && MapRegular(fd, size) == Error::None) {
        return Error::None;
    }
    return ReadRegular(fd, size, progress);
}

bool CFileBuffer::Allocate(std::uint64_t size) {
    const std::size_t length = static_cast<std::size_t>(size) + kPadding;
    m_data = static_cast<std::uint8_t*>(CHugePageMemory::Allocate(length));
    if (m_data == nullptr) {
        return false;
    }
    m_length = length;
    m_storage = Storage::Heap;
    std::memset(m_data + size, 0, kPadding);
    return true;
}

CFileBuffer::Error CFileBuffer::ReadRegular(int fd, std::uint64_t size, CProgress& progress) {
    if (!Allocate(size)) {
        return Error::OutOfMemory;
    }
    const std::int64_t got = ReadFully(fd, m_data, static_cast<std::size_t>(size), progress);
    if (got == kStopped) {
        Clear();
        return Error::Cancelled;
    }
    if (got < 0) {
        m_systemError = errno;
        Clear();
        return Error::CantOpen;
    }
    // A file that shrank while being read is taken as it was read, followed by zeros.
    m_size = static_cast<std::uint64_t>(got);
    std::memset(m_data + got, 0, m_length - static_cast<std::size_t>(got));
    return Error::None;
}

// A stream has no size to allocate for: it is read into anonymous memory that doubles as it fills,
// moved rather than copied, so the data is held once and a failed growth is a clean error.
CFileBuffer::Error CFileBuffer::ReadStream(int fd, CProgress& progress) {
    std::size_t capacity = std::size_t{1} << 20;
    void* base = mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) {
        return Error::OutOfMemory;
    }
    m_data = static_cast<std::uint8_t*>(base);
    m_length = capacity;
    m_storage = Storage::Anonymous;
    std::size_t size = 0;
    for (;;) {
        if (!progress.Update(size)) {
            Clear();
            return Error::Cancelled;
        }
        if (capacity - size < kPadding + 1) {
            void* grown = mremap(m_data, capacity, capacity * 2, MREMAP_MAYMOVE);
            if (grown == MAP_FAILED) {
                Clear();
                return Error::OutOfMemory;
            }
            m_data = static_cast<std::uint8_t*>(grown);
            m_length = capacity *= 2;
        }
        const ssize_t n = read(fd, m_data + size, capacity - size - kPadding);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            m_systemError = errno;
            Clear();
            return Error::CantOpen;
        }
        if (n == 0) {
            break;
        }
        size += static_cast<std::size_t>(n);
        // Refused as soon as it passes the limit: a stream may never end.
        if (size > CFileSizeLimit::kMaxFileSize) {
            Clear();
            return Error::TooLarge;
        }
    }
    // Fresh anonymous memory is zero, so the padding after the data is in place already.
    m_size = size;
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
    m_size = size;
    m_storage = Storage::FileMap;
    m_guardSlot = CMappingGuard::Watch(m_data, m_length);
    if (m_guardSlot < 0) {
        // Unwatched, a file cut short would end the program: read it instead.
        Clear();
        return Error::CantOpen;
    }
    MapHolesAsZeros(fd, size);
    // Read once from start to end while compared: the kernel reads ahead.
    madvise(m_data, m_length, MADV_SEQUENTIAL);
    return Error::None;
}

// A hole of a sparse file reads as zeros, but through the file each of its pages is a fresh page of
// the cache to be cleared: gigabytes of a disk image's holes would cost seconds. Anonymous memory that
// is only read is the system's one zero page. Only large holes, and not too many mappings.
// Seeking moves the descriptor's offset, which nothing reads after a mapping.
void CFileBuffer::MapHolesAsZeros(int fd, std::uint64_t size) {
    constexpr std::uint64_t kSmallestHole = std::uint64_t{1} << 20;
    constexpr int kMostHoles = 1024;
    const std::uint64_t page = PageSize();
    auto pos = static_cast<off_t>(0);
    for (int holes = 0; holes < kMostHoles && static_cast<std::uint64_t>(pos) < size;) {
        const off_t hole = lseek(fd, pos, SEEK_HOLE);
        if (hole < 0 || static_cast<std::uint64_t>(hole) >= size) {
            return;
        }
        off_t data = lseek(fd, hole, SEEK_DATA);
        if (data < 0) {
            data = static_cast<off_t>(size);
        }
        const std::uint64_t start = RoundUp(static_cast<std::uint64_t>(hole), page);
        const std::uint64_t end = static_cast<std::uint64_t>(data) >= size
                                      ? RoundUp(size, page)
                                      : static_cast<std::uint64_t>(data) / page * page;
        if (end >= start + kSmallestHole &&
            mmap(m_data + start, end - start, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
                MAP_FAILED) {
            ++holes;
        }
        pos = data;
    }
}

bool CFileBuffer::ChangedOnDisk(const std::string& path) const {
    if (!m_hasIdentity || !m_regular) {
        return false;
    }
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        return true;
    }
    return st.st_dev != m_dev || st.st_ino != m_ino || st.st_size != m_diskSize ||
           st.st_mtim.tv_sec != m_diskTime.tv_sec || st.st_mtim.tv_nsec != m_diskTime.tv_nsec;
}

bool CFileBuffer::Changed() const {
    return CMappingGuard::Changed(m_guardSlot);
}

void CFileBuffer::Release(const std::uint8_t* begin, std::size_t length) const {
    if (m_storage != Storage::FileMap || begin < m_data || begin >= m_data + m_size) {
        return;
    }
    const std::size_t page = PageSize();
    const auto first = RoundUp(static_cast<std::size_t>(begin - m_data), page);
    const std::size_t end =
        std::min(static_cast<std::size_t>(begin - m_data) + length, static_cast<std::size_t>(m_size)) / page *
        page;
    if (end > first) {
        madvise(m_data + first, end - first, MADV_DONTNEED);
    }
}
