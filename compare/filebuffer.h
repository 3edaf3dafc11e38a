#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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
    enum class Error { None, CantOpen, TooLarge };

    CFileBuffer() = default;
    CFileBuffer(CFileBuffer&& other) noexcept;
    CFileBuffer& operator=(CFileBuffer&& other) noexcept;
    CFileBuffer(const CFileBuffer&) = delete;
    CFileBuffer& operator=(const CFileBuffer&) = delete;
    ~CFileBuffer();

    // Replaces the contents with the file at `path`. On failure the buffer is left empty. Files that
    // cannot be mapped (pipes, devices, /proc) are read to their end whatever the mode.
    Error Load(const std::string& path, Mode mode);
    void Clear();

    // The message a user sees for a failed load; `name` is the file's display name.
    static std::string Message(Error error, const std::string& name);

    const std::uint8_t* Data() const { return m_data != nullptr ? m_data : kEmpty; }
    std::uint32_t Size() const { return m_size; }
    bool IsMapped() const { return m_mapped; }
    // The address range the buffer occupies, padding included.
    std::size_t SpanLength() const { return m_length; }

private:
    static const std::uint8_t kEmpty[kPadding];

    Error ReadRegular(int fd, std::uint64_t size);
    Error ReadStream(int fd);
    Error MapRegular(int fd, std::uint64_t size);
    bool Allocate(std::uint64_t size);

    std::uint8_t* m_data = nullptr;
    std::size_t m_length = 0; // bytes mapped at m_data
    std::uint32_t m_size = 0;
    bool m_mapped = false;
};
