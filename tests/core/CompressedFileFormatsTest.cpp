#include "core/CompressedFile.h"
#include "tests/platform/TestFolder.h"
#include "tests/szdd/KwajCorruptFiles.h"
#include "tests/szdd/KwajWriter.h"
#include "tests/szdd/SzddWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#ifdef _WIN32
#include <windows.h>
#endif

namespace {

class FormatsTest : public ::testing::Test {
protected:
    std::string Read(const std::string& strPath) {
        std::string s;
        return SzddReadFile(strPath, &s) ? s : "<missing>";
    }
    TestFolder dir;
};

// Sets a file's length, sparse where the file system can: the 32-bit runtime's
// resize_file stops at 2 GiB, so Windows builds ask the system directly.
bool SetFileLength(const std::string& strPath, uint64_t nLength) {
#ifdef _WIN32
    HANDLE h = CreateFileA(strPath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LONG nHigh = static_cast<LONG>(nLength >> 32);
    const bool bSet = SetFilePointer(h, static_cast<LONG>(nLength & 0xFFFFFFFFu), &nHigh, FILE_BEGIN) !=
                          INVALID_SET_FILE_POINTER ||
                      GetLastError() == NO_ERROR;
    const bool bDone = bSet && SetEndOfFile(h);
    CloseHandle(h);
    return bDone;
#else
    std::error_code error;
    std::filesystem::resize_file(strPath, nLength, error);
    return !error;
#endif
}

KwajOptions Fields(unsigned nFlags, const char* pszExt = "") {
    KwajOptions o;
    o.nFlags = nFlags;
    o.strExt = pszExt;
    return o;
}

TEST_F(FormatsTest, ExpandedSizeComesFromEachFormatsOwnRecord) {
    std::string data = TextLike(50000, 9);
    struct Case {
        std::string strName;
        std::string strFile;
        uint32_t nExpanded;
    };
    std::vector<Case> cases = {
        {"szdd.ex_", SzddCompress(data), 50000},
        {"short.ex_", ShortSzddCompress(data), 50000},
        // A header cut inside its length field gives the bytes it has.
        {"cut.ex_", SzddHeader(0x123456).substr(0, 12), 0x3456},
        {"cutshort.ex_", ShortSzddHeader(0x123456).substr(0, 9), 0x56},
        // The recorded length is taken as it is, whatever more the data holds.
        {"recorded.ex_", WithLength(data, 0, 1234), 1234},
        {"plain.ex_", data, 50000},
        {"empty.ex_", "", 0},
        {"badkwaj.ex_", KwajHeader(0, Fields(0), 200) + "short", 0},
        // Corrupt without a recorded length: nothing would be written.
        {"badlzh.ex_", KwajHeader(3, Fields(0)) + std::string("\x33\x33\x30", 3), 0},
    };
    for (unsigned nMethod = 0; nMethod <= 4; ++nMethod) {
        std::string strName = "m" + std::to_string(nMethod) + ".ex_";
        cases.push_back({strName, KwajCompress(data, nMethod, Fields(kKwajExt, "DOC")), 50000});
    }
    for (const Case& c : cases) {
        ASSERT_TRUE(SzddWriteFile(dir / c.strName, c.strFile));
        CCompressedFile f((dir / c.strName).c_str());
        uint32_t nCompressed = 1, nExpanded = 1;
        f.GetSizes(&nCompressed, &nExpanded);
        EXPECT_EQ(nCompressed, c.strFile.size()) << c.strName;
        EXPECT_EQ(nExpanded, c.nExpanded) << c.strName;
        EXPECT_EQ(f.GetSize(true), nCompressed) << c.strName;
        EXPECT_EQ(f.GetSize(false), nExpanded) << c.strName;
    }
    CCompressedFile missing((dir / "missing.ex_").c_str());
    uint32_t nCompressed = 1, nExpanded = 1;
    missing.GetSizes(&nCompressed, &nExpanded);
    EXPECT_EQ(nCompressed, 0xFFFFFFFFu);
    EXPECT_EQ(nExpanded, 0u);
}

TEST_F(FormatsTest, SizesBeyond32BitsShowTheLargestValueAndAreToldInFull) {
    // A sparse file of 5 GiB in no format: its expanded size is its own.
    const uint64_t nHuge = uint64_t(5) << 30;
    ASSERT_TRUE(SzddWriteFile(dir / "huge.ex_", "not compressed"));
    ASSERT_TRUE(SetFileLength(dir / "huge.ex_", nHuge));
    CCompressedFile f((dir / "huge.ex_").c_str());
    uint32_t nCompressed = 0, nExpanded = 0;
    f.GetSizes(&nCompressed, &nExpanded);
    EXPECT_EQ(nCompressed, 0xFFFFFFFFu);
    EXPECT_EQ(nExpanded, 0xFFFFFFFFu);
    int64_t nFull = 0;
    uint64_t nRecorded = 0;
    f.RecordedSizes(&nFull, &nRecorded);
    EXPECT_EQ(static_cast<uint64_t>(nFull), nHuge);
    EXPECT_EQ(nRecorded, nHuge);
    SetFileLength(dir / "huge.ex_", 0);

    // Without a length field only decoding measures the data; stored data is the rest of the file.
    const struct {
        unsigned nMethod;
        uint64_t nRecorded;
    } kwaj[] = {{0, 5000}, {1, 5000}, {2, CCompressedFile::kSizeNotRecorded}, {4, CCompressedFile::kSizeNotRecorded}};
    for (const auto& c : kwaj) {
        ASSERT_TRUE(SzddWriteFile(dir / "k.ex_", KwajCompress(TextLike(5000, 1), c.nMethod, Fields(kKwajName))));
        CCompressedFile k((dir / "k.ex_").c_str());
        k.RecordedSizes(&nFull, &nRecorded);
        EXPECT_EQ(nRecorded, c.nRecorded) << c.nMethod;
        EXPECT_EQ(k.GetSize(false), 5000u) << c.nMethod;
    }
}

TEST_F(FormatsTest, ARecordedKwajExtensionIsTheGuess) {
    struct Case {
        const char* pszName;
        std::string strFile;
        const char* pszGuess;  // after construction, from the name
        bool bFromHeader;
        const char* pszExt;    // after the header was read
    };
    const Case cases[] = {
        {"a.zz_", KwajCompress("x", 2, Fields(kKwajExt | kKwajName, "DOC")), "", true, "doc"},
        {"b.ex_", KwajCompress("x", 0, Fields(kKwajExt, "Hlp")), "exe", true, "hlp"},
        {"c.ex_", KwajCompress("x", 0, Fields(kKwajName)), "exe", false, "exe"},
        {"d.zz_", KwajCompress("x", 0, Fields(kKwajExt, "")), "", false, ""},
        {"e.zz_", SzddCompress("x", 'z'), "", false, ""},
        // Fields read as written although the data offset points into them, up to the file's end.
        {"f.zz_", KwajHeader(0, Fields(kKwajExt, "DOC"), 15), "", true, "doc"},
        {"g.zz_", Cut(KwajHeader(0, Fields(kKwajExt, "DOC"), 15), 1), "", false, ""},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SzddWriteFile(dir / c.pszName, c.strFile));
        CCompressedFile f((dir / c.pszName).c_str());
        EXPECT_STREQ(f.m_szExt, c.pszGuess) << c.pszName;
        EXPECT_EQ(f.GuessExtensionFromHeader(), c.bFromHeader) << c.pszName;
        EXPECT_STREQ(f.m_szExt, c.pszExt) << c.pszName;
    }
    // Restoring fills only an empty extension.
    CCompressedFile b((dir / "b.ex_").c_str());
    EXPECT_FALSE(b.RestoreExtensionFromHeader());
    EXPECT_STREQ(b.m_szExt, "exe");
    CCompressedFile a((dir / "a.zz_").c_str());
    EXPECT_TRUE(a.RestoreExtensionFromHeader());
    EXPECT_STREQ(a.m_szExt, "doc");
    CCompressedFile d((dir / "d.zz_").c_str());
    EXPECT_FALSE(d.RestoreExtensionFromHeader());
    EXPECT_STREQ(d.m_szExt, "");
}

TEST_F(FormatsTest, EveryFormatExpandsToItsOriginal) {
    std::string data = TextLike(150000, 10);
    std::vector<std::pair<std::string, std::string>> files = {{"short.tx_", ShortSzddCompress(data)}};
    for (unsigned nMethod = 0; nMethod <= 4; ++nMethod)
        files.push_back({"m" + std::to_string(nMethod) + ".tx_", KwajCompress(data, nMethod, Fields(nMethod % 2))});
    for (const auto& [strName, strFile] : files) {
        ASSERT_TRUE(SzddWriteFile(dir / strName, strFile));
        CCompressedFile f((dir / strName).c_str());
        ASSERT_TRUE(f.Expand("")) << strName;
        EXPECT_TRUE(Read(f.m_szOutputPath) == data) << strName;
    }
}

TEST_F(FormatsTest, CorruptKwajFilesWriteNothingAndKeepTheTarget) {
    std::vector<KwajBadFile> cases = KwajBadHeaders();
    for (const KwajBadFile& c : KwajBadData()) cases.push_back(c);
    for (const KwajBadFile& c : cases) {
        TestFolder here;
        ASSERT_TRUE(SzddWriteFile(here / "bad.ex_", c.strFile));
        ASSERT_TRUE(SzddWriteFile(here / "bad.exe", "keep me"));
        CCompressedFile f((here / "bad.ex_").c_str());
        EXPECT_FALSE(f.Expand("")) << c.pszWhat;
        EXPECT_EQ(f.LastFailure(), c.nCode == LZ_ERROR_READ      ? CCompressedFile::kFailTruncated
                                   : c.nCode == LZ_ERROR_CORRUPT ? CCompressedFile::kFailCorrupt
                                                                 : CCompressedFile::kFailUnknownMethod)
            << c.pszWhat;
        EXPECT_STREQ(f.m_szOutputPath, "");
        EXPECT_EQ(Read(here / "bad.exe"), "keep me") << c.pszWhat;
        EXPECT_EQ(here.List(), "bad.ex_|bad.exe") << c.pszWhat;
    }
}

}  // namespace
