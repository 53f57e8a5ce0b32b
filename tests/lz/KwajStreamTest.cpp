#include "lz/ExpandStream.h"
#include "lz/KwajHeader.h"
#include "lz/LzError.h"
#include "tests/lz/StreamTestSupport.h"
#include "tests/szdd/KwajCorruptFiles.h"
#include "tests/szdd/KwajWriter.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace lz_test;

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
        ASSERT_EQ(lz::ParseKwajHeader(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &h),
                  lz::KwajHeaderFault::kNone);
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

TEST(KwajStream, FieldsRunningIntoTheDataAreReadAsWrittenAndTheDataTakenFromItsOffset) {
    struct Case {
        unsigned nFlags;
        size_t nIntoFields;  // how far the data offset points back into the fields
        const char* pszName;
        const char* pszExt;
    };
    const Case cases[] = {
        {kKwajName, 1, "SETUP", ""},                    // the offset on the name's NUL
        {kKwajName | kKwajExt, 4, "SETUP", "EXE"},      // on the extension's first byte
        {kKwajExt | kKwajText, 12, "", "EXE"},          // inside the text, fields past the data
        {kKwajName | kKwajExt | kKwajText, 20, "SETUP", "EXE"},
    };
    for (const Case& c : cases) {
        KwajOptions o;
        o.nFlags = c.nFlags;
        o.strName = "SETUP";
        o.strExt = "EXE";
        const std::string fields = KwajHeader(0, o);
        const std::string file = KwajHeader(0, o, static_cast<int>(fields.size() - c.nIntoFields)) + "stored data";
        lz::KwajHeader h;
        ASSERT_EQ(lz::ParseKwajHeader(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &h),
                  lz::KwajHeaderFault::kNone) << c.nFlags;
        EXPECT_STREQ(h.szName, c.pszName) << c.nFlags;
        EXPECT_STREQ(h.szExt, c.pszExt) << c.nFlags;
        Result r = Expand(file, 5);
        EXPECT_EQ(r.strOut, fields.substr(fields.size() - c.nIntoFields, c.nIntoFields) + "stored data") << c.nFlags;
    }
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

TEST(KwajLzh, APatternThatIsNoCodeFailsAfterTheBytesBeforeIt) {
    // Literals of nine bits, a 0 and the byte: the patterns that start with a 1 are no code.
    std::mt19937 rng(3);
    for (size_t nBefore : {size_t(0), size_t(33), size_t(40000), size_t(40017)}) {
        const std::string before = RandomBytes(rng, nBefore);
        KwajBitWriter w;
        for (unsigned nType : {0, 0, 0, 0, 3, 0}) w.Put(nType, 4);  // the last is the padding nibble
        for (int i = 0; i < 256; ++i) w.Put(9, 4);
        for (size_t i = 0; i <= nBefore; ++i) {
            if (i % 32 == 0) {
                w.Put(0, 4);   // no match
                w.Put(31, 5);  // 32 literals
            }
            w.Put(i < nBefore ? uint8_t(before[i]) : 0x1FF, 9);
        }
        KwajOptions o;
        o.nFlags = 0;
        for (size_t nPiece : {size_t(0), size_t(7)}) {
            // Zeros after it, so that it comes where the input is far from its end, too.
            Result r = Expand(KwajHeader(3, o) + w.Finish() + std::string(256, '\0'), nPiece);
            EXPECT_EQ(r.nCode, LZ_ERROR_CORRUPT) << nBefore;
            EXPECT_TRUE(r.strOut == before) << nBefore << " " << r.strOut.size();
        }
    }
}

TEST(KwajStream, CorruptHeadersFailBeforeAnythingIsWritten) {
    for (const KwajBadFile& c : KwajBadHeaders()) {
        for (size_t nPiece : {size_t(0), size_t(3)}) {
            Result r = Expand(c.strFile, nPiece);
            EXPECT_EQ(r.nCode, c.nCode) << c.pszWhat;
            EXPECT_EQ(r.strOut, "") << c.pszWhat;
        }
    }
}

TEST(KwajStream, CorruptDataFails) {
    for (const KwajBadFile& c : KwajBadData()) {
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
