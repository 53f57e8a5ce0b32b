#include "lz/Cabinet.h"
#include "lz/ExpandStream.h"
#include "tests/lz/StreamTestSupport.h"
#include "tests/szdd/CabWriter.h"

#include <gtest/gtest.h>

#include <chrono>

#ifdef ZV_MSPACK_TEST_FILES
#include <dirent.h>
#endif

namespace {

using lz_test::MemorySource;
using lz_test::StringSink;

std::string Text(size_t n) {
    std::string s;
    for (size_t i = 0; s.size() < n; ++i) s += "line " + std::to_string(i % 1013) + " of a driver's text\r\n";
    return s.substr(0, n);
}

// Every method byte-exact through the core's own tests; here, refills at every boundary.
TEST(Cabinet, ExpandsFromASourceOfTinyPieces) {
    const std::string text = Text(100000);
    for (uint16_t nCompression : {uint16_t(kCabMszip), CabLzx(17)}) {
        const lz_test::Result r = lz_test::Expand(CabCompress(text, "a.txt", nCompression), 5);
        EXPECT_EQ(r.nCode, static_cast<int64_t>(text.size())) << nCompression;
        EXPECT_TRUE(r.strOut == text) << nCompression;
    }
}

TEST(Cabinet, WhatIsNotOneWholeFileIsRefused) {
    const std::string text = Text(40000);
    std::string badMethod = CabCompress(text, "a.txt", kCabStored);
    badMethod[36 + 6] = 4;  // the folder's compression
    std::string badData = CabCompress(text, "a.txt", kCabMszip);
    badData[badData.size() - 100] ^= 0x55;
    std::string noDeflate = CabCompress(text, "a.txt", kCabMszip);
    noDeflate.replace(noDeflate.find("CK"), 2, "XY");
    struct Case {
        const char* pszWhat;
        std::string cab;
        int64_t nCode;
        bool bSeeks;
    } cases[] = {
        {"two files", CabArchive({{"a.txt", "a"}, {"b.txt", "b"}}, kCabMszip), LZ_ERROR_ARCHIVE, true},
        {"continues in the next", CabArchive({{"a.txt", text}}, kCabMszip, kCabHasNext), LZ_ERROR_SPANNED, true},
        {"method 4", badMethod, LZ_ERROR_UNKNOWNALG, true},
        {"damaged Deflate data", badData, LZ_ERROR_CORRUPT, true},
        {"block without CK", noDeflate, LZ_ERROR_CORRUPT, true},
        {"cut in the data", CabCompress(text, "a.txt", kCabStored).substr(0, 30000), LZ_ERROR_READ, true},
        {"cut in the header", CabCompress(text, "a.txt", kCabStored).substr(0, 30), LZ_ERROR_READ, true},
        {"no file entries", CabArchive({}, kCabStored), LZ_ERROR_CORRUPT, true},
        {"from a source that cannot seek", CabCompress(text, "a.txt", kCabStored), LZ_ERROR_READ, false},
    };
    for (const Case& c : cases) {
        MemorySource source(c.cab, 0, -1, c.bSeeks);
        StringSink sink;
        EXPECT_EQ(lz::ExpandStream(source, sink), c.nCode) << c.pszWhat;
        // A cut cabinet gives the start of its file; damaged data what the library made of it.
        if (c.nCode == LZ_ERROR_READ) {
            EXPECT_TRUE(sink.m_str == text.substr(0, sink.m_str.size())) << c.pszWhat << ": " << sink.m_str.size();
        }
    }
}

// A block that says it continues in the next cabinet makes the library drop its file;
// the next member of the same folder must fail, not read through nothing.
TEST(Cabinet, MembersAfterABlockThatContinuesElsewhereFail) {
    const std::string cab = CabBuild({{"a.txt", "abc"}, {"b.txt", "defgh"}}, kCabStored, {{"abc", 0}, {"defgh", 5}});
    MemorySource source(cab);
    lz::Cabinet cabinet;
    ASSERT_EQ(cabinet.Open(source), 0);
    for (size_t i = 0; i < 2; ++i) {
        StringSink sink;
        EXPECT_LT(cabinet.Extract(i, sink), 0) << i;
    }
}

TEST(Cabinet, SourceAndSinkFailuresAreTold) {
    const std::string cab = CabCompress(Text(100000), "a.txt", CabLzx(17));
    MemorySource failing(cab, 0, 20000);
    StringSink sink;
    EXPECT_EQ(lz::ExpandStream(failing, sink), LZ_ERROR_READ);
    MemorySource source(cab);
    StringSink full(50000);
    EXPECT_EQ(lz::ExpandStream(source, full), LZ_ERROR_WRITE);
}

// The library's own test cabinets are read from its source, which the native build names.
#ifdef ZV_MSPACK_TEST_FILES

bool ReadTestCabinet(const std::string& strName, std::string* pBytes) {
    return SzddReadFile(std::string(ZV_MSPACK_TEST_FILES) + "/" + strName, pBytes);
}

// A cabinet of one file made of folder nFolder of one of the library's test cabinets.
std::string RewrappedFolder(const std::string& strTestCabinet, unsigned nFolder, const std::string& data) {
    std::string bytes;
    uint16_t nCompression = 0;
    if (!ReadTestCabinet(strTestCabinet, &bytes)) return std::string();
    // The blocks first: they tell the method, and arguments have no order of evaluation.
    const std::vector<CabBlock> blocks = CabFolderBlocks(bytes, nFolder, &nCompression);
    return CabBuild({{"member.txt", data}}, nCompression, blocks);
}

TEST(Cabinet, RealLzxAndQuantumDataExpand) {
    // The library's cabinet of three methods, one folder each, taken apart.
    std::string all;
    ASSERT_TRUE(ReadTestCabinet("mszip_lzx_qtm.cab", &all));
    lz::Cabinet whole;
    MemorySource source(all);
    ASSERT_EQ(whole.Open(source), 0);
    ASSERT_EQ(whole.Members().size(), 3u);
    for (unsigned nFolder = 1; nFolder < 3; ++nFolder) {
        StringSink plain;
        ASSERT_EQ(whole.Extract(nFolder, plain), whole.Members()[nFolder].nSize);
        const std::string cab = RewrappedFolder("mszip_lzx_qtm.cab", nFolder, plain.m_str);
        const lz_test::Result r = lz_test::Expand(cab);
        EXPECT_EQ(r.nCode, static_cast<int64_t>(plain.m_str.size())) << nFolder;
        EXPECT_EQ(r.strOut, plain.m_str) << nFolder;
    }
}

// Every cabinet that comes with the library's source, hostile ones included: refused
// or read, quickly, whole members only where the library read them whole.
TEST(Cabinet, TheLibrarysTestCabinetsAreRefusedOrRead) {
    DIR* pDir = opendir(ZV_MSPACK_TEST_FILES);
    ASSERT_NE(pDir, nullptr) << ZV_MSPACK_TEST_FILES;
    int nFiles = 0;
    while (dirent* pEntry = readdir(pDir)) {
        const std::string strName = pEntry->d_name;
        if (strName.size() < 4 || strName.compare(strName.size() - 4, 4, ".cab") != 0) continue;
        ++nFiles;
        std::string bytes;
        ASSERT_TRUE(ReadTestCabinet(strName, &bytes));
        const auto start = std::chrono::steady_clock::now();
        MemorySource source(bytes);
        StringSink sink;
        const int64_t nCode = lz::ExpandStream(source, sink);
        auto starts = [&strName](const char* pszPrefix) { return strName.rfind(pszPrefix, 0) == 0; };
        // Sound cabinets of several files or of one, sets, cabinets that start elsewhere, and the broken rest.
        const bool bSound = starts("normal_") || starts("reserve_") || starts("mszip_lzx_qtm");
        const bool bAsMeant = bSound                      ? nCode == LZ_ERROR_ARCHIVE || nCode == int64_t(sink.m_str.size())
                              : starts("multi_basic")     ? nCode == LZ_ERROR_SPANNED
                              : starts("search_basic") || starts("bad_signature") ? nCode == int64_t(bytes.size())
                                                                                  : nCode < 0;
        EXPECT_TRUE(bAsMeant) << strName << " gave " << nCode;
        // Every member the library reads whole has its recorded size.
        lz::Cabinet cabinet;
        MemorySource again(bytes);
        const bool bOpen = cabinet.Open(again) == 0;
        for (size_t i = 0; bOpen && i < cabinet.Members().size(); ++i) {
            lz::CountingSink counter;
            const int64_t n = cabinet.Extract(i, counter);
            EXPECT_TRUE(n < 0 ? !bSound : counter.Count() == cabinet.Members()[i].nSize) << strName << " " << i;
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << strName;
    }
    closedir(pDir);
    EXPECT_GE(nFiles, 50);
}

#endif

}  // namespace
