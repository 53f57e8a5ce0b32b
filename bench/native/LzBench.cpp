// Expansion speed, in MB/s of expanded output, on generated data: text-like
// and random, 1 MiB and 64 MiB, in memory and file to file, for SZDD; in memory
// for the short-header variant, KWAJ methods 2, 3 and 4 and cabinets (MSZIP, LZX), with zlib's own
// inflate of the same text as the measure for method 4: of one raw Deflate
// stream (whole, or streamed through the same sink), and of the file's blocks. In-memory rates are
// per second of CPU time; the file cases by the clock, since they wait on the disk.
// ZORVANE_BENCH_DIR chooses the folder of the files (default /tmp).
#include "core/CompressedFile.h"
#include "core/FileStreams.h"
#include "lz/ExpandStream.h"
#include "platform/File.h"
#include "tests/lz/StreamTestSupport.h"
#include "tests/szdd/CabWriter.h"
#include "tests/szdd/KwajWriter.h"
#include "tests/szdd/SzddWriter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>
#include <unistd.h>

namespace {

using lz_test::MemorySource;

enum Kind { kText, kRandom };
enum Packing { kSzdd, kShortSzdd, kKwajLzss, kKwajLzh, kKwajDeflate, kCabinetMszip, kCabinetLzx };

std::string Generate(Kind kind, size_t nSize) {
    std::mt19937 rng(12345);
    std::string s;
    s.reserve(nSize + 64);
    if (kind == kRandom) {
        while (s.size() < nSize) s.push_back(static_cast<char>(rng() & 0xFF));
    } else {
        // Words of a small vocabulary in lines: repeats near and far, as in text.
        std::vector<std::string> words;
        for (int i = 0; i < 2000; ++i) {
            std::string w;
            int n = 2 + static_cast<int>(rng() % 9);
            for (int k = 0; k < n; ++k) w.push_back(static_cast<char>('a' + rng() % 26));
            words.push_back(w);
        }
        int nCol = 0;
        while (s.size() < nSize) {
            // Skewed choice: a few words are common.
            size_t r = rng() % 2000;
            const std::string& w = words[(r * r) / 2000];
            s += w;
            nCol += static_cast<int>(w.size()) + 1;
            if (nCol > 70) {
                s += "\r\n";
                nCol = 0;
            } else {
                s += ' ';
            }
        }
    }
    s.resize(nSize);
    return s;
}

struct Case {
    std::string strPlain;
    std::string strPacked;
};

std::string Pack(const std::string& plain, Packing packing) {
    switch (packing) {
    case kSzdd: return SzddCompress(plain);
    case kShortSzdd: return ShortSzddCompress(plain);
    case kKwajLzss: return KwajCompress(plain, 2);
    case kKwajLzh: return KwajCompress(plain, 3);
    case kKwajDeflate: return KwajCompress(plain, 4);
    // libmspack's work behind the same stream entry; LZX in uncompressed blocks, which
    // leaves the entry's own share of the time most in view.
    case kCabinetMszip: return CabCompress(plain, "setup.dll", kCabMszip);
    case kCabinetLzx: return CabCompress(plain, "setup.dll", CabLzx(21));
    }
    return plain;
}

const std::string& Plain(Kind kind, size_t nSize) {
    static std::map<std::pair<int, size_t>, std::string> cache;
    auto key = std::make_pair(static_cast<int>(kind), nSize);
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.emplace(key, Generate(kind, nSize)).first;
    return it->second;
}

const Case& GetCase(Kind kind, size_t nSize, Packing packing = kSzdd) {
    static std::map<std::tuple<int, size_t, int>, Case> cache;
    auto key = std::make_tuple(static_cast<int>(kind), nSize, static_cast<int>(packing));
    auto it = cache.find(key);
    if (it == cache.end()) {
        Case c;
        c.strPlain = Plain(kind, nSize);
        c.strPacked = Pack(c.strPlain, packing);
        it = cache.emplace(key, std::move(c)).first;
    }
    return it->second;
}

class MemorySink : public lz::ByteSink {
public:
    explicit MemorySink(std::string& s) : m_s(s) {}
    bool Write(const uint8_t* p, size_t n) override {
        if (m_nPos + n > m_s.size()) return false;
        std::memcpy(&m_s[m_nPos], p, n);
        m_nPos += n;
        return true;
    }

private:
    std::string& m_s;
    size_t m_nPos = 0;
};

std::string BenchFolder() {
    const char* psz = std::getenv("ZORVANE_BENCH_DIR");
    std::string s = psz && *psz ? psz : "/tmp";
    if (s.back() != '/') s += '/';
    return s;
}

void Report(benchmark::State& state, size_t nBytes) {
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(nBytes) * state.iterations(),
                                                benchmark::Counter::kIsRate, benchmark::Counter::OneK::kIs1000);
}

void BM_InMemory(benchmark::State& state, Kind kind, size_t nSize, Packing packing = kSzdd) {
    const Case& c = GetCase(kind, nSize, packing);
    std::string out(nSize, '\0');
    for (auto _ : state) {
        MemorySource source(c.strPacked);
        MemorySink sink(out);
        int64_t n = lz::ExpandStream(source, sink);
        if (n != static_cast<int64_t>(nSize)) state.SkipWithError("wrong length");
        benchmark::DoNotOptimize(out.data());
    }
    if (out != c.strPlain) state.SkipWithError("wrong data");
    Report(state, nSize);
}

// One raw Deflate stream of the same data, made once.
const std::string& Deflated(const std::string& plain) {
    static std::string s_deflated;
    if (s_deflated.empty()) {
        z_stream z = {};
        deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        s_deflated.resize(deflateBound(&z, static_cast<uLong>(plain.size())));
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
        z.avail_in = static_cast<uInt>(plain.size());
        z.next_out = reinterpret_cast<Bytef*>(&s_deflated[0]);
        z.avail_out = static_cast<uInt>(s_deflated.size());
        deflate(&z, Z_FINISH);
        s_deflated.resize(z.total_out);
        deflateEnd(&z);
    }
    return s_deflated;
}

// zlib's inflate of that stream: in one call straight into the whole output
// (bWhole), or as a stream in 64 KiB pieces handed to the same sink as ours.
void BM_ZlibInflate(benchmark::State& state, Kind kind, size_t nSize, bool bWhole) {
    const std::string& plain = Plain(kind, nSize);
    const std::string& deflated = Deflated(plain);
    std::string out(nSize, '\0');
    std::vector<Bytef> piece(64 * 1024);
    for (auto _ : state) {
        z_stream z = {};
        inflateInit2(&z, -15);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
        z.avail_in = static_cast<uInt>(deflated.size());
        int nZ;
        if (bWhole) {
            z.next_out = reinterpret_cast<Bytef*>(&out[0]);
            z.avail_out = static_cast<uInt>(out.size());
            nZ = inflate(&z, Z_FINISH);
        } else {
            MemorySink sink(out);
            do {
                z.next_out = piece.data();
                z.avail_out = static_cast<uInt>(piece.size());
                nZ = inflate(&z, Z_NO_FLUSH);
                sink.Write(piece.data(), piece.size() - z.avail_out);
            } while (nZ == Z_OK);
        }
        if (nZ != Z_STREAM_END) state.SkipWithError("inflate failed");
        inflateEnd(&z);
        benchmark::DoNotOptimize(out.data());
    }
    if (out != plain) state.SkipWithError("wrong data");
    Report(state, nSize);
}

// zlib's inflate of the very blocks of a KWAJ method 4 file, straight into the
// whole output, each block's history set from the output before it.
void BM_ZlibInflateBlocks(benchmark::State& state, Kind kind, size_t nSize) {
    const Case& c = GetCase(kind, nSize, kKwajDeflate);
    const uint8_t* const pBlocks = reinterpret_cast<const uint8_t*>(c.strPacked.data()) + 18;  // after the header
    std::string out(nSize, '\0');
    for (auto _ : state) {
        z_stream z = {};
        inflateInit2(&z, -15);
        Bytef* const pOut = reinterpret_cast<Bytef*>(&out[0]);
        size_t nDone = 0;
        for (const uint8_t* p = pBlocks; p[0] | p[1]; p += 2 + (p[0] | p[1] << 8)) {
            size_t nHistory = std::min<size_t>(nDone, 32768);
            inflateReset(&z);
            if (nHistory) inflateSetDictionary(&z, pOut + nDone - nHistory, static_cast<uInt>(nHistory));
            z.next_in = const_cast<Bytef*>(p + 4);
            z.avail_in = static_cast<uInt>((p[0] | p[1] << 8) - 2);
            z.next_out = pOut + nDone;
            z.avail_out = static_cast<uInt>(nSize - nDone);
            if (inflate(&z, Z_FINISH) != Z_STREAM_END) state.SkipWithError("inflate failed");
            nDone = nSize - z.avail_out;
        }
        inflateEnd(&z);
        benchmark::DoNotOptimize(out.data());
    }
    if (out != c.strPlain) state.SkipWithError("wrong data");
    Report(state, nSize);
}

// The stream entry from one file to another: open, expand, close.
void BM_FileToFile(benchmark::State& state, Kind kind, size_t nSize) {
    const Case& c = GetCase(kind, nSize);
    std::string strSource = BenchFolder() + "zv_bench_" + std::to_string(getpid()) + ".in_";
    std::string strTarget = BenchFolder() + "zv_bench_" + std::to_string(getpid()) + ".out";
    SzddWriteFile(strSource, c.strPacked);
    for (auto _ : state) {
        platform::File in, out;
        int64_t n = -1;
        if (in.OpenRead(strSource.c_str()) && out.Create(strTarget.c_str())) {
            lz::FileSource source(in);
            lz::FileSink sink(out);
            n = lz::ExpandStream(source, sink);
        }
        if (n != static_cast<int64_t>(nSize)) state.SkipWithError("copy failed");
    }
    Report(state, nSize);
    std::remove(strSource.c_str());
    std::remove(strTarget.c_str());
}

// The whole expansion of an entry: naming, temporary file, replacing the target.
void BM_Expand(benchmark::State& state, Kind kind, size_t nSize) {
    const Case& c = GetCase(kind, nSize);
    std::string strSource = BenchFolder() + "zv_bench_" + std::to_string(getpid()) + ".ex_";
    SzddWriteFile(strSource, c.strPacked);
    CCompressedFile file(strSource.c_str());
    for (auto _ : state)
        if (!file.Expand("")) state.SkipWithError("expand failed");
    Report(state, nSize);
    std::remove(file.m_szOutputPath);
    std::remove(strSource.c_str());
}

constexpr size_t kSmall = 1 << 20;
constexpr size_t kLarge = 64 << 20;

BENCHMARK_CAPTURE(BM_InMemory, text_1MiB, kText, kSmall);
BENCHMARK_CAPTURE(BM_InMemory, random_1MiB, kRandom, kSmall);
BENCHMARK_CAPTURE(BM_InMemory, text_64MiB, kText, kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_InMemory, random_64MiB, kRandom, kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_InMemory, short_text_64MiB, kText, kLarge, kShortSzdd)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_InMemory, kwaj2_text_64MiB, kText, kLarge, kKwajLzss)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_InMemory, kwaj3_text_64MiB, kText, kLarge, kKwajLzh)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_InMemory, kwaj4_text_64MiB, kText, kLarge, kKwajDeflate)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_InMemory, cab_mszip_text_64MiB, kText, kLarge, kCabinetMszip)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_InMemory, cab_lzx_text_64MiB, kText, kLarge, kCabinetLzx)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ZlibInflate, whole_text_64MiB, kText, kLarge, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ZlibInflate, stream_text_64MiB, kText, kLarge, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ZlibInflateBlocks, text_64MiB, kText, kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FileToFile, text_1MiB, kText, kSmall)->UseRealTime();
BENCHMARK_CAPTURE(BM_FileToFile, random_1MiB, kRandom, kSmall)->UseRealTime();
BENCHMARK_CAPTURE(BM_FileToFile, text_64MiB, kText, kLarge)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_FileToFile, random_64MiB, kRandom, kLarge)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Expand, text_64MiB, kText, kLarge)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Expand, random_64MiB, kRandom, kLarge)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
