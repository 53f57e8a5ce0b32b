#include "lz/ExpandStream.h"
#include "lz/KwajHeader.h"
#include "lz/LzExpand.h"
#include "tests/lz/StreamTestSupport.h"
#include "tests/szdd/KwajWriter.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace lz_test;

// Lines of words from a small skewed vocabulary: repeats near and far, as in text.
std::string TextLike(size_t nSize, unsigned nSeed) {
    std::mt19937 rng(nSeed);
    std::vector<std::string> words;
    for (int i = 0; i < 500; ++i) words.push_back(RandomBytes(rng, 2 + rng() % 8, 26));
    for (std::string& w : words)
        for (char& c : w) c = static_cast<char>('a' + c);
    std::string s;
    while (s.size() < nSize) {
        size_t r = rng() % 500;
        s += words[r * r / 500];
        s += rng() % 12 ? " " : "\r\n";
    }
    s.resize(nSize);
    return s;
}

std::vector<std::string> Samples() {
    std::mt19937 rng(17);
    return {"", "a", TextLike(200000, 1), RandomBytes(rng, 70000), std::string(100000, 'q'), TextLike(40000, 2)};
}

TEST(KwajStream, EveryMethodExpandsToTheOriginalWithAndWithoutARecordedLength) {
    for (const std::string& data : Samples()) {
        for (unsigned nMethod = 0; nMethod <= 4; ++nMethod) {
            for (unsigned nFlags : {unsigned(kKwajLength), 0u}) {
                KwajOptions o;
                o.nFlags = nFlags;
                std::string file = KwajCompress(data, nMethod, o);
                Result r = Expand(file, data.size() % 2 ? 37 : 0);
                ASSERT_EQ(r.nCode, static_cast<int64_t>(data.size())) << nMethod << " " << nFlags << " " << data.size();
                ASSERT_TRUE(r.strOut == data) << nMethod << " " << nFlags << " " << data.size();
            }
        }
    }
}

TEST(KwajStream, OptionalFieldsInEveryCombinationAreSkippedAndRead) {
    std::string data = TextLike(5000, 3);
    for (unsigned nFlags = 0; nFlags < 64; ++nFlags) {
        KwajOptions o;
        o.nFlags = nFlags;
        o.strName = nFlags & 1 ? "SETUP" : "ABCDEFGH";
        o.strExt = nFlags & 2 ? "EXE" : "";
        o.strUnknown = std::string(nFlags % 7, 'u');
        std::string file = KwajCompress(data, nFlags % 5, o);
        Result r = Expand(file);
        ASSERT_EQ(r.nCode, static_cast<int64_t>(data.size())) << nFlags;
        ASSERT_TRUE(r.strOut == data) << nFlags;

        lz::KwajHeader h;
        ASSERT_TRUE(lz::ParseKwajHeader(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &h));
        EXPECT_EQ(h.nMethod, nFlags % 5);
        EXPECT_EQ(h.bHasLength, (nFlags & kKwajLength) != 0);
        EXPECT_EQ(h.nLength, nFlags & kKwajLength ? data.size() : 0u);
        EXPECT_EQ(h.szName, nFlags & kKwajName ? o.strName : "") << nFlags;
        EXPECT_EQ(h.szExt, nFlags & kKwajExt ? o.strExt : "") << nFlags;
    }
}

TEST(KwajStream, DataStartsAtTheRecordedOffsetBeyondTheFields) {
    std::string data = "stored after a gap";
    KwajOptions o;
    o.nLength = static_cast<uint32_t>(data.size());
    std::string header = KwajHeader(0, o, 14 + 4 + 10);
    EXPECT_EQ(Expand(header + std::string(10, '#') + data).strOut, data);
}

TEST(KwajStream, ARecordedLengthCutsLongerData) {
    std::string data = TextLike(100000, 4);
    for (unsigned nMethod = 0; nMethod <= 4; ++nMethod) {
        KwajOptions o;
        o.nLength = 70001;
        std::string file = KwajHeader(nMethod, o) + KwajBody(data, nMethod, o);
        Result r = Expand(file, 53);
        ASSERT_EQ(r.nCode, 70001) << nMethod;
        EXPECT_TRUE(r.strOut == data.substr(0, 70001)) << nMethod;
    }
}

TEST(KwajLzh, EveryStorageTypeOfTheLengthLists) {
    std::string data = TextLike(60000, 5);
    const unsigned aaTypes[][5] = {{0, 0, 0, 0, 0}, {1, 1, 1, 1, 1}, {2, 2, 2, 2, 2}, {3, 3, 3, 3, 3},
                                   {3, 2, 1, 0, 2}, {1, 0, 3, 2, 0}};
    for (const auto& aTypes : aaTypes) {
        for (unsigned nFlags : {unsigned(kKwajLength), 0u}) {
            KwajOptions o;
            o.nFlags = nFlags;
            std::copy(aTypes, aTypes + 5, o.aLzhTypes);
            Result r = Expand(KwajCompress(data, 3, o), 29);
            ASSERT_EQ(r.nCode, static_cast<int64_t>(data.size())) << aTypes[0] << aTypes[1] << aTypes[2] << nFlags;
            ASSERT_TRUE(r.strOut == data) << aTypes[0] << aTypes[1] << aTypes[2] << nFlags;
        }
    }
}

TEST(KwajLzh, LiteralRunsOfEveryLengthAndMatchesAtBothEndsOfTheWindow) {
    std::mt19937 rng(8);
    std::vector<LzhItem> items;
    items.push_back(LzhMatch(5, 300));  // before any output: the spaces of the ring
    for (unsigned n = 1; n <= 32; ++n) {
        items.push_back(LzhLiterals(RandomBytes(rng, n)));
        // After a run of 32 the first length code stays; after a shorter one the second is used.
        if (n % 3) items.push_back(LzhMatch(3 + n % 15, 1 + n));
    }
    for (int i = 0; i < 200; ++i) items.push_back(LzhLiterals(RandomBytes(rng, 32)));
    for (unsigned nDistance : {4096u, 4095u, 1u, 64u, 4096u}) items.push_back(LzhMatch(17, nDistance));
    // Long enough to wrap the ring many times.
    for (int i = 0; i < 3000; ++i) {
        items.push_back(LzhLiterals(RandomBytes(rng, 1 + rng() % 32)));
        items.push_back(LzhMatch(3 + rng() % 15, 1 + rng() % 4096));
    }
    std::string expect = LzhApply(items);
    for (unsigned nType = 0; nType <= 3; ++nType) {
        const unsigned aTypes[5] = {nType, nType, nType, nType, nType};
        KwajOptions o;
        o.nLength = static_cast<uint32_t>(expect.size());
        Result r = Expand(KwajHeader(3, o) + KwajLzhBody(items, aTypes), 41);
        ASSERT_EQ(r.nCode, static_cast<int64_t>(expect.size())) << nType;
        ASSERT_TRUE(r.strOut == expect) << nType;
    }
}

// Cases of a table: a file, and what expanding it must give.
struct BadCase {
    const char* pszWhat;
    std::string strFile;
    int64_t nCode;
};

std::string Cut(std::string s, size_t nFromEnd) { return s.substr(0, s.size() - nFromEnd); }

std::string WithLength(const std::string& data, unsigned nMethod, uint32_t nLength) {
    KwajOptions o;
    o.nLength = nLength;
    return KwajHeader(nMethod, o) + KwajBody(data, nMethod, o);
}

// Method 3 data with hand-made length lists: type nibbles, then bits.
std::string LzhTables(const std::vector<std::pair<uint32_t, unsigned>>& bits) {
    KwajBitWriter w;
    for (auto [v, n] : bits) w.Put(v, n);
    KwajOptions o;
    o.nFlags = 0;
    return KwajHeader(3, o) + w.Finish() + std::string(8, '\0');
}

std::vector<BadCase> HeaderCases() {
    std::vector<BadCase> cases;
    const char* aszField[] = {"length", "unknown 2 bytes", "unknown counted", "name", "extension", "text"};
    for (unsigned nBit = 0; nBit < 6; ++nBit) {
        KwajOptions o;
        o.nFlags = 1u << nBit;
        std::string full = KwajHeader(0, o);
        // The data offset one byte short of the field's end, data following.
        cases.push_back({aszField[nBit], KwajHeader(0, o, static_cast<int>(full.size() - 1)) + "data", LZ_ERROR_READ});
        // The file ending inside the field.
        cases.push_back({aszField[nBit], Cut(full, 1), LZ_ERROR_READ});
    }
    KwajOptions all;
    all.nFlags = 63;
    cases.push_back({"all fields, cut in the middle", KwajHeader(0, all).substr(0, 24), LZ_ERROR_READ});
    KwajOptions none;
    none.nFlags = 0;
    cases.push_back({"data offset inside the fixed part", KwajHeader(0, none, 13) + "data", LZ_ERROR_READ});
    cases.push_back({"data offset 0", KwajHeader(0, none, 0) + "data", LZ_ERROR_READ});
    cases.push_back({"data offset past the end", KwajHeader(0, none, 14 + 5) + "data", LZ_ERROR_READ});
    cases.push_back({"fixed part cut short", KwajHeader(0, none).substr(0, 12), LZ_ERROR_READ});
    KwajOptions name;
    name.nFlags = kKwajName;
    name.strName = "LONGNAME9";
    cases.push_back({"name of nine characters", KwajHeader(0, name) + "data", LZ_ERROR_READ});
    KwajOptions ext;
    ext.nFlags = kKwajExt;
    ext.strExt = "HTML";
    cases.push_back({"extension of four characters", KwajHeader(0, ext) + "data", LZ_ERROR_READ});
    cases.push_back({"method 5", KwajHeader(5, none) + "data", LZ_ERROR_UNKNOWNALG});
    cases.push_back({"method 65535", KwajHeader(0xFFFF, none) + "data", LZ_ERROR_UNKNOWNALG});
    return cases;
}

std::vector<BadCase> DataCases() {
    std::vector<BadCase> cases;
    std::string data = TextLike(80000, 6);
    const char* aszMethod[] = {"stored", "xor", "lzss", "lzh", "deflate"};
    for (unsigned nMethod = 0; nMethod <= 4; ++nMethod)
        cases.push_back({aszMethod[nMethod], WithLength(data, nMethod, 80001), LZ_ERROR_READ});
    // Sixteen lengths of 1 for sixteen symbols over-subscribe the code.
    std::vector<std::pair<uint32_t, unsigned>> over = {{3, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}};
    for (int i = 0; i < 16; ++i) over.push_back({1, 4});
    cases.push_back({"over-subscribed lengths", LzhTables(over), LZ_ERROR_READ});
    // Type 2 going one below a length of 0.
    cases.push_back({"negative length", LzhTables({{2, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 2}}),
                     LZ_ERROR_READ});
    cases.push_back({"storage type 4", LzhTables({{4, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}}), LZ_ERROR_READ});
    KwajOptions none;
    none.nFlags = 0;
    cases.push_back({"length lists cut off", KwajHeader(3, none) + std::string("\x33\x33\x30", 3), LZ_ERROR_READ});

    std::string deflate = KwajDeflateBody(data);
    std::string noCk = deflate;
    noCk[2] = 'C';
    noCk[3] = 'C';
    cases.push_back({"block without CK", KwajHeader(4, none) + noCk, LZ_ERROR_READ});
    cases.push_back({"missing final empty block", KwajHeader(4, none) + Cut(deflate, 2), LZ_ERROR_READ});
    cases.push_back({"final block of one byte", KwajHeader(4, none) + Cut(deflate, 1), LZ_ERROR_READ});
    cases.push_back({"file ends inside a block", KwajHeader(4, none) + deflate.substr(0, 1000), LZ_ERROR_READ});
    cases.push_back({"block of length 1", KwajHeader(4, none) + std::string("\x01\x00" "CK", 4), LZ_ERROR_READ});
    cases.push_back({"Deflate data that is no Deflate",
                     KwajHeader(4, none) + std::string("\x06\x00" "CK\xFF\xFF\xFF\xFF\x00\x00", 10), LZ_ERROR_READ});
    // The first block's Deflate stream runs past its block into the next one.
    std::string longer = deflate;
    unsigned nShorter = (uint8_t(longer[0]) | uint8_t(longer[1]) << 8) - 100;
    longer[0] = static_cast<char>(nShorter & 0xFF);
    longer[1] = static_cast<char>(nShorter >> 8);
    cases.push_back({"Deflate stream longer than its block", KwajHeader(4, none) + longer, LZ_ERROR_READ});
    return cases;
}

TEST(KwajStream, CorruptHeadersFailBeforeAnythingIsWritten) {
    for (const BadCase& c : HeaderCases()) {
        for (size_t nPiece : {size_t(0), size_t(3)}) {
            Result r = Expand(c.strFile, nPiece);
            EXPECT_EQ(r.nCode, c.nCode) << c.pszWhat;
            EXPECT_EQ(r.strOut, "") << c.pszWhat;
        }
    }
}

TEST(KwajStream, CorruptDataFails) {
    for (const BadCase& c : DataCases()) {
        EXPECT_EQ(Expand(c.strFile).nCode, c.nCode) << c.pszWhat;
        EXPECT_EQ(Expand(c.strFile, 19).nCode, c.nCode) << c.pszWhat;
    }
}

TEST(KwajStream, ReadAndWriteErrorsAreReported) {
    std::string data = TextLike(300000, 7);
    for (unsigned nMethod = 0; nMethod <= 4; ++nMethod) {
        std::string file = KwajCompress(data, nMethod);
        {
            MemorySource source(file, 0, static_cast<int64_t>(file.size() / 2));
            StringSink sink;
            EXPECT_EQ(lz::ExpandStream(source, sink), LZ_ERROR_READ) << nMethod;
        }
        {
            MemorySource source(file);
            StringSink sink(150000);
            EXPECT_EQ(lz::ExpandStream(source, sink), LZ_ERROR_WRITE) << nMethod;
        }
    }
}

}  // namespace
