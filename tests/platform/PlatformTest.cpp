#include "core/MbcsText.h"
#include "platform/Dbcs.h"
#include "platform/File.h"
#include "tests/platform/CodePage932Rule.h"
#include "tests/platform/TestFolder.h"
#include "tests/szdd/SzddWriter.h"

#include <gtest/gtest.h>

namespace {

TEST(Dbcs, NullRestoresTheBuildsOwnRule) {
    {
        BuildLeadByteRule own;
        for (int c = 0; c < 256; ++c) {
            const auto b = static_cast<unsigned char>(c);
#ifdef _WIN32
            // The system's code page is 932 here: the tests' rule must be the same.
            EXPECT_EQ(platform::IsLeadByte(b), CodePage932LeadByte(b)) << c;
#else
            EXPECT_FALSE(platform::IsLeadByte(b)) << c;
#endif
        }
    }
    // The scope gave back the rule it found.
    platform::LeadByteRule current = platform::SetLeadByteRule(CodePage932LeadByte);
    EXPECT_EQ(current, &CodePage932LeadByte);
}

#ifndef _WIN32
TEST(Dbcs, NativePathsAreSearchedAsPlainBytes) {
    BuildLeadByteRule own;
    // "ト" is E3 83 88 in UTF-8: 0x83 and 0x88 would be lead bytes in code page 932.
    const char* psz = "\xE3\x83\x88/\xE3\x83\x88.TX_";
    EXPECT_EQ(mbcs::FindLastSeparator(psz), psz + 3);
    EXPECT_EQ(mbcs::FindLast(psz, '.'), psz + 7);
    EXPECT_STREQ(mbcs::PathExtension(psz), ".TX_");
    // A letter after a UTF-8 character is a letter, not a second byte.
    EXPECT_TRUE(mbcs::EqualNoCase("\xE3\x83\x88" "A.tx_", "\xE3\x83\x88" "a.TX_"));
}
#endif

TEST(Dbcs, SearchesStepOverSecondBytes) {
    // "\x83\x5C" is one character whose second byte is a backslash.
    EXPECT_EQ(mbcs::FindLastSeparator("\x83\x5C"), nullptr);
    const char* psz = "C:\\\x83\x5C\x83\x5C.EX_";
    EXPECT_EQ(mbcs::FindLastSeparator(psz), psz + 2);
    const char* pszSlash = "a\\b/c\x83\x5C";
    EXPECT_EQ(mbcs::FindLastSeparator(pszSlash), pszSlash + 3);
    // Half-width katakana (0xA1-0xDF) are single bytes: a backslash after one is real.
    const char* pszKana = "\xB1\\x";
    EXPECT_EQ(mbcs::FindLastSeparator(pszKana), pszKana + 1);
    // A lead byte at the very end stands alone.
    const char* pszTail = "a.\\\x83";
    EXPECT_EQ(mbcs::FindLast(pszTail, '.'), pszTail + 1);
    EXPECT_EQ(mbcs::FindLastSeparator(pszTail), pszTail + 2);
    EXPECT_STREQ(mbcs::PathExtension("C:\\DISK1\\SETUP.EX_"), ".EX_");
    EXPECT_STREQ(mbcs::PathExtension("C:\\OLD.DL_\\NOTES"), "");
    EXPECT_STREQ(mbcs::PathExtension("dir/a.b.c"), ".c");
    EXPECT_STREQ(mbcs::PathExtension("\x83\x5C.x"), ".x");

    EXPECT_TRUE(mbcs::EqualNoCase("C:\\Disk1\\Setup.EX_", "c:\\DISK1\\SETUP.ex_"));
    EXPECT_FALSE(mbcs::EqualNoCase("a.ex_", "a.ex"));
    EXPECT_FALSE(mbcs::EqualNoCase("\x83\x41", "\x83\x61"));  // second bytes are not letters
    EXPECT_TRUE(mbcs::EqualNoCase("\x83\x41Z", "\x83\x41z"));
}

TEST(Dbcs, NamesFromUtf8AreSpelledExactlyOrNotAtAll) {
    const struct {
        const char* pszUtf8;
        const char* pszName;  // null: refused
    } aCases[] = {
        {"plain.txt", "plain.txt"},
        {"", ""},
#ifdef _WIN32
        // The system's code page is 932 here; U+00E9 has only a near spelling there.
        {"\xE6\x96\x87\xE3\x82\xBD.txt", "\x95\xB6\x83\x5C.txt"},
        {"caf\xC3\xA9", nullptr},
        {"\xF0\x9F\x98\x80", nullptr},
#else
        {"caf\xC3\xA9", "caf\xC3\xA9"},
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
#endif
        {"\xE6\x96", nullptr},              // cut
        {"\xC0\xAE", nullptr},              // an overlong '.'
        {"\xED\xA0\x80", nullptr},          // a surrogate
        {"\xF4\x90\x80\x80", nullptr},      // above U+10FFFF
        {"\x80x", nullptr},                  // a second byte alone
        {"caf\xE9", nullptr},                // ISO-8859-1
    };
    for (const auto& c : aCases) {
        std::string strName = "<unchanged>";
        EXPECT_EQ(platform::NameFromUtf8(c.pszUtf8, &strName), c.pszName != nullptr) << c.pszUtf8;
        if (c.pszName) EXPECT_EQ(strName, c.pszName) << c.pszUtf8;
    }
    std::u16string units;
    ASSERT_TRUE(platform::DecodeUtf8("a\xF0\x9F\x98\x80", &units));
    EXPECT_EQ(units, std::u16string(u"a\U0001F600"));
}

TEST(File, CreateNewReplaceAndSameFile) {
    TestFolder dir;
    std::string a = dir / "a.bin", b = dir / "b.bin";
    platform::File f;
    ASSERT_TRUE(f.CreateNew(a.c_str()));
    ASSERT_TRUE(f.Write("12345", 5));
    f.Close();
    EXPECT_FALSE(f.CreateNew(a.c_str()));
    ASSERT_TRUE(f.OpenRead(a.c_str()));
    EXPECT_EQ(f.Size(), 5);
    ASSERT_TRUE(f.Seek(3));
    char buf[8];
    EXPECT_EQ(f.Read(buf, sizeof buf), 2);
    EXPECT_EQ(f.Read(buf, sizeof buf), 0);
    f.Close();
    EXPECT_FALSE(f.OpenRead(dir.Path().c_str()));  // a folder is not a file
#ifdef _WIN32
    EXPECT_FALSE(f.OpenRead("NUL"));  // nor a device
#else
    EXPECT_FALSE(f.OpenRead("/dev/null"));
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0666), 0);
    EXPECT_FALSE(f.OpenRead((dir / "fifo").c_str()));  // at once, with no writer to wait for
    ASSERT_TRUE(platform::FileRemove((dir / "fifo").c_str()));
#endif
    EXPECT_FALSE(f.Write("x", 1));

    ASSERT_TRUE(SzddWriteFile(b, "old"));
    EXPECT_TRUE(platform::FilesAreSame(a.c_str(), a.c_str()));
    EXPECT_FALSE(platform::FilesAreSame(a.c_str(), b.c_str()));
    EXPECT_FALSE(platform::FilesAreSame(a.c_str(), (dir / "none").c_str()));
    ASSERT_TRUE(platform::FileReplace(a.c_str(), b.c_str()));
    EXPECT_FALSE(platform::FileExists(a.c_str()));
    std::string s;
    ASSERT_TRUE(SzddReadFile(b, &s));
    EXPECT_EQ(s, "12345");
    EXPECT_TRUE(platform::FileRemove(b.c_str()));
    EXPECT_FALSE(platform::FileRemove(b.c_str()));
}

TEST(File, MoveToANewNameNeverReplaces) {
    TestFolder dir;
    std::string a = dir / "a.bin", b = dir / "b.bin", c = dir / "c.bin";
    ASSERT_TRUE(SzddWriteFile(a, "moving"));
    ASSERT_TRUE(SzddWriteFile(b, "staying"));
    EXPECT_FALSE(platform::FileMoveNew(a.c_str(), b.c_str()));
    std::string s;
    ASSERT_TRUE(SzddReadFile(a, &s));
    EXPECT_EQ(s, "moving");
    ASSERT_TRUE(SzddReadFile(b, &s));
    EXPECT_EQ(s, "staying");

    EXPECT_TRUE(platform::FileMoveNew(a.c_str(), c.c_str()));
    EXPECT_EQ(dir.List(), "b.bin|c.bin");
    ASSERT_TRUE(SzddReadFile(c, &s));
    EXPECT_EQ(s, "moving");
}

// Whether it has a temporary name or none, it never takes the place of a folder.
TEST(File, UnfinishedFileNeverReplacesAFolder) {
    TestFolder dir;
    const std::string strFolder = dir / "out.txt";
#ifdef _WIN32
    ASSERT_TRUE(CreateDirectoryA(strFolder.c_str(), nullptr));
#else
    ASSERT_EQ(::mkdir(strFolder.c_str(), 0777), 0);
#endif
    platform::Folder folder;
    ASSERT_TRUE(folder.Open(dir.Path()));
    for (int nCase = 0; nCase < 4; ++nCase) {
        platform::ForceTemporaryNames(nCase >= 2);
        platform::UnfinishedFile f;
        ASSERT_TRUE(f.Create(folder, 260));
        platform::ForceTemporaryNames(false);
        ASSERT_TRUE(f.Data().Write("new", 3));
        EXPECT_FALSE(f.Name("out.txt", nCase % 2 == 1)) << nCase;
        EXPECT_EQ(dir.List(), "out.txt");
    }
}

}  // namespace
