// Finds a pattern in a file as the windows do (the file mapped, searched forward from its start in
// slices) and prints the first match and the seconds the search took:
// dyad-find FILE HEX|text:TEXT
#include <chrono>
#include <cstdio>
#include <string>

#include "files/filebuffer.h"
#include "files/progress.h"
#include "views/core/bytepattern.h"
#include "views/core/bytesearch.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: dyad-find FILE HEX|text:TEXT\n");
        return 2;
    }
    const std::string typed = argv[2];
    const bool text = typed.rfind("text:", 0) == 0;
    std::string error;
    const auto pattern = CBytePattern::Parse(
        text ? typed.substr(5) : typed, text ? CBytePattern::Form::TextUtf8 : CBytePattern::Form::Hex, error);
    if (!pattern) {
        std::fprintf(stderr, "dyad-find: %s\n", error.c_str());
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    CFileBuffer file;
    if (file.Load(argv[1], CFileBuffer::Mode::Map) != CFileBuffer::Error::None) {
        std::fprintf(stderr, "dyad-find: can't read %s\n", argv[1]);
        return 2;
    }
    const auto loaded = std::chrono::steady_clock::now();
    // A progress that reports and may stop, as the window's work does, so the checks are paid for.
    std::atomic<bool> stop{false};
    CProgress progress([](std::uint64_t, std::uint64_t) {}, &stop);
    const CByteSearch::Result result = CByteSearch::Find(
        file.Data(), file.Size(), *pattern, 0, CByteSearch::Direction::Forward, progress,
        [&file](const std::uint8_t* begin, std::size_t length) { file.Release(begin, length); });
    const auto end = std::chrono::steady_clock::now();
    const auto seconds = [](auto from, auto to) { return std::chrono::duration<double>(to - from).count(); };
    if (result.outcome == CByteSearch::Result::Outcome::Found) {
        std::printf("found at %llu\n", static_cast<unsigned long long>(result.offset));
    } else {
        std::printf("not found\n");
    }
    std::printf("map %.3f s, search %.3f s\n", seconds(start, loaded), seconds(loaded, end));
    return result.outcome == CByteSearch::Result::Outcome::Found ? 0 : 1;
}
