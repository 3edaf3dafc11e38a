// Throughput of the comparison core against the machine's own limits (memcmp over the same bytes)
// and against the unit-by-unit reference walk.
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <span>
#include <string>
#include <unistd.h>
#include <vector>

#include <benchmark/benchmark.h>

#include "cachedfile.h"
#include "compare/core/blockhandoff.h"
#include "compare/core/blockjsonwriter.h"
#include "compare/core/compengine.h"
#include "compare/core/complines.h"
#include "compare/core/logwriter.h"
#include "files/bufferedwriter.h"
#include "files/filebuffer.h"
#include "files/hugepagememory.h"
#include "literalengine.h"

namespace {

constexpr std::size_t kMiB = 1u << 20;

std::vector<std::uint8_t> RandomBytes(std::size_t size, std::uint64_t seed) {
    std::vector<std::uint8_t> v(size + CFileBuffer::kPadding);
    std::mt19937_64 rng(seed);
    for (std::size_t i = 0; i < size; ++i) {
        v[i] = static_cast<std::uint8_t>(rng());
    }
    return v;
}

// Two equal buffers of `size` bytes, in memory advised as the GUI's loader advises it.
struct EqualPair {
    std::vector<std::uint8_t> a;
    std::vector<std::uint8_t> b;
    std::uint32_t size;
};

const EqualPair& Equal(std::size_t size) {
    static EqualPair pair;
    if (pair.size != size) {
        pair.a = RandomBytes(size, 1);
        pair.b = pair.a;
        pair.size = static_cast<std::uint32_t>(size);
    }
    return pair;
}

// The bound: memcmp over both buffers, one thread.
void BM_Memcmp(benchmark::State& state) {
    const EqualPair& p = Equal(static_cast<std::size_t>(state.range(0)) * kMiB);
    for (auto _ : state) {
        int r = 0;
        for (std::size_t off = 0; off < p.size; off += 16384) {
            r |= std::memcmp(p.a.data() + off, p.b.data() + off, std::min<std::size_t>(16384, p.size - off));
        }
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * p.size);
}
BENCHMARK(BM_Memcmp)->Arg(256)->Unit(benchmark::kMillisecond);

// Identical files: bytes per second per file.
void BM_EngineIdentical(benchmark::State& state) {
    const EqualPair& p = Equal(static_cast<std::size_t>(state.range(0)) * kMiB);
    for (auto _ : state) {
        CCompEngine engine(p.a.data(), p.size, p.b.data(), p.size);
        engine.SetUnitSize(8);
        engine.SetLookAhead(0);
        engine.Run();
        benchmark::DoNotOptimize(engine.Blocks().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * p.size);
}
BENCHMARK(BM_EngineIdentical)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime();

// Fully random files, unit 1, look-ahead 100: every unit differs and both searches run to the end.
struct RandomPair {
    std::vector<std::uint8_t> a = RandomBytes(64 * kMiB, 2);
    std::vector<std::uint8_t> b = RandomBytes(64 * kMiB, 3);
};
const RandomPair& Random64() {
    static const RandomPair pair;
    return pair;
}

void BM_EngineRandomUnit1LookAhead100(benchmark::State& state) {
    const RandomPair& p = Random64();
    const auto size = static_cast<std::uint32_t>(state.range(0) * kMiB);
    for (auto _ : state) {
        CCompEngine engine(p.a.data(), size, p.b.data(), size);
        engine.SetUnitSize(1);
        engine.SetLookAhead(100);
        engine.Run();
        benchmark::DoNotOptimize(engine.Blocks().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
}
BENCHMARK(BM_EngineRandomUnit1LookAhead100)->Arg(1)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same run streamed as JSON into /dev/null: with argument 0 the blocks are handed over and
// dropped, which leaves the engine's own share; 1 formats them on the engine's thread, and 2 beside
// it, as `dyadmon-cli compare --format json` does.
void BM_JsonRandomUnit1LookAhead100(benchmark::State& state) {
    const RandomPair& p = Random64();
    const auto size = static_cast<std::uint32_t>(10'000'000);
    const int fd = open("/dev/null", O_WRONLY);
    for (auto _ : state) {
        CBufferedWriter out(fd);
        CBlockJsonWriter json(out, {"a", size}, {"b", size}, 1, 100, false);
        CCompEngine engine(p.a.data(), size, p.b.data(), size);
        engine.SetUnitSize(1);
        engine.SetLookAhead(100);
        CBlockHandOff handOff([&](std::span<const CompBlock> blocks) { return json.Add(blocks); });
        if (state.range(0) == 0) {
            engine.SetSink([](std::span<const CompBlock> blocks) { return !blocks.empty(); });
        } else if (state.range(0) == 1) {
            engine.SetSink([&](std::span<const CompBlock> blocks) { return json.Add(blocks); });
        } else {
            engine.SetSink([&](std::span<const CompBlock> blocks) { return handOff.Hand(blocks); });
        }
        engine.Run();
        handOff.Finish();
        json.Finish();
        out.Finish();
    }
    close(fd);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
}
BENCHMARK(BM_JsonRandomUnit1LookAhead100)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_LiteralRandomUnit1LookAhead100(benchmark::State& state) {
    const RandomPair& p = Random64();
    const auto size = static_cast<std::uint32_t>(state.range(0) * kMiB);
    for (auto _ : state) {
        benchmark::DoNotOptimize(CLiteralEngine::Run(p.a.data(), size, p.b.data(), size, 1, 100).data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
}
BENCHMARK(BM_LiteralRandomUnit1LookAhead100)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

// Units of 8 that never line up again after a one-byte insertion: the searches' worst case.
void BM_EngineShiftedUnit8LookAhead100(benchmark::State& state) {
    const RandomPair& p = Random64();
    const auto size = static_cast<std::uint32_t>(state.range(0) * kMiB);
    for (auto _ : state) {
        CCompEngine engine(p.a.data(), size, p.a.data() + 1, size - 1);
        engine.SetUnitSize(8);
        engine.SetLookAhead(100);
        engine.Run();
        benchmark::DoNotOptimize(engine.Blocks().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
}
BENCHMARK(BM_EngineShiftedUnit8LookAhead100)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(1);

// Inputs built against the searches' shortcuts, 16 MiB each, unit 1 or 8, look-ahead 100:
//   0: four-letter random text on both sides, so every window holds every unit;
//   1: file 2 made of file 1's pieces of 1 to 8 bytes, shuffled within 96-byte stretches, so many
//      moves are pending at once;
//   2: one repeated byte with a sparse other byte, shifted by one, so runs are short and every window
//      is full of the same unit.
struct HardPair {
    std::vector<std::uint8_t> a;
    std::vector<std::uint8_t> b;
};

HardPair MakeHard(int kind) {
    constexpr std::size_t kSize = 16 * kMiB;
    std::mt19937_64 rng(11 + static_cast<std::uint64_t>(kind));
    HardPair p{std::vector<std::uint8_t>(kSize + CFileBuffer::kPadding),
               std::vector<std::uint8_t>(kSize + CFileBuffer::kPadding)};
    switch (kind) {
    case 0:
        for (std::size_t i = 0; i < kSize; ++i) {
            p.a[i] = static_cast<std::uint8_t>('a' + rng() % 4);
            p.b[i] = static_cast<std::uint8_t>('a' + rng() % 4);
        }
        break;
    case 1: {
        for (std::size_t i = 0; i < kSize; ++i) {
            p.a[i] = static_cast<std::uint8_t>(rng());
        }
        std::vector<std::pair<std::size_t, std::size_t>> pieces;
        std::size_t out = 0;
        for (std::size_t at = 0; at < kSize;) {
            const std::size_t end = std::min(kSize, at + 96);
            pieces.clear();
            for (std::size_t from = at; from < end;) {
                const std::size_t length = std::min<std::size_t>(end - from, 1 + rng() % 8);
                pieces.emplace_back(from, length);
                from += length;
            }
            std::shuffle(pieces.begin(), pieces.end(), rng);
            for (const auto& [from, length] : pieces) {
                std::memcpy(p.b.data() + out, p.a.data() + from, length);
                out += length;
            }
            at = end;
        }
        break;
    }
    default:
        for (std::size_t i = 0; i < kSize; ++i) {
            p.a[i] = rng() % 64 == 0 ? 'B' : 'A';
        }
        std::memcpy(p.b.data() + 1, p.a.data(), kSize - 1);
        p.b[0] = 'A';
        break;
    }
    return p;
}

void BM_EngineHard(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const int unit = static_cast<int>(state.range(1));
    const HardPair p = MakeHard(kind);
    const auto size = static_cast<std::uint32_t>(p.a.size() - CFileBuffer::kPadding);
    for (auto _ : state) {
        CCompEngine engine(p.a.data(), size, p.b.data(), size);
        engine.SetUnitSize(unit);
        engine.SetLookAhead(100);
        engine.Run();
        benchmark::DoNotOptimize(engine.Blocks().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
}
BENCHMARK(BM_EngineHard)
    ->ArgsProduct({{0, 1, 2}, {1, 8}})
    ->ArgNames({"case", "unit"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// Rows from blocks: building the index and reading rows at random places.
CompBlockList ManyBlocks(std::size_t count) {
    CompBlockList blocks;
    std::uint32_t pos = 0;
    for (std::size_t i = 0; i < count; ++i) {
        blocks.push_back({BlockKind::Same, 1000, pos, pos + 3});
        blocks.push_back({BlockKind::Deleted, 1, pos + 1000, CompBlock::kAbsent});
        pos += 1001;
    }
    return blocks;
}

void BM_RowsBuild(benchmark::State& state) {
    const auto blocks = ManyBlocks(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        const CCompLines lines(blocks, 1, 0xF0000000u, 0xF0000000u, 8);
        benchmark::DoNotOptimize(lines.GetCount());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0) * 2);
}
BENCHMARK(BM_RowsBuild)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_RowsGetAt(benchmark::State& state) {
    const CCompLines lines(ManyBlocks(1'000'000), 1, 0xF0000000u, 0xF0000000u, 8);
    std::mt19937_64 rng(1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(lines.GetAt(rng() % lines.GetCount()));
    }
}
BENCHMARK(BM_RowsGetAt);

// Loading a file of `range` MiB from the page cache: plain read into fresh memory and into the
// loader's huge-page memory, the loader's read, and the loader's mapping (touched page by page).
std::string CachedFile(std::size_t mib) {
    return CachedRandomFile("/tmp/dyad-bench-load-" + std::to_string(mib) + ".bin", mib * kMiB, 9);
}

void BM_LoadPlainRead(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0)) * kMiB;
    const std::string path = CachedFile(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[size + 64]);
        const int fd = open(path.c_str(), O_RDONLY);
        std::size_t done = 0;
        for (ssize_t n; done < size && (n = read(fd, buffer.get() + done, size - done)) > 0;) {
            done += static_cast<std::size_t>(n);
        }
        close(fd);
        benchmark::DoNotOptimize(buffer.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_LoadPlainRead)->Arg(1024)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same read loop into the loader's own allocation: the loader less its bookkeeping.
void BM_LoadReadHuge(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0)) * kMiB;
    const std::size_t length = size + CFileBuffer::kPadding;
    const std::string path = CachedFile(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto* buffer = static_cast<std::uint8_t*>(CHugePageMemory::Allocate(length));
        if (buffer == nullptr) {
            state.SkipWithError("no memory");
            break;
        }
        const int fd = open(path.c_str(), O_RDONLY);
        std::size_t done = 0;
        for (ssize_t n; done < size && (n = read(fd, buffer + done, size - done)) > 0;) {
            done += static_cast<std::size_t>(n);
        }
        close(fd);
        benchmark::DoNotOptimize(buffer);
        CHugePageMemory::Free(buffer, length);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_LoadReadHuge)->Arg(1024)->Unit(benchmark::kMillisecond)->UseRealTime();

void LoadWith(benchmark::State& state, CFileBuffer::Mode mode) {
    const std::size_t size = static_cast<std::size_t>(state.range(0)) * kMiB;
    const std::string path = CachedFile(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        CFileBuffer buffer;
        buffer.Load(path, mode);
        std::uint64_t sum = 0;
        for (std::size_t i = 0; i < buffer.Size(); i += 4096) {
            sum += buffer.Data()[i];
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
void BM_LoadRead(benchmark::State& state) {
    LoadWith(state, CFileBuffer::Mode::Read);
}
void BM_LoadMap(benchmark::State& state) {
    LoadWith(state, CFileBuffer::Mode::Map);
}
BENCHMARK(BM_LoadRead)->Arg(1024)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadMap)->Arg(1024)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole log of a 64 MiB comparison with a few changes, into /dev/null: formatting alone.
void BM_LogFormat(benchmark::State& state) {
    const EqualPair& p = Equal(64 * kMiB);
    std::vector<std::uint8_t> changed = p.b;
    for (std::size_t i = 0; i < p.size; i += 100'003) {
        changed[i] ^= 1;
    }
    CCompEngine engine(p.a.data(), p.size, changed.data(), p.size);
    engine.SetUnitSize(8);
    engine.Run();
    const CCompLines lines(engine.Blocks(), 8, p.size, p.size, 8);
    const int fd = open("/dev/null", O_WRONLY);
    for (auto _ : state) {
        CBufferedWriter out(fd);
        CLogWriter(lines, p.a.data(), changed.data(), true, 8).WriteLog(out);
        out.Finish();
    }
    close(fd);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * p.size);
}
BENCHMARK(BM_LogFormat)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
