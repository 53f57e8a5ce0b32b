// Writes the web page's test corpus into the folder named on the command line: one file
// per format and method, the damaged and hostile cases, the bytes each must expand to
// (NAME.expected) and corpus.json, which says what the page must make of each file.
// Built for WASI and run under Node.js, so the tests need no other tool. Real Quantum
// and LZX data come from the cabinet library's test cabinet, which is put beside them.
#include "lz/Cabinet.h"
#include "lz/LzError.h"
#include "tests/lz/StreamTestSupport.h"
#include "tests/szdd/CabWriter.h"
#include "tests/szdd/KwajCorruptFiles.h"
#include "tests/szdd/KwajWriter.h"
#include "tests/szdd/SzddWriter.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The values of the module's C API that a case expects.
enum Format { kPlain = 0, kSzdd = 1, kShortSzdd = 2, kKwaj = 3, kCabinet = 4 };
enum Recorded { kNone = 0, kTaken = 1, kRefused = 2 };
enum Rule { kRuleNone = 0, kRuleRecorded = 1, kRuleTable = 2, kRuleHeader = 3 };

struct Case {
    const char* pszFile;
    std::string strBytes;
    int nFormat;
    int nMethod;
    int nFault;           // what the header alone shows
    int nRecorded;
    const char* pszExt;   // the extension a row starts with
    int nRule;
    const char* pszOutput;  // "" when there is no name without the user's help
    int64_t nCode;          // what the expansion returns
    std::string strExpected;
};

std::string Kwaj(const std::string& data, unsigned nMethod, const char* pszExt) {
    KwajOptions o;
    o.nFlags = kKwajLength | kKwajName | kKwajExt;
    o.strExt = pszExt;
    return KwajCompress(data, nMethod, o);
}

std::string Claiming(uint32_t nLength, const std::string& data) {
    std::string file = SzddCompress(data);
    for (int i = 0; i < 4; ++i) file[10 + i] = static_cast<char>((nLength >> (8 * i)) & 0xFF);
    return file;
}

// The library's test cabinet of three folders (MSZIP, LZX, Quantum).
const char kTestCabinet[] = "mszip_lzx_qtm.cab";

// A cabinet of one member, named strName, made of folder nFolder of the test cabinet;
// *pData is what it expands to. Empty when the test cabinet cannot be read.
std::string Rewrapped(const std::string& folder, unsigned nFolder, const std::string& strName, std::string* pData) {
    std::string all;
    lz::Cabinet cabinet;
    lz_test::MemorySource source(all);
    lz_test::StringSink plain;
    uint16_t nCompression = 0;
    if (!SzddReadFile(folder + kTestCabinet, &all) || cabinet.Open(source) != 0 ||
        cabinet.Extract(nFolder, plain) < 0)
        return std::string();
    *pData = plain.m_str;
    const std::vector<CabBlock> blocks = CabFolderBlocks(all, nFolder, &nCompression);
    return CabBuild({{strName, plain.m_str}}, nCompression, blocks);
}

std::vector<Case> Cases(const std::string& folder) {
    const std::string text = TextLike(300000, 7);
    const std::string small = TextLike(20000, 8);
    const int64_t n = static_cast<int64_t>(text.size());
    const int64_t nSmall = static_cast<int64_t>(small.size());
    KwajOptions noLength;
    noLength.nFlags = 0;
    // Sixteen lengths of 1 for sixteen symbols over-subscribe the first code.
    std::vector<std::pair<uint32_t, unsigned>> over = {{3, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}};
    over.resize(over.size() + 16, {1, 4});
    std::string lzx, quantum;
    const std::string lzxCab = Rewrapped(folder, 1, "lzx.exe", &lzx);
    const std::string quantumCab = Rewrapped(folder, 2, "Quantum.Txt", &quantum);
    const auto nLzx = static_cast<int64_t>(lzx.size()), nQuantum = static_cast<int64_t>(quantum.size());
    return {
        {"README.TX_", SzddCompress(text, 't'), kSzdd, 'A', 0, kNone, "txt", kRuleTable, "README.txt", n, text},
        {"SETUP.IN_", SzddCompress(small, 'i'), kSzdd, 'A', 0, kNone, "INI", kRuleHeader, "SETUP.INI", nSmall, small},
        {"BASIC.DL_", ShortSzddCompress(text), kShortSzdd, 0, 0, kNone, "dll", kRuleTable, "BASIC.dll", n, text},
        {"STORED.BI_", Kwaj(small, 0, "BIN"), kKwaj, 0, 0, kTaken, "bin", kRuleRecorded, "STORED.bin", nSmall, small},
        {"XORED.BI_", Kwaj(small, 1, "BIN"), kKwaj, 1, 0, kTaken, "bin", kRuleRecorded, "XORED.bin", nSmall, small},
        {"RING.HL_", Kwaj(text, 2, "HLP"), kKwaj, 2, 0, kTaken, "hlp", kRuleRecorded, "RING.hlp", n, text},
        {"HUFF.DA_", Kwaj(text, 3, "Dat"), kKwaj, 3, 0, kTaken, "dat", kRuleRecorded, "HUFF.dat", n, text},
        {"DEFLATE.DA_", Kwaj(text, 4, "DAT"), kKwaj, 4, 0, kTaken, "dat", kRuleRecorded, "DEFLATE.dat", n, text},
        {"NOLENGTH.EX_", KwajCompress(small, 3, noLength), kKwaj, 3, 0, kNone, "exe", kRuleTable, "NOLENGTH.exe",
         nSmall, small},
        // Hostile and damaged files.
        {"EVIL.TX_", Kwaj(small, 0, "../"), kKwaj, 0, 0, kRefused, "txt", kRuleTable, "EVIL.txt", nSmall, small},
        {"COLON.Q_", Kwaj(small, 0, "a:b"), kKwaj, 0, 0, kRefused, "", kRuleNone, "", nSmall, small},
        {"CUT.EX_", Cut(SzddCompress(text), 1000), kSzdd, 'A', 0, kNone, "exe", kRuleTable, "CUT.exe", LZ_ERROR_READ, ""},
        {"BADTABLE.EX_", LzhTables(over), kKwaj, 3, 0, kNone, "exe", kRuleTable, "BADTABLE.exe",
         LZ_ERROR_CORRUPT, ""},
        {"METHOD9.EX_", KwajHeader(9, noLength) + "data", kKwaj, 9, LZ_ERROR_UNKNOWNALG, kNone, "exe", kRuleTable,
         "METHOD9.exe", LZ_ERROR_UNKNOWNALG, ""},
        {"CLAIM.EX_", Claiming(0xFFFFFFFFu, small), kSzdd, 'A', 0, kNone, "exe", kRuleTable, "CLAIM.exe", LZ_ERROR_READ,
         ""},
        {"PLAIN.TX_", small, kPlain, 0, 0, kNone, "txt", kRuleTable, "PLAIN.txt", nSmall, small},
        // Cabinets of one file, a method each, named by their member; and what is refused.
        {"STORED.DL_", CabCompress(small, "stored.dll", kCabStored), kCabinet, 0, 0, kTaken, "dll", kRuleRecorded,
         "STORED.dll", nSmall, small},
        {"ACPI.SY_", CabCompress(text, "acpi.SYS", kCabMszip), kCabinet, 1, 0, kTaken, "sys", kRuleRecorded,
         "ACPI.sys", n, text},
        {"QTM.TX_", quantumCab, kCabinet, 2, 0, kTaken, "txt", kRuleRecorded, "QTM.txt", nQuantum, quantum},
        {"LZX.EX_", lzxCab, kCabinet, 3, 0, kTaken, "exe", kRuleRecorded, "LZX.exe", nLzx, lzx},
        {"WINDOW.EX_", CabCompress(text, "window.exe", CabLzx(21)), kCabinet, 3, 0, kTaken, "exe", kRuleRecorded,
         "WINDOW.exe", n, text},
        {"EVILCAB.DL_", CabCompress(small, "..\\evil.s:s", kCabStored), kCabinet, 0, 0, kRefused, "dll", kRuleTable,
         "EVILCAB.dll", nSmall, small},
        {"SET.CA_", CabArchive({{"a.txt", small}, {"b.txt", small}}, kCabMszip), kCabinet, 1, LZ_ERROR_ARCHIVE, kNone,
         "", kRuleNone, "", LZ_ERROR_ARCHIVE, ""},
        {"PART1.DL_", CabArchive({{"part.dll", small}}, kCabMszip, kCabHasNext), kCabinet, 1, LZ_ERROR_SPANNED, kNone,
         "dll", kRuleTable, "PART1.dll", LZ_ERROR_SPANNED, ""},
    };
}

std::string Quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: MakeCorpus FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    std::string json = "[\n";
    const std::vector<Case> cases = Cases(folder);
    for (const Case& c : cases) {
        if (c.strBytes.empty()) {
            std::fprintf(stderr, "MakeCorpus: %s needs %s%s\n", c.pszFile, folder.c_str(), kTestCabinet);
            return 1;
        }
        bool ok = SzddWriteFile(folder + c.pszFile, c.strBytes);
        if (c.nCode >= 0) ok = ok && SzddWriteFile(folder + c.pszFile + ".expected", c.strExpected);
        if (!ok) {
            std::fprintf(stderr, "MakeCorpus: cannot write %s\n", c.pszFile);
            return 1;
        }
        char szNumbers[160];
        std::snprintf(szNumbers, sizeof szNumbers,
                      "\"format\": %d, \"method\": %d, \"fault\": %d, \"recorded\": %d, \"rule\": %d, \"code\": %lld",
                      c.nFormat, c.nMethod, c.nFault, c.nRecorded, c.nRule, static_cast<long long>(c.nCode));
        json += std::string(json.size() > 2 ? ",\n" : "") + "  {\"file\": " + Quoted(c.pszFile) + ", " + szNumbers +
                ", \"extension\": " + Quoted(c.pszExt) + ", \"output\": " + Quoted(c.pszOutput) + "}";
    }
    json += "\n]\n";
    return SzddWriteFile(folder + "corpus.json", json) ? 0 : 1;
}
