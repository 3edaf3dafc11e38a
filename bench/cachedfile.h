#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

// A file of `size` bytes from the given seed, written once and reused by later runs while it has the
// right size. Written in chunks and renamed into place, so an interrupted run leaves no short file.
// The bytes are those of the same seed's generator, one per draw, in order.
inline std::string CachedRandomFile(const std::string& path, std::size_t size, std::uint64_t seed) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && static_cast<std::size_t>(st.st_size) == size) {
        return path;
    }
    const std::string temporary = path + ".part";
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (out == nullptr) {
        return {};
    }
    std::mt19937_64 rng(seed);
    std::vector<std::uint8_t> chunk(1u << 20);
    bool ok = true;
    for (std::size_t done = 0; done < size && ok;) {
        const std::size_t n = std::min(chunk.size(), size - done);
        for (std::size_t i = 0; i < n; ++i) {
            chunk[i] = static_cast<std::uint8_t>(rng());
        }
        ok = std::fwrite(chunk.data(), 1, n, out) == n;
        done += n;
    }
    ok = std::fclose(out) == 0 && ok;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return {};
    }
    return path;
}
