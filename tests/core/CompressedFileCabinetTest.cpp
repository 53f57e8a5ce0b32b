#include "core/CompressedFile.h"
#include "platform/File.h"
#include "tests/lz/StreamTestSupport.h"
#include "tests/platform/TestFolder.h"
#include "tests/szdd/CabWriter.h"
#include "tests/szdd/KwajCorruptFiles.h"

#include <gtest/gtest.h>

#include <random>

namespace {

class CabinetEntryTest : public ::testing::Test {
protected:
    std::string Read(const std::string& strPath) {
        std::string s;
        return SzddReadFile(strPath, &s) ? s : "<missing>";
    }
    TestFolder dir;
};

platform::FileTime TimeOf(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond) {
    platform::LocalTime local;
    local.nYear = nYear, local.nMonth = nMonth, local.nDay = nDay;
    local.nHour = nHour, local.nMinute = nMinute, local.nSecond = nSecond;
    platform::FileTime t;
    EXPECT_TRUE(platform::FileTimeFromLocal(local, &t));
    return t;
}

// A cabinet of one file is a compressed file like any other: its member's name gives
// the extension, its entry the size, its date the output's time.
TEST_F(CabinetEntryTest, OneFileExpandsUnderTheSourcesNameWithTheRecordedExtension) {
    std::mt19937 rng(23);
    const std::string text = TextLike(90000, 4), random = lz_test::RandomBytes(rng, 70001);
    const std::string big = lz_test::RandomBytes(rng, kCabLzxBlock + 3);  // two LZX blocks
    const struct {
        uint16_t nCompression;
        const char* pszSource;
        const char* pszRecorded;
        const char* pszOutput;
        const std::string& data;
    } cases[] = {
        {kCabStored, "ACPI.SY_", "acpi.sys", "ACPI.sys", text},
        {kCabMszip, "NOTEPAD.EX_", "NOTEPAD.EXE", "NOTEPAD.exe", text},
        {kCabMszip, "EMPTY.TX_", "empty.txt", "EMPTY.txt", ""},
        {CabLzx(15), "KBD.DL_", "i386\\kbd.dll", "KBD.dll", random},
        {CabLzx(21), "LAYOUT.IN_", "layout.inf", "LAYOUT.inf", big},
    };
    for (const auto& c : cases) {
        const std::string& data = c.data;
        ASSERT_TRUE(SzddWriteFile(dir / c.pszSource, CabCompress(data, c.pszRecorded, c.nCompression)));
        CCompressedFile f((dir / c.pszSource).c_str());
        uint32_t nCompressed = 0, nExpanded = 0;
        f.ReadHeader(&nCompressed, &nExpanded);
        EXPECT_EQ(f.RecordedExtension(), CCompressedFile::kRecordedTaken) << c.pszSource;
        EXPECT_EQ(f.CabinetMembers(), 1u);
        EXPECT_EQ(nExpanded, data.size()) << c.pszSource;
        ASSERT_TRUE(f.Expand("")) << c.pszSource << " " << f.LastFailure();
        EXPECT_EQ(std::string(f.m_szOutputPath), dir / c.pszOutput);
        EXPECT_TRUE(Read(dir / c.pszOutput) == data) << c.pszSource;
        platform::FileTime t;
        ASSERT_TRUE(platform::FileGetWriteTime(f.m_szOutputPath, &t));
        EXPECT_TRUE(t == TimeOf(2000, 7, 14, 9, 30, 10)) << c.pszSource;
    }
}

TEST_F(CabinetEntryTest, RecordedNamesGiveAnExtensionOnlyWhenItMayStandInAName) {
    const struct {
        std::string strRecorded;
        uint16_t nAttributes;
        CCompressedFile::Recorded eRecorded;
        const char* pszExt;  // what the entry has afterwards ("dll" is the table's guess)
    } cases[] = {
        {"SETUPAPI.TXT", 0x20, CCompressedFile::kRecordedTaken, "txt"},
        {"readme", 0x20, CCompressedFile::kNoneRecorded, "dll"},
        {"old.v2\\readme", 0x20, CCompressedFile::kNoneRecorded, "dll"},
        {"trailing.", 0x20, CCompressedFile::kNoneRecorded, "dll"},
        {"a.t\x01t", 0x20, CCompressedFile::kRecordedRefused, "dll"},
        {"a.t t ", 0x20, CCompressedFile::kRecordedRefused, "dll"},
        {"a.\xE6\x96\x87", 0x80, CCompressedFile::kRecordedRefused, "dll"},  // beyond ASCII in a UTF-8 name
    };
    for (const auto& c : cases) {
        CabMember m{c.strRecorded, "data"};
        m.nAttributes = c.nAttributes;
        ASSERT_TRUE(SzddWriteFile(dir / "x.dl_", CabArchive({m}, kCabMszip)));
        CCompressedFile f((dir / "x.dl_").c_str());
        EXPECT_EQ(f.GuessExtensionFromHeader(), c.eRecorded == CCompressedFile::kRecordedTaken) << c.strRecorded;
        EXPECT_EQ(f.RecordedExtension(), c.eRecorded) << c.strRecorded;
        EXPECT_STREQ(f.m_szExt, c.pszExt) << c.strRecorded;
    }
}

TEST(LocalTime, OnlyTimesThatExistConvert) {
    platform::FileTime t;
    const platform::LocalTime bad[] = {
        {2001, 2, 29, 0, 0, 0}, {2000, 13, 1, 0, 0, 0}, {2000, 0, 1, 0, 0, 0}, {2000, 4, 31, 0, 0, 0},
        {2000, 1, 0, 0, 0, 0},  {2000, 1, 1, 24, 0, 0}, {2000, 1, 1, 0, 60, 0}, {2000, 1, 1, 0, 0, 62},
    };
    for (const platform::LocalTime& l : bad)
        EXPECT_FALSE(platform::FileTimeFromLocal(l, &t)) << l.nYear << "-" << l.nMonth << "-" << l.nDay;
    // Two seconds apart, as a cabinet's time counts them, are two times.
    EXPECT_TRUE(TimeOf(2000, 2, 29, 23, 59, 56) != TimeOf(2000, 2, 29, 23, 59, 58));
}

}  // namespace
