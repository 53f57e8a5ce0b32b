// The drive text of the status bar: its format, its arithmetic and which
// free-space query each platform version takes.
#include "ui/main/DiskSpace.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const uint64_t kKByte = 1024;
const uint64_t kGByte = kKByte * kKByte * kKByte;

TEST(StatusBarDriveTextTest, FormatsTheFiguresOfTheSixtyFourBitQuery)
{
    EXPECT_EQ(FormatDriveText64('D', true, 1048576 * kKByte, 2097152 * kKByte),
              "D ドライブ : 空き容量 1048576 KByte 総容量 2097152 KByte  50 %の空きがあります。");
    // More than 4 GByte free: no 32-bit truncation of the figures or of the percentage.
    EXPECT_EQ(FormatDriveText64('C', true, 5 * kGByte + 1023, 8 * kGByte),
              "C ドライブ : 空き容量 5242880 KByte 総容量 8388608 KByte  62 %の空きがあります。");
    EXPECT_EQ(FormatDriveText64('F', true, 3000 * kGByte, 3000 * kGByte),
              "F ドライブ : 空き容量 3145728000 KByte 総容量 3145728000 KByte  100 %の空きがあります。");
}

TEST(StatusBarDriveTextTest, ShowsZerosWhenTheQueryFailsOrTheDriveHasNoSize)
{
    const std::string failed = "E ドライブ : 空き容量 0 KByte 総容量 0 KByte  0 %の空きがあります。";
    EXPECT_EQ(FormatDriveText64('E', false, 5 * kGByte, 8 * kGByte), failed);
    EXPECT_EQ(FormatDriveText32('E', false, 8, 512, 100, 200), failed);
    EXPECT_EQ(FormatDriveText64('E', true, 0, 0), failed);
    // Sub-KByte totals: the percentage has nothing to divide by.
    EXPECT_EQ(FormatDriveText64('E', true, 100, 1000),
              "E ドライブ : 空き容量 0 KByte 総容量 0 KByte  10 %の空きがあります。");
    EXPECT_EQ(FormatDriveText32('E', true, 1, 512, 100, 200), failed);
}

TEST(StatusBarDriveTextTest, ComputesTheThirtyTwoBitFiguresPerClusterInUnsignedArithmetic)
{
    // 8 sectors of 512 bytes: 4 KByte per cluster.
    EXPECT_EQ(FormatDriveText32('A', true, 8, 512, 1000, 4000),
              "A ドライブ : 空き容量 4000 KByte 総容量 16000 KByte  25 %の空きがあります。");
    // 3 sectors of 512 bytes are 1.5 KByte, counted as 1 KByte per cluster.
    EXPECT_EQ(FormatDriveText32('A', true, 3, 512, 10, 40),
              "A ドライブ : 空き容量 10 KByte 総容量 40 KByte  25 %の空きがあります。");
    // free KByte x 100 wraps modulo 2^32: 5000000000 - 2^32 = 705032704, / 60000000 = 11.
    EXPECT_EQ(FormatDriveText32('A', true, 2, 512, 50000000, 60000000),
              "A ドライブ : 空き容量 50000000 KByte 総容量 60000000 KByte  11 %の空きがあります。");
}

// Platform figures given by the test; records which query was asked.
class CFakeQueries : public CDiskSpaceQueries {
public:
    CFakeQueries(DWORD dwPlatformId, DWORD dwBuildNumber) : m_dwPlatformId(dwPlatformId), m_dwBuildNumber(dwBuildNumber) {}

    void QueryVersion(OSVERSIONINFOA& info) override
    {
        m_nVersionSize = info.dwOSVersionInfoSize;
        info.dwPlatformId = m_dwPlatformId;
        info.dwBuildNumber = m_dwBuildNumber;
    }
    ExResult QueryFreeSpaceEx(const char* pszRoot, uint64_t& freeBytes, uint64_t& totalBytes) override
    {
        m_asked.push_back(std::string("ex ") + pszRoot);
        freeBytes = 6 * kGByte;
        totalBytes = 12 * kGByte;
        return m_exResult;
    }
    bool QueryFreeSpace(const char* pszRoot, DWORD& sectorsPerCluster, DWORD& bytesPerSector, DWORD& freeClusters,
                        DWORD& totalClusters) override
    {
        m_asked.push_back(std::string("32 ") + pszRoot);
        sectorsPerCluster = 64;
        bytesPerSector = 512;
        freeClusters = 100;
        totalClusters = 400;
        return m_bResult32;
    }

    DWORD m_dwPlatformId;
    DWORD m_dwBuildNumber;
    ExResult m_exResult = ExResult::Done;
    bool m_bResult32 = true;
    DWORD m_nVersionSize = 0;
    std::vector<std::string> m_asked;
};

const char kText64[] = "D ドライブ : 空き容量 6291456 KByte 総容量 12582912 KByte  50 %の空きがあります。";
const char kText32[] = "D ドライブ : 空き容量 3200 KByte 総容量 12800 KByte  25 %の空きがあります。";

TEST(StatusBarDriveTextTest, TakesTheQueryThatThePlatformVersionHas)
{
    struct Case {
        DWORD dwPlatformId;
        DWORD dwBuildNumber;
        const char* pszAsked;
    };
    const Case cases[] = {
        {VER_PLATFORM_WIN32_WINDOWS, 950, "32 D:\\"},
        {VER_PLATFORM_WIN32_WINDOWS, 999, "32 D:\\"},
        {VER_PLATFORM_WIN32_WINDOWS, 1000, "ex D:\\"},
        {VER_PLATFORM_WIN32_WINDOWS, 1111, "ex D:\\"},
        // Windows 9x puts the version into the high word: only the low word is the build.
        {VER_PLATFORM_WIN32_WINDOWS, 0x040A0000 | 1998, "ex D:\\"},
        {VER_PLATFORM_WIN32_WINDOWS, 0x04000000 | 950, "32 D:\\"},
        {VER_PLATFORM_WIN32_NT, 0, "ex D:\\"},
        {VER_PLATFORM_WIN32_NT, 1381, "ex D:\\"},
        {VER_PLATFORM_WIN32s, 5000, "32 D:\\"},
    };
    for (const Case& c : cases) {
        CFakeQueries queries(c.dwPlatformId, c.dwBuildNumber);
        const std::string text = DriveText("D:\\", queries);
        ASSERT_EQ(queries.m_asked.size(), 1u) << c.dwPlatformId << " " << c.dwBuildNumber;
        EXPECT_EQ(queries.m_asked[0], c.pszAsked) << c.dwPlatformId << " " << c.dwBuildNumber;
        EXPECT_EQ(text, queries.m_asked[0][0] == 'e' ? kText64 : kText32);
        EXPECT_EQ(queries.m_nVersionSize, 148u);
    }
}

TEST(StatusBarDriveTextTest, FallsBackToTheThirtyTwoBitQueryWithoutTheSixtyFourBitOne)
{
    CFakeQueries missing(VER_PLATFORM_WIN32_NT, 1381);
    missing.m_exResult = CDiskSpaceQueries::ExResult::Missing;
    EXPECT_EQ(DriveText("D:\\", missing), kText32);
    EXPECT_EQ(missing.m_asked, (std::vector<std::string>{"ex D:\\", "32 D:\\"}));

    // A 64-bit query that is there but fails is the answer: zeros, no second query.
    CFakeQueries failed(VER_PLATFORM_WIN32_NT, 1381);
    failed.m_exResult = CDiskSpaceQueries::ExResult::Failed;
    EXPECT_EQ(DriveText("D:\\", failed), "D ドライブ : 空き容量 0 KByte 総容量 0 KByte  0 %の空きがあります。");
    EXPECT_EQ(failed.m_asked.size(), 1u);

    CFakeQueries failed32(VER_PLATFORM_WIN32_WINDOWS, 950);
    failed32.m_bResult32 = false;
    EXPECT_EQ(DriveText("E:\\", failed32), "E ドライブ : 空き容量 0 KByte 総容量 0 KByte  0 %の空きがあります。");
}

TEST(StatusBarDriveTextTest, AsksThePlatformForRealDrives)
{
    CDiskSpaceQueries platform;
    const std::string c = DriveText("C:\\", platform);
    EXPECT_EQ(c.rfind("C ドライブ : 空き容量 ", 0), 0u) << c;
    EXPECT_EQ(c.find(" 空き容量 0 KByte 総容量 0 KByte"), std::string::npos) << c;
    // A network path is no drive root: the query fails, headed by its first character.
    EXPECT_EQ(DriveText("\\\\n", platform), "\\ ドライブ : 空き容量 0 KByte 総容量 0 KByte  0 %の空きがあります。");
}

}  // namespace
