#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

class CProgress;

// A whole file in memory, followed by at least kPadding zero bytes so that the engine and the views
// can read a full unit past the end without bounds checks. Reading never creates or changes a file.
//
// Read gives the buffer its own copy, in memory advised for huge pages, so later changes to the file
// do not reach it. Map maps the file instead, which is much faster for a one-shot comparison; a
// mapped file that shrinks afterwards makes reading past its new end raise SIGBUS, which the owner
// of the mapping must be ready for.
class CFileBuffer {
public:
    static constexpr std::size_t kPadding = 64;

    enum class Mode { Read, Map };
    // Any: whatever the path names, pipes included, which may wait for a writer. RegularFile: a
    // regular file, maybe through a link; a fifo or device is refused at once instead of being waited
    // on, so a read that can be stopped never hangs where it cannot be. StoreImage: a snapshot's image,
    // a regular file and not a link.
    enum class Source { Any, RegularFile, StoreImage };
    enum class Error { None, CantOpen, TooLarge, NotRegular, OutOfMemory, Cancelled };

    CFileBuffer() = default;
    CFileBuffer(CFileBuffer&& other) noexcept;
    CFileBuffer& operator=(CFileBuffer&& other) noexcept;
    CFileBuffer(const CFileBuffer&) = delete;
    CFileBuffer& operator=(const CFileBuffer&) = delete;
    ~CFileBuffer();

    // Replaces the contents with the file at `path`. On failure the buffer is left empty. Files that
    // cannot be mapped (pipes, devices, /proc) are read to their end whatever the mode. `progress`,
    // when given, hears of the bytes read (of the size, 0 for a stream) and may stop the read.
    Error Load(const std::string& path, Mode mode, Source source = Source::Any,
               CProgress* progress = nullptr);
    void Clear();

    // The message a user sees for a failed load; `name` is the file's display name. Empty for a
    // cancelled one, which the user asked for.
    static std::string Message(Error error, const std::string& name);
    // The system's reason (errno) for the last failed open or read, 0 when there is none.
    int SystemError() const { return m_systemError; }
    // Whether the file loaded last is the one at `dev` and `ino`.
    bool IsFile(dev_t dev, ino_t ino) const { return m_dev == dev && m_ino == ino && m_hasIdentity; }
    // Whether the regular file loaded last from `path` is no longer as it was read: gone, replaced by
    // another, or written since (size or time of change). False for a stream, which cannot be read
    // again anyway.
    bool ChangedOnDisk(const std::string& path) const;

    const std::uint8_t* Data() const { return m_data != nullptr ? m_data : kEmpty; }
    std::uint64_t Size() const { return m_size; }
    bool IsMapped() const { return m_storage == Storage::FileMap; }
    // Whether the mapped file was found shorter than it was mapped (CMappingGuard): the bytes past its
    // new end read as zeros.
    bool Changed() const;
    // Gives back the memory of the mapped file's pages wholly inside [begin, begin + length): they
    // are read again from the file when next touched. Nothing for a buffer that is no mapping, whose
    // bytes exist only in memory.
    void Release(const std::uint8_t* begin, std::size_t length) const;
    // The address range the buffer occupies, padding included.
    std::size_t SpanLength() const { return m_length; }

private:
    static const std::uint8_t kEmpty[kPadding];

    Error LoadOpened(int fd, const struct stat& st, Mode mode, CProgress& progress);
    Error ReadRegular(int fd, std::uint64_t size, CProgress& progress);
    Error ReadStream(int fd, CProgress& progress);
    Error MapRegular(int fd, std::uint64_t size);
    void MapHolesAsZeros(int fd, std::uint64_t size);
    bool Allocate(std::uint64_t size);

    // How m_data was had, and so how it is given back.
    enum class Storage { None, Heap, FileMap, Anonymous };

    std::uint8_t* m_data = nullptr;
    std::size_t m_length = 0; // bytes reserved at m_data
    std::uint64_t m_size = 0;
    Storage m_storage = Storage::None;
    int m_systemError = 0;
    dev_t m_dev = 0;
    ino_t m_ino = 0;
    bool m_hasIdentity = false;
    bool m_regular = false;
    off_t m_diskSize = 0;
    struct timespec m_diskTime {};
    int m_guardSlot = -1;
};
