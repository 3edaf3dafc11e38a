#include "logfile.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <utility>

#include "files/bufferedwriter.h"
#include "files/filebuffer.h"

CLogFile::Result CLogFile::Open(const std::string& path, const CFileBuffer& file1, const CFileBuffer& file2) {
    m_path = path;
    m_inputs[0] = &file1;
    m_inputs[1] = &file2;
    m_fd = -1;
    // Replacing an input with the log would lose the very file that was compared.
    if (IsInput()) {
        return Fail(Result::IsInput, "The log file is one of the compared files.");
    }
    if (!m_file.Open(path, CAtomicFile::Target::FollowTarget)) {
        return Fail(Result::CantCreate,
                    std::string("File is using by other application. (") + std::strerror(errno) + ")");
    }
    m_fd = m_file.Fd();
    return Result::Ok;
}

void CLogFile::OpenDescriptor(int fd) {
    m_file.Discard();
    m_path.clear();
    m_inputs[0] = m_inputs[1] = nullptr;
    m_fd = fd;
}

CLogFile::Result CLogFile::Write(const Writer& writer, bool flushToDisk) {
    if (m_fd < 0) {
        return Fail(Result::WriteFailed, "Error in writing log file.");
    }
    bool written;
    {
        CBufferedWriter out(m_fd);
        written = writer(out);
        written = out.Finish() && written;
        m_writeError = out.Error();
    }
    m_fd = -1;
    if (m_path.empty()) {
        return written ? Result::Ok : Fail(Result::WriteFailed, "Error in writing log file.");
    }
    // The name may have been turned into an input while the result was being made.
    if (written && IsInput()) {
        m_file.Discard();
        return Fail(Result::IsInput, "The log file is one of the compared files.");
    }
    if (!written || !m_file.Commit(flushToDisk)) {
        m_file.Discard();
        return Fail(Result::WriteFailed, "Error in writing log file.");
    }
    return Result::Ok;
}

bool CLogFile::IsInput() const {
    struct stat st {};
    if (stat(m_path.c_str(), &st) != 0) {
        return false;
    }
    for (const CFileBuffer* input : m_inputs) {
        if (input != nullptr && input->IsFile(st.st_dev, st.st_ino)) {
            return true;
        }
    }
    return false;
}

CLogFile::Result CLogFile::Fail(Result result, std::string message) {
    m_message = std::move(message);
    return result;
}
