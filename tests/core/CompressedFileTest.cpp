#include "core/CompressedFile.h"
#include "core/ExtensionTable.h"
#include "platform/File.h"
#include "tests/platform/CodePage932Rule.h"
#include "tests/platform/TestFolder.h"
#include "tests/szdd/KwajWriter.h"
#include "tests/szdd/SzddWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// ソフト: its first character is the bytes 0x83 0x5C.
const std::string kSoft = "\x83\x5C\x83\x74\x83\x67";

std::string Guess(const char* pszPath) {
    CCompressedFile f(pszPath);
    return f.m_szExt;
}

std::string NameFor(const std::string& strPath, const char* pszExt, const char* pszPrefix) {
    CCompressedFile f(strPath.c_str());
    std::strcpy(f.m_szExt, pszExt);
    std::string s;
    return f.OutputName(pszPrefix, &s) ? s : "<refused>";
}

TEST(CompressedFile, NewEntryGuessesTheExtensionFromTheName) {
    EXPECT_EQ(Guess("C:\\DISK1\\SETUP.EX_"), "exe");
    EXPECT_EQ(Guess("readme.Tx_"), "txt");
    EXPECT_EQ(Guess("a.b.c.WA_"), "wav");
    EXPECT_EQ(Guess("SETUP.EX_1"), "exe");  // only three characters count
    EXPECT_EQ(Guess("file.in_"), "");
    EXPECT_EQ(Guess("file.ex"), "");
    EXPECT_EQ(Guess("C:\\OLD.DL_\\NOTES"), "dll");  // the last '.' may be a folder's
    EXPECT_EQ(Guess("C:\\NOTES"), "");
    EXPECT_EQ(Guess(("C:\\" + kSoft + ".cn_").c_str()), "cnt");
    for (const ExtensionPair& row : g_aExtensionTable) {
        std::string upper = row.pszCompressed;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(Guess(("x." + upper).c_str()), row.pszRestored);
    }

    CCompressedFile f("a.ex_");
    EXPECT_STREQ(f.m_szOutputPath, "");
    // A new guess replaces a user's choice, or clears it when nothing matches.
    std::strcpy(f.m_szExt, "bin");
    EXPECT_TRUE(f.GuessExtension());
    EXPECT_STREQ(f.m_szExt, "exe");
    CCompressedFile g("a.zz_");
    std::strcpy(g.m_szExt, "bin");
    EXPECT_FALSE(g.GuessExtension());
    EXPECT_STREQ(g.m_szExt, "");
}

TEST(CompressedFile, CompressedExtensionAndApplyToAllKey) {
    EXPECT_STREQ(CCompressedFile("C:\\DISK1\\SETUP.EX_").CompressedExtension(), "EX_");
    EXPECT_STREQ(CCompressedFile("C:\\OLD.DL_\\NOTES").CompressedExtension(), "DL_\\NOTES");
    EXPECT_STREQ(CCompressedFile("C:\\NOTES").CompressedExtension(), "C:\\NOTES");
    EXPECT_STREQ(CCompressedFile("a.").CompressedExtension(), "");

    EXPECT_TRUE(ExtensionKeyMatches("EX_", "ex_"));
    EXPECT_TRUE(ExtensionKeyMatches("ex_", "EX_1"));   // longer candidates share the key
    EXPECT_FALSE(ExtensionKeyMatches("ex_", "ex"));    // shorter ones do not
    EXPECT_FALSE(ExtensionKeyMatches("ex_", "ed_"));
    EXPECT_TRUE(ExtensionKeyMatches("", "anything"));
    // Byte by byte: only ASCII letters ignore case ('_' is not '\x7F'), other bytes are exact.
    EXPECT_FALSE(ExtensionKeyMatches("ex_", "ex\x7F"));
    EXPECT_FALSE(ExtensionKeyMatches("\xE0\x5F", "\xE0\x7F"));
    EXPECT_FALSE(ExtensionKeyMatches("\x83\x41", "\x84\x41"));
}

TEST(CompressedFile, ApplyToAllKeyTakesDoubleByteCharactersExactly) {
    // ア (83 41) and ヂ (83 61): their second bytes look like one letter in two cases.
    EXPECT_FALSE(ExtensionKeyMatches("\x83\x41_", "\x83\x61_"));
    EXPECT_FALSE(ExtensionKeyMatches("\x83\x61_", "\x83\x41_"));
    EXPECT_TRUE(ExtensionKeyMatches("\x83\x41_", "\x83\x41_"));
    // The single-byte letters around a double-byte character still ignore case.
    EXPECT_TRUE(ExtensionKeyMatches("d\x83\x41x_", "D\x83\x41X_1"));
    EXPECT_FALSE(ExtensionKeyMatches("d\x83\x41x_", "D\x83\x61X_"));
}

TEST(CompressedFile, OutputNameFollowsTheSourceNameAndThePrefix) {
    EXPECT_EQ(NameFor("C:\\DISK1\\SETUP.EX_", "exe", ""), "C:\\DISK1\\SETUP.exe");
    EXPECT_EQ(NameFor("C:\\DISK1\\SETUP.EX_", "exe", "D:\\OUT\\"), "D:\\OUT\\SETUP.exe");
    EXPECT_EQ(NameFor("C:\\DISK1\\SETUP.EX_", "exe", "C:\\"), "C:\\SETUP.exe");
    EXPECT_EQ(NameFor("C:\\DISK1\\DATA.V1.EX_", "exe", ""), "C:\\DISK1\\DATA.V1.exe");
    EXPECT_EQ(NameFor("SETUP.EX_", "exe", "D:\\OUT\\"), "D:\\OUT\\SETUP.exe");
    EXPECT_EQ(NameFor("C:\\DISK1\\" + kSoft + ".EX_", "exe", "D:\\"), "D:\\" + kSoft + ".exe");
    EXPECT_EQ(NameFor("C:\\" + kSoft + "\\" + kSoft + ".EX_", "exe", "D:\\"), "D:\\" + kSoft + ".exe");
    EXPECT_EQ(NameFor("/src/disk1/SETUP.EX_", "exe", "/out/"), "/out/SETUP.exe");
    // A file name without '.' has no place for the extension.
    EXPECT_EQ(NameFor("C:\\OLD.DL_\\NOTES", "dll", ""), "<refused>");
    EXPECT_EQ(NameFor("C:\\NOTES", "txt", "D:\\"), "<refused>");
}

TEST(CompressedFile, EmptyExtensionFallsBackOnTheSourcesOwn) {
    CCompressedFile f("C:\\DISK1\\SETUP.EX_");
    f.m_szExt[0] = '\0';
    std::string s;
    ASSERT_TRUE(f.OutputName("", &s));
    EXPECT_EQ(s, "C:\\DISK1\\SETUP..EX_");
    EXPECT_STREQ(f.m_szExt, ".EX_");
    ASSERT_TRUE(f.OutputName("", &s));
    EXPECT_EQ(s, "C:\\DISK1\\SETUP..EX_");

    CCompressedFile g(("C:\\" + kSoft + "\\" + kSoft + ".Z").c_str());
    ASSERT_TRUE(g.OutputName("D:\\", &s));
    EXPECT_EQ(s, "D:\\" + kSoft + "..Z");
    CCompressedFile h("C:SETUP.IN_");
    ASSERT_TRUE(h.OutputName("", &s));
    EXPECT_EQ(s, "C:SETUP..IN_");
}

TEST(CompressedFile, NamesThatDoNotFitOrNameTheSourceAreRefused) {
    std::string strLong = "C:\\" + std::string(250, 'd') + "\\SETUP.EX_";  // 263 bytes
    CCompressedFile f(strLong.c_str());
    EXPECT_STREQ(f.m_szPath, "");
    EXPECT_EQ(f.GetSize(true), 0xFFFFFFFFu);
    EXPECT_EQ(f.GetSize(false), 0u);
    EXPECT_FALSE(f.Expand(""));
    EXPECT_EQ(f.LastFailure(), CCompressedFile::kFailNoFile);

    std::string strPath = "C:\\" + std::string(245, 'd') + "\\SETUP.EX_";  // 258 bytes: fits
    EXPECT_EQ(NameFor(strPath, "exe", ""), strPath.substr(0, 255) + "exe");
    EXPECT_EQ(NameFor(strPath, "exe1", ""), strPath.substr(0, 255) + "exe1");  // 259 bytes and the NUL
    EXPECT_EQ(NameFor(strPath, "exe12", ""), "<refused>");

    std::string strExt(51, 'e');
    EXPECT_EQ(NameFor("C:\\A.EX_", strExt.c_str(), ""), "C:\\A." + strExt);
    CCompressedFile g(("C:\\A." + std::string(51, 'x')).c_str());
    std::string s;
    EXPECT_FALSE(g.OutputName("", &s));  // ".xxx..." with its dot is 52 bytes
    EXPECT_EQ(g.LastFailure(), CCompressedFile::kFailExtTooLong);
    EXPECT_STREQ(g.m_szExt, "");

    EXPECT_EQ(NameFor("C:\\DISK1\\SETUP.EX_", "EX_", ""), "<refused>");
    EXPECT_EQ(NameFor("C:\\DISK1\\SETUP.EX_", "ex_", ""), "<refused>");
    EXPECT_EQ(NameFor("C:\\DISK1\\SETUP.EX_", "ex_", "C:\\disk1\\"), "<refused>");
    EXPECT_EQ(NameFor("C:\\DISK1\\SETUP.EX_", "ex_", "D:\\"), "D:\\SETUP.ex_");
}

TEST(CompressedFile, SizesComeFromTheFileAndItsHeader) {
    TestFolder dir;
    ASSERT_TRUE(SzddWriteCompressedFile(dir / "a.ex_", std::string(100000, 'z')));
    CCompressedFile a((dir / "a.ex_").c_str());
    std::string packed;
    ASSERT_TRUE(SzddReadFile(dir / "a.ex_", &packed));
    EXPECT_EQ(a.GetSize(true), packed.size());
    EXPECT_EQ(a.GetSize(false), 100000u);

    ASSERT_TRUE(SzddWriteFile(dir / "twelve.ex_", SzddHeader(0).substr(0, 10) + "\x34\x12"));
    EXPECT_EQ(CCompressedFile((dir / "twelve.ex_").c_str()).GetSize(false), 0x1234u);
    EXPECT_EQ(CCompressedFile((dir / "twelve.ex_").c_str()).GetSize(true), 12u);
    ASSERT_TRUE(SzddWriteFile(dir / "empty.ex_", ""));
    EXPECT_EQ(CCompressedFile((dir / "empty.ex_").c_str()).GetSize(false), 0u);
    EXPECT_EQ(CCompressedFile((dir / "empty.ex_").c_str()).GetSize(true), 0u);
    // A file in no format is copied unchanged: its size is its expanded size.
    ASSERT_TRUE(SzddWriteFile(dir / "plain.tx_", std::string("abcdefghij\x01\x02\x03\x04xyz")));
    EXPECT_EQ(CCompressedFile((dir / "plain.tx_").c_str()).GetSize(false), 17u);
    CCompressedFile missing((dir / "missing.ex_").c_str());
    EXPECT_EQ(missing.GetSize(true), 0xFFFFFFFFu);
    EXPECT_EQ(missing.GetSize(false), 0u);

    // Both sizes at once, through one open.
    const struct {
        const char* pszName;
        uint32_t nCompressed;
        uint32_t nExpanded;
    } kCases[] = {{"a.ex_", static_cast<uint32_t>(packed.size()), 100000u}, {"twelve.ex_", 12u, 0x1234u},
                  {"empty.ex_", 0u, 0u}, {"plain.tx_", 17u, 17u}, {"missing.ex_", 0xFFFFFFFFu, 0u}};
    for (const auto& c : kCases) {
        uint32_t nCompressed = 1;
        uint32_t nExpanded = 1;
        CCompressedFile((dir / c.pszName).c_str()).GetSizes(&nCompressed, &nExpanded);
        EXPECT_EQ(nCompressed, c.nCompressed) << c.pszName;
        EXPECT_EQ(nExpanded, c.nExpanded) << c.pszName;
    }
}

#ifndef _WIN32
TEST(CompressedFile, NativeNamesInUtf8AreCutAtTheirOwnDotsAndSlashes) {
    BuildLeadByteRule own;
    // "ト" (E3 83 88) and "ー" (E3 83 BC): their last bytes would take the next
    // '.', '/' or '_' along in code page 932.
    const std::string kTo = "\xE3\x83\x88", kBar = "\xE3\x83\xBC";
    EXPECT_EQ(Guess((kTo + ".TX_").c_str()), "txt");
    EXPECT_EQ(NameFor(kTo + "/A.TX_", "txt", "out/"), "out/A.txt");
    EXPECT_EQ(NameFor("disk/" + kBar + kTo + ".EX_", "exe", ""), "disk/" + kBar + kTo + ".exe");
    EXPECT_EQ(NameFor(kTo + "." + kBar + "_", "", "out/"), "out/" + kTo + ".." + kBar + "_");
}
#endif

TEST(CompressedFile, SeparatorsAndCaseFollowThePathStyle) {
    EXPECT_EQ(NameFor("p\\a.ex_", "exe", "out/"), "out/a.exe");
    EXPECT_EQ(NameFor("d/X.EXE", "exe", ""), "<refused>");
    // Natively '\' is a byte of a name and names that differ in case are other files.
    const platform::PathStyle ePrevious = platform::SetPathStyle(platform::PathStyle::kNative);
    EXPECT_EQ(NameFor("p\\a.ex_", "exe", "out/"), "out/p\\a.exe");
    EXPECT_EQ(NameFor("d/X.EXE", "exe", ""), "d/X.exe");
    EXPECT_EQ(NameFor("d/X.exe", "exe", ""), "<refused>");
    EXPECT_EQ(NameFor("in/..x_", "..\\x", ""), "in/....\\x");
    platform::SetPathStyle(ePrevious);
}

TEST(CompressedFile, ATypedExtensionNeverLeadsOutOfTheFolder) {
    // "..." and ".. " name no file of their own: Windows cuts them down to "..".
    for (const char* pszExt : {"..\\x", "/x", "\\..\\x", ".", " "}) {
        for (const char* pszPrefix : {"", "out\\"}) {
            CCompressedFile f("in\\..x_");
            std::strcpy(f.m_szExt, pszExt);
            std::string s;
            EXPECT_FALSE(f.OutputName(pszPrefix, &s)) << pszExt << " gave " << s;
            EXPECT_EQ(f.LastFailure(), CCompressedFile::kFailLeavesFolder) << pszExt;
        }
    }
    EXPECT_EQ(NameFor("in\\..x_", "a.b", "out\\"), "out\\..a.b");
}

class ExpandTest : public ::testing::Test {
protected:
    std::string Read(const std::string& strPath) {
        std::string s;
        return SzddReadFile(strPath, &s) ? s : "<missing>";
    }
    TestFolder dir;
};

TEST_F(ExpandTest, ExpandsBesideTheSourceOrUnderThePrefix) {
    std::mt19937 rng(1);
    std::string data(70000, '\0');
    for (char& c : data) c = "abc \n"[rng() % 5];
    std::string src = dir / "SETUP.EX_";
    ASSERT_TRUE(SzddWriteCompressedFile(src, data));
    std::string packed = Read(src);

    CCompressedFile f(src.c_str());
    ASSERT_TRUE(f.Expand(""));
    EXPECT_EQ(std::string(f.m_szOutputPath), dir / "SETUP.exe");
    EXPECT_TRUE(Read(dir / "SETUP.exe") == data);
    EXPECT_TRUE(Read(src) == packed);

    TestFolder out;
    ASSERT_TRUE(f.Expand(out.Path().c_str()));
    EXPECT_EQ(std::string(f.m_szOutputPath), out / "SETUP.exe");
    EXPECT_TRUE(Read(out / "SETUP.exe") == data);
    EXPECT_EQ(dir.List(), "SETUP.EX_|SETUP.exe");  // no temporary file is left behind
    EXPECT_EQ(out.List(), "SETUP.exe");
}

TEST_F(ExpandTest, ExistingTargetIsReplacedAndTimeCopied) {
    std::string src = dir / "new.tx_";
    ASSERT_TRUE(SzddWriteCompressedFile(src, "fresh text"));
    ASSERT_TRUE(SzddWriteFile(dir / "new.txt", "old contents that are longer"));
    platform::FileTime t;
    ASSERT_TRUE(platform::FileGetWriteTime(src.c_str(), &t));
    t.nHigh -= 5000;
    ASSERT_TRUE(platform::FileSetWriteTime(src.c_str(), t));

    CCompressedFile f(src.c_str());
    ASSERT_TRUE(f.Expand(""));
    EXPECT_EQ(Read(dir / "new.txt"), "fresh text");
    platform::FileTime tOut;
    ASSERT_TRUE(platform::FileGetWriteTime((dir / "new.txt").c_str(), &tOut));
    EXPECT_TRUE(tOut == t);
}

TEST_F(ExpandTest, CorruptSourceLeavesTheTargetAndNoPartialFile) {
    std::mt19937 rng(4);
    std::string data(300000, '\0');
    for (char& c : data) c = static_cast<char>(rng());
    std::string packed = SzddCompress(data);
    ASSERT_TRUE(SzddWriteFile(dir / "cut.ex_", packed.substr(0, packed.size() - 1)));
    ASSERT_TRUE(SzddWriteFile(dir / "cut.exe", "keep me"));
    ASSERT_TRUE(SzddWriteFile(dir / "cut2.ex_", packed.substr(0, 200000)));

    CCompressedFile f((dir / "cut.ex_").c_str());
    EXPECT_FALSE(f.Expand(""));
    EXPECT_EQ(f.LastFailure(), CCompressedFile::kFailTruncated);
    EXPECT_STREQ(f.m_szOutputPath, "");
    EXPECT_EQ(Read(dir / "cut.exe"), "keep me");
    CCompressedFile g((dir / "cut2.ex_").c_str());
    EXPECT_FALSE(g.Expand(""));
    EXPECT_EQ(dir.List(), "cut.ex_|cut.exe|cut2.ex_");
}

TEST_F(ExpandTest, FailuresReportFalseAndNameNoFile) {
    ASSERT_TRUE(SzddWriteCompressedFile(dir / "a.ex_", "data"));
    CCompressedFile f((dir / "a.ex_").c_str());
    ASSERT_TRUE(f.Expand(""));
    // A failure afterwards must not leave the earlier output named.
    std::string strMissingDir = dir / "nofolder" + dir.Separator();
    EXPECT_FALSE(f.Expand(strMissingDir.c_str()));
    EXPECT_EQ(f.LastFailure(), CCompressedFile::kFailTargetUnwritable);
    EXPECT_STREQ(f.m_szOutputPath, "");

    CCompressedFile missing((dir / "missing.ex_").c_str());
    EXPECT_FALSE(missing.Expand(""));
    EXPECT_EQ(missing.LastFailure(), CCompressedFile::kFailSourceUnreadable);
    EXPECT_EQ(dir.List(), "a.ex_|a.exe");
}

TEST_F(ExpandTest, SourceIsNeverTheTarget) {
    std::string src = dir / "a.EX_";
    ASSERT_TRUE(SzddWriteCompressedFile(src, "payload"));
    std::string packed = Read(src);
    CCompressedFile f(src.c_str());
    std::strcpy(f.m_szExt, "ex_");
    EXPECT_FALSE(f.Expand(""));
    EXPECT_EQ(f.LastFailure(), CCompressedFile::kFailSameAsSource);
    // The same file reached through another spelling of its folder.
    std::string strOther = dir.Path() + "." + dir.Separator();
    std::strcpy(f.m_szExt, "EX_");
    EXPECT_FALSE(f.Expand(strOther.c_str()));
    EXPECT_EQ(f.LastFailure(), CCompressedFile::kFailSameAsSource);
    EXPECT_TRUE(Read(src) == packed);
    EXPECT_EQ(dir.List(), "a.EX_");
}

TEST_F(ExpandTest, ReadOnlyPlainAndDoubleByteNamedSourcesExpand) {
    std::string ro = dir / "ro.dl_";
    ASSERT_TRUE(SzddWriteCompressedFile(ro, "library"));
    ASSERT_TRUE(platform::FileSetReadOnly(ro.c_str(), true));
    CCompressedFile f(ro.c_str());
    EXPECT_TRUE(f.Expand(""));
    EXPECT_EQ(Read(dir / "ro.dll"), "library");
    platform::FileSetReadOnly(ro.c_str(), false);

    // Not compressed: copied as it is, under the fallback name.
    ASSERT_TRUE(SzddWriteFile(dir / "plain.in_", "as is"));
    CCompressedFile p((dir / "plain.in_").c_str());
    EXPECT_TRUE(p.Expand(""));
    EXPECT_EQ(Read(dir / "plain..in_"), "as is");

    std::string soft = dir / (kSoft + ".EX_");
    ASSERT_TRUE(SzddWriteCompressedFile(soft, "katakana"));
    CCompressedFile s(soft.c_str());
    TestFolder out;
    ASSERT_TRUE(s.Expand(out.Path().c_str()));
    EXPECT_EQ(std::string(s.m_szOutputPath), out / (kSoft + ".exe"));
    EXPECT_EQ(Read(out / (kSoft + ".exe")), "katakana");
}

TEST_F(ExpandTest, HeaderCompletesAnExtensionTheTableDoesNotKnow) {
    // The name the expansion wrote, after the folder.
    const auto restored = [&](const std::string& strName, const std::string& strBytes) -> std::string {
        EXPECT_TRUE(SzddWriteFile(dir / strName, strBytes));
        CCompressedFile f((dir / strName).c_str());
        EXPECT_STREQ(f.m_szExt, "");
        EXPECT_TRUE(f.RestoreExtensionFromHeader()) << strName;
        return f.Expand("") ? std::string(f.m_szOutputPath).substr(dir.Path().size()) : "<failed>";
    };
    EXPECT_EQ(restored("setup.in_", SzddCompress("[setup]", 'i')), "setup.ini");
    EXPECT_EQ(restored("UPPER.IN_", SzddCompress("[UPPER]", 'i')), "UPPER.INI");  // the case of the letter before it
    EXPECT_EQ(restored("font.FO_", SzddCompress("glyphs", 'N')), "font.FON");
    EXPECT_EQ(restored("x.1_", SzddCompress("one", 'z')), "x.1z");
    EXPECT_EQ(Read(dir / "setup.ini"), "[setup]");
    EXPECT_EQ(Read(dir / "UPPER.INI"), "[UPPER]");
    EXPECT_EQ(Read(dir / "font.FON"), "glyphs");
    EXPECT_EQ(Read(dir / "x.1z"), "one");

    const auto unchanged = [&](const std::string& strName, const std::string& strBytes) {
        ASSERT_TRUE(SzddWriteFile(dir / strName, strBytes));
        CCompressedFile f((dir / strName).c_str());
        EXPECT_FALSE(f.RestoreExtensionFromHeader()) << strName;
        EXPECT_STREQ(f.m_szExt, "") << strName;
    };
    unchanged("none.in_", SzddCompress("no character recorded"));
    unchanged("slash.in_", SzddCompress("data", '/'));
    unchanged("dot.in_", SzddCompress("data", '.'));
    unchanged("high.in_", SzddCompress("data", '\x83'));
    unchanged("plain.in_", "not compressed at all");
    unchanged("short.in_", std::string("SZDD\x88\xF0\x27\x33", 8));
    unchanged("noscore.ini", SzddCompress("data", 'i'));
    unchanged("nodot", SzddCompress("data", 'i'));
    // The '_' is the second byte of a double-byte character here, not one of its own.
    unchanged("kana.\x83\x5F", SzddCompress("data", 'i'));
    CCompressedFile missing((dir / "missing.in_").c_str());
    EXPECT_FALSE(missing.RestoreExtensionFromHeader());

    // The table's guess, or a user's choice, is never overridden.
    ASSERT_TRUE(SzddWriteFile(dir / "table.ex_", SzddCompress("program", 'z')));
    CCompressedFile t((dir / "table.ex_").c_str());
    EXPECT_FALSE(t.RestoreExtensionFromHeader());
    EXPECT_STREQ(t.m_szExt, "exe");
}

TEST_F(ExpandTest, HostileRecordedExtensionsAreRefusedAndNothingLeavesTheFolder) {
    TestFolder in, out;  // beside each other: the folder above holds neither's files
    for (const char* pszRecorded : {"/ab", "\\ab", "..", "\x1B\n", ":x", "a.b", "a|", "a "}) {
        KwajOptions o;
        o.nFlags = kKwajExt;
        o.strExt = pszRecorded;
        ASSERT_TRUE(SzddWriteFile(in / "..x_", KwajCompress("data", 0, o)));
        for (const TestFolder* pInto : {&in, &out}) {
            CCompressedFile f((in / "..x_").c_str());
            EXPECT_FALSE(f.GuessExtensionFromHeader()) << pszRecorded;
            EXPECT_EQ(f.RecordedExtension(), CCompressedFile::kRecordedRefused);
            // The fallback names it: the source's own extension after a second dot.
            ASSERT_TRUE(f.Expand(pInto == &in ? "" : out.Path().c_str())) << pszRecorded << f.LastFailure();
            EXPECT_EQ(f.m_szOutputPath, *pInto / "...x_") << pszRecorded;
            EXPECT_EQ(Read(*pInto / "...x_"), "data");
        }
        EXPECT_EQ(in.List() + "," + out.List(), "...x_|..x_,...x_") << pszRecorded;
    }
}

TEST_F(ExpandTest, KeepingExistingTargetsNeverReplacesOne) {
    ASSERT_TRUE(SzddWriteCompressedFile(dir / "a.tx_", "new text"));
    ASSERT_TRUE(SzddWriteFile(dir / "a.txt", "old text"));
    CCompressedFile f((dir / "a.tx_").c_str());
    EXPECT_FALSE(f.Expand("", CCompressedFile::kKeepExisting));
    EXPECT_EQ(f.LastFailure(), CCompressedFile::kFailTargetExists);
    EXPECT_STREQ(f.m_szOutputPath, "");
    EXPECT_EQ(Read(dir / "a.txt"), "old text");
    EXPECT_EQ(dir.List(), "a.tx_|a.txt");

    TestFolder out;
    ASSERT_TRUE(f.Expand(out.Path().c_str(), CCompressedFile::kKeepExisting));
    EXPECT_EQ(Read(out / "a.txt"), "new text");
    EXPECT_EQ(out.List(), "a.txt");
}

// What a stranger sharing the output folder does: the moment the temporary file is
// made, it puts a link to its own file (natively) or a file of its own at that name.
std::string g_strVictim;
std::string g_strPlantedAt;

void PlantAtTemporaryName(const char* pszPath) {
    if (!platform::FileRemove(pszPath)) return;  // Windows: an open file cannot be removed
#ifdef _WIN32
    SzddWriteFile(pszPath, "planted");
#else
    if (::symlink(g_strVictim.c_str(), pszPath) != 0) return;
#endif
    g_strPlantedAt = pszPath;
}

TEST_F(ExpandTest, NothingPutAtTheTemporaryNameReceivesTheData) {
    TestFolder other;
    g_strVictim = other / "victim.txt";
    g_strPlantedAt.clear();
    ASSERT_TRUE(SzddWriteFile(g_strVictim, "victim"));
    std::string src = dir / "A.TX_";
    ASSERT_TRUE(SzddWriteCompressedFile(src, "expanded"));
    CCompressedFile f(src.c_str());
    platform::CreatedNewHook pfnPrevious = platform::SetCreatedNewHook(&PlantAtTemporaryName);
    platform::ForceTemporaryNames(true);  // natively the file has no name to plant at otherwise
    const bool bDone = f.Expand("");
    platform::ForceTemporaryNames(false);
    platform::SetCreatedNewHook(pfnPrevious);

    EXPECT_EQ(Read(g_strVictim), "victim");
    if (g_strPlantedAt.empty()) {
        EXPECT_TRUE(bDone);
        EXPECT_EQ(Read(dir / "A.txt"), "expanded");
        EXPECT_EQ(dir.List(), "A.TX_|A.txt");
    } else {
        // Its own handle wrote a file that no longer has a name: a clean failure that
        // leaves the stranger's entry alone and no target.
        EXPECT_FALSE(bDone);
        EXPECT_EQ(f.LastFailure(), CCompressedFile::kFailTargetUnwritable);
        EXPECT_EQ(Read(dir / "A.txt"), "<missing>");
        EXPECT_TRUE(platform::FileExists(g_strPlantedAt.c_str()));
    }
}

#ifndef _WIN32
std::string g_strSwapped;

// Swaps the output's folder for a link to the victim's once the temporary file is made.
void SwapForVictim(const char*) {
    if (::rename(g_strSwapped.c_str(), (g_strSwapped + ".old").c_str()) == 0)
        ::symlink(g_strVictim.substr(0, g_strVictim.rfind('/')).c_str(), g_strSwapped.c_str());
}

// The folder is looked up once: swapped meanwhile, it still gets the file, which
// replaces the old file there and not the victim.
TEST_F(ExpandTest, AFolderSwappedForALinkWhileTheFileIsWrittenKeepsIt) {
    TestFolder other;
    g_strVictim = other / "A.txt";
    g_strSwapped = dir / "out";
    ASSERT_EQ(::mkdir(g_strSwapped.c_str(), 0777), 0);
    ASSERT_TRUE(SzddWriteFile(g_strSwapped + "/A.txt", "old"));
    ASSERT_TRUE(SzddWriteFile(g_strVictim, "victim"));
    ASSERT_TRUE(SzddWriteCompressedFile(dir / "A.TX_", "expanded"));
    CCompressedFile f((dir / "A.TX_").c_str());
    platform::CreatedNewHook pfnPrevious = platform::SetCreatedNewHook(&SwapForVictim);
    platform::ForceTemporaryNames(true);
    EXPECT_TRUE(f.Expand((g_strSwapped + "/").c_str())) << f.LastFailure();
    platform::ForceTemporaryNames(false);
    platform::SetCreatedNewHook(pfnPrevious);
    EXPECT_EQ(other.List() + "," + Read(g_strVictim), "A.txt,victim");
    EXPECT_EQ(dir.List("out.old") + "," + Read(g_strSwapped + ".old/A.txt"), "A.txt,expanded");
}
#endif

// Folders nested to the length asked for, each part short enough for every file system.
std::string MakeFolderOfLength(const std::string& strBase, char chSep, size_t nLength) {
    std::string strFolder = strBase;
    while (strFolder.size() < nLength) {
        size_t nPart = std::min<size_t>(100, nLength - strFolder.size() - 1);
        if (nPart == 0) return std::string();
        strFolder += std::string(nPart, 'd');
#ifdef _WIN32
        if (!CreateDirectoryA(strFolder.c_str(), nullptr)) return std::string();
#else
        if (::mkdir(strFolder.c_str(), 0777) != 0) return std::string();
#endif
        strFolder += chSep;
    }
    return strFolder.size() == nLength ? strFolder : std::string();
}

TEST_F(ExpandTest, EveryOutputNameShorterThan260BytesExpands) {
    std::string src = dir / "A.TX_";
    ASSERT_TRUE(SzddWriteCompressedFile(src, "fits"));
    for (size_t nLength = 254; nLength < 260; ++nLength) {
        TestFolder out;
        // "A.txt" fills the rest, far shorter than the usual temporary name.
        std::string strFolder = MakeFolderOfLength(out.Path(), out.Separator(), nLength - 5);
        if (strFolder.empty()) GTEST_SKIP() << "the system makes no folder of " << nLength - 5 << " bytes";
        CCompressedFile f(src.c_str());
        ASSERT_TRUE(f.Expand(strFolder.c_str())) << nLength << " failure " << f.LastFailure();
        EXPECT_EQ(std::strlen(f.m_szOutputPath), nLength);
        EXPECT_EQ(Read(f.m_szOutputPath), "fits");
    }
    // One byte more no longer fits.
    TestFolder out;
    std::string strFolder = MakeFolderOfLength(out.Path(), out.Separator(), 255);
    if (strFolder.empty()) return;
    CCompressedFile f(src.c_str());
    EXPECT_FALSE(f.Expand(strFolder.c_str()));
    EXPECT_EQ(f.LastFailure(), CCompressedFile::kFailNameTooLong);
}

TEST_F(ExpandTest, ReadOnlyTargetIsRefusedAndKept) {
    std::string src = dir / "README.TX_";
    ASSERT_TRUE(SzddWriteCompressedFile(src, "new"));
    std::string target = dir / "README.txt";
    ASSERT_TRUE(SzddWriteFile(target, "old"));
    ASSERT_TRUE(platform::FileSetReadOnly(target.c_str(), true));
    EXPECT_TRUE(platform::FileIsReadOnly(target.c_str()));
    CCompressedFile f(src.c_str());
    EXPECT_FALSE(f.Expand(""));
    EXPECT_EQ(f.LastFailure(), CCompressedFile::kFailTargetReadOnly);
    EXPECT_STREQ(f.m_szOutputPath, "");
    EXPECT_EQ(Read(target), "old");
    EXPECT_EQ(dir.List(), "README.TX_|README.txt");

    // Writable again, it is replaced.
    ASSERT_TRUE(platform::FileSetReadOnly(target.c_str(), false));
    EXPECT_FALSE(platform::FileIsReadOnly(target.c_str()));
    EXPECT_TRUE(f.Expand(""));
    EXPECT_EQ(Read(target), "new");
}

}  // namespace
