// Expansion speed, in MB/s of expanded output, on generated data: text-like
// and random, 1 MiB and 64 MiB, in memory and file to file. In-memory rates are
// per second of CPU time; the file cases by the clock, since they wait on the disk.
// ZORVANE_BENCH_DIR chooses the folder of the files (default /tmp).
#include "core/CompressedFile.h"
#include "lz/LzExpand.h"
#include "lz/ExpandStream.h"
#include "tests/szdd/SzddWriter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <unistd.h>

namespace {

enum Kind { kText, kRandom };

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

const Case& GetCase(Kind kind, size_t nSize) {
    static std::map<std::pair<int, size_t>, Case> cache;
    auto key = std::make_pair(static_cast<int>(kind), nSize);
    auto it = cache.find(key);
    if (it == cache.end()) {
        Case c;
        c.strPlain = Generate(kind, nSize);
        c.strPacked = SzddCompress(c.strPlain);
        it = cache.emplace(key, std::move(c)).first;
    }
    return it->second;
}

class MemorySource : public lz::ByteSource {
public:
    explicit MemorySource(const std::string& s) : m_s(s) {}
    int64_t Read(uint8_t* p, size_t n) override {
        size_t nGot = std::min(n, m_s.size() - m_nPos);
        std::memcpy(p, m_s.data() + m_nPos, nGot);
        m_nPos += nGot;
        return static_cast<int64_t>(nGot);
    }

private:
    const std::string& m_s;
    size_t m_nPos = 0;
};

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

void BM_InMemory(benchmark::State& state, Kind kind, size_t nSize) {
    const Case& c = GetCase(kind, nSize);
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

// LzOpenFile / LzCopy / LzClose from one file to another.
void BM_FileToFile(benchmark::State& state, Kind kind, size_t nSize) {
    const Case& c = GetCase(kind, nSize);
    std::string strSource = BenchFolder() + "zv_bench_" + std::to_string(getpid()) + ".in_";
    std::string strTarget = BenchFolder() + "zv_bench_" + std::to_string(getpid()) + ".out";
    SzddWriteFile(strSource, c.strPacked);
    LzOpenRecord rec;
    for (auto _ : state) {
        int32_t hIn = LzOpenFile(strSource.c_str(), &rec, LZ_OF_READ);
        int32_t hOut = LzOpenFile(strTarget.c_str(), &rec, LZ_OF_CREATE | LZ_OF_READWRITE);
        int64_t n = LzCopy(hIn, hOut);
        LzClose(hIn);
        LzClose(hOut);
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
BENCHMARK_CAPTURE(BM_FileToFile, text_1MiB, kText, kSmall)->UseRealTime();
BENCHMARK_CAPTURE(BM_FileToFile, random_1MiB, kRandom, kSmall)->UseRealTime();
BENCHMARK_CAPTURE(BM_FileToFile, text_64MiB, kText, kLarge)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_FileToFile, random_64MiB, kRandom, kLarge)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Expand, text_64MiB, kText, kLarge)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Expand, random_64MiB, kRandom, kLarge)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
