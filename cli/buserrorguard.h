#pragma once

#include <cstddef>
#include <string>

// A mapped file that shrinks while it is being compared makes the next read past its new end raise
// SIGBUS. This guard turns that into a one-line message naming the file, removes the temporary files
// being written (CPendingFiles), and exits with status 2, instead of a crash.
class CBusErrorGuard {
public:
    static constexpr int kExitStatus = 2;

    // `program` prefixes the message.
    static void Install(const std::string& program);
    // Up to eight ranges; a bus error outside them is not ours and still kills the process.
    static void Watch(const void* begin, std::size_t length, const std::string& name);
};
