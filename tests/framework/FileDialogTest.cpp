#include "framework/FileDialog.h"
#include <gtest/gtest.h>

namespace {

OSVERSIONINFOA Version(DWORD dwPlatform, DWORD dwMajor, DWORD dwMinor)
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    info.dwPlatformId = dwPlatform;
    info.dwMajorVersion = dwMajor;
    info.dwMinorVersion = dwMinor;
    return info;
}

TEST(FileDialogTest, RecordSizeIsTheOneEachSystemKnows)
{
    const DWORD dwOld = OPENFILENAME_SIZE_VERSION_400A;
    ASSERT_LT(dwOld, sizeof(OPENFILENAMEA));
    EXPECT_EQ(OpenFileNameSize(Version(VER_PLATFORM_WIN32_WINDOWS, 4, 0)), dwOld);    // 95
    EXPECT_EQ(OpenFileNameSize(Version(VER_PLATFORM_WIN32_WINDOWS, 4, 10)), dwOld);   // 98
    EXPECT_EQ(OpenFileNameSize(Version(VER_PLATFORM_WIN32_NT, 4, 0)), dwOld);         // NT 4.0
    EXPECT_EQ(OpenFileNameSize(Version(VER_PLATFORM_WIN32_WINDOWS, 4, 90)), sizeof(OPENFILENAMEA));  // ME
    EXPECT_EQ(OpenFileNameSize(Version(VER_PLATFORM_WIN32_NT, 5, 0)), sizeof(OPENFILENAMEA));        // 2000
    EXPECT_EQ(OpenFileNameSize(Version(VER_PLATFORM_WIN32_NT, 10, 0)), sizeof(OPENFILENAMEA));
}

TEST(FileDialogTest, OpenDialogGetsTheSizeOfTheRunningSystem)
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    CFileDialog dialog(true);
    EXPECT_EQ(dialog.m_ofn.lStructSize, OpenFileNameSize(version));
}

}  // namespace
