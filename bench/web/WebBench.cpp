// The native side of the web page's benchmark (bench/web/bench.py runs both sides):
//   zorvane_web_bench make FOLDER   writes the measured files: 64 MiB of text-like data
//                                   as SZDD, KWAJ method 3 and KWAJ method 4, and an SZDD
//                                   file whose header claims 4 GiB over 1 MiB of data
//   zorvane_web_bench time FILE...  expands each file in memory into a sink that only
//                                   counts, best of five, and prints "FILE MB/s"
// MB/s are of expanded output per second of CPU time, as the page measures its own.
#include "lz/ExpandStream.h"
#include "tests/lz/StreamTestSupport.h"
#include "tests/szdd/KwajCorruptFiles.h"
#include "tests/szdd/KwajWriter.h"
#include "tests/szdd/SzddWriter.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>

namespace {

int Make(const std::string& folder) {
    const std::string text = TextLike(64u << 20, 26);
    std::string claim = SzddCompress(text.substr(0, 1u << 20));
    for (int i = 10; i < 14; ++i) claim[i] = '\xFF';
    const std::pair<const char*, std::string> files[] = {
        {"SZDD.TX_", SzddCompress(text)},
        {"KWAJ3.TX_", KwajCompress(text, 3)},
        {"KWAJ4.TX_", KwajCompress(text, 4)},
        {"CLAIM.TX_", claim},
    };
    for (const auto& [name, bytes] : files) {
        if (!SzddWriteFile(folder + "/" + name, bytes)) {
            std::fprintf(stderr, "zorvane_web_bench: cannot write %s/%s\n", folder.c_str(), name);
            return 1;
        }
    }
    return 0;
}

double CpuSeconds() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

int Time(int argc, char** argv) {
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        double fBest = 1e30;
        int64_t nOut = 0;
        for (int run = 0; run < 5; ++run) {
            lz_test::MemorySource source(bytes);
            lz::CountingSink sink;
            const double fStart = CpuSeconds();
            nOut = lz::ExpandStream(source, sink);
            fBest = std::min(fBest, CpuSeconds() - fStart);
        }
        if (nOut < 0) {
            std::fprintf(stderr, "zorvane_web_bench: %s does not expand (%lld)\n", argv[i], static_cast<long long>(nOut));
            return 1;
        }
        std::printf("%s %.1f\n", argv[i], nOut / fBest / 1e6);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "make" && argc == 3) return Make(argv[2]);
    if (command == "time" && argc > 2) return Time(argc, argv);
    std::fprintf(stderr, "usage: zorvane_web_bench make FOLDER | time FILE...\n");
    return 2;
}
