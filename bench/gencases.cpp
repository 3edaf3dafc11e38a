// Writes the benchmark's input files into a folder, from a fixed seed, so every run compares the same
// bytes: dyad-gencases FOLDER [MiB of the identical pair, default 1024]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Random(std::size_t size, std::uint64_t seed) {
    std::mt19937_64 rng(seed);
    Bytes out(size + 8);
    for (std::size_t i = 0; i < size; i += 8) {
        const std::uint64_t v = rng();
        std::copy_n(reinterpret_cast<const std::uint8_t*>(&v), 8,
                    out.begin() + static_cast<std::ptrdiff_t>(i));
    }
    out.resize(size);
    return out;
}

bool Save(const std::string& path, const Bytes& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: dyad-gencases FOLDER [MiB]\n";
        return 2;
    }
    const std::string dir = argv[1];
    const std::size_t identicalMiB = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1024;
    constexpr std::size_t kMiB = 1u << 20;
    bool ok = true;

    {
        const Bytes big = Random(identicalMiB * kMiB, 1);
        ok &= Save(dir + "/identical.a", big) && Save(dir + "/identical.b", big);
    }
    {
        const Bytes base = Random(100'000'000, 2);
        ok &= Save(dir + "/base100.a", base);
        std::mt19937_64 rng(3);
        Bytes scattered = base;
        for (int i = 0; i < 1000; ++i) {
            scattered[rng() % scattered.size()] ^= 0x5A;
        }
        ok &= Save(dir + "/scattered.b", scattered);
        Bytes inserted = base;
        inserted.insert(inserted.begin() + 64, 0x42);
        ok &= Save(dir + "/inserted.b", inserted);
        Bytes swapped = base;
        const auto at = swapped.begin() + 50 * kMiB;
        std::rotate(at, at + kMiB, at + 2 * kMiB);
        ok &= Save(dir + "/swapped.b", swapped);
    }
    ok &=
        Save(dir + "/random10.a", Random(10'000'000, 4)) && Save(dir + "/random10.b", Random(10'000'000, 5));
    {
        const Bytes base = Random(256 * kMiB, 6);
        ok &= Save(dir + "/mem256.a", base);
        Bytes changed = base;
        std::mt19937_64 rng(7);
        for (int i = 0; i < 1000; ++i) {
            changed[rng() % changed.size()] ^= 0x5A;
        }
        ok &= Save(dir + "/mem256.b", changed);
    }
    {
        // A block every unit: zeros against units of zeros and ones in turn.
        const Bytes zeros(10 * kMiB, 0);
        Bytes alternating(10 * kMiB, 0);
        for (std::size_t i = 8; i < alternating.size(); i += 16) {
            std::fill_n(alternating.begin() + static_cast<std::ptrdiff_t>(i), 8, 1);
        }
        ok &= Save(dir + "/zeros10.a", zeros) && Save(dir + "/alternating10.b", alternating);
    }
    if (!ok) {
        std::cerr << "dyad-gencases: could not write the cases into " << dir << '\n';
        return 1;
    }
    return 0;
}
