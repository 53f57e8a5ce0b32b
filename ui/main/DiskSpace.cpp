#include "ui/main/DiskSpace.h"
#include <cinttypes>
#include <cstdio>

namespace {
typedef BOOL(WINAPI* PFN_GETDISKFREESPACEEX)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

CDiskSpaceQueries g_platformQueries;
CDiskSpaceQueries* g_pQueries = nullptr;

std::string Headed(char chDrive, const char* pszRest)
{
    std::string text;
    if (chDrive)
        text += chDrive;
    return text + pszRest;
}
}

void CDiskSpaceQueries::QueryVersion(OSVERSIONINFOA& info)
{
    GetVersionExA(&info);
}

CDiskSpaceQueries::ExResult CDiskSpaceQueries::QueryFreeSpaceEx(const char* pszRoot, uint64_t& freeBytes,
                                                              uint64_t& totalBytes)
{
    HMODULE hKernel = LoadLibraryA("kernel32");
    const auto pfnGetDiskFreeSpaceEx =
        reinterpret_cast<PFN_GETDISKFREESPACEEX>(reinterpret_cast<void*>(GetProcAddress(hKernel, "GetDiskFreeSpaceExA")));
    ExResult result = ExResult::Missing;
    if (pfnGetDiskFreeSpaceEx) {
        ULARGE_INTEGER freeToCaller{}, total{};
        result = pfnGetDiskFreeSpaceEx(pszRoot, &freeToCaller, &total, nullptr) ? ExResult::Done : ExResult::Failed;
        freeBytes = freeToCaller.QuadPart;
        totalBytes = total.QuadPart;
    }
    if (hKernel)
        FreeLibrary(hKernel);
    return result;
}

bool CDiskSpaceQueries::QueryFreeSpace(const char* pszRoot, DWORD& sectorsPerCluster, DWORD& bytesPerSector,
                                     DWORD& freeClusters, DWORD& totalClusters)
{
    return GetDiskFreeSpaceA(pszRoot, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters) != FALSE;
}

bool UsesFreeSpaceEx(DWORD dwPlatformId, DWORD dwBuildNumber)
{
    if (dwPlatformId == VER_PLATFORM_WIN32_NT)
        return true;
    // Windows 9x keeps the major and minor version in the high word of the build number.
    return dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && LOWORD(dwBuildNumber) >= 1000;
}

std::string FormatDriveText64(char chDrive, bool bOk, uint64_t freeBytes, uint64_t totalBytes)
{
    uint64_t freeKByte = 0, totalKByte = 0, percent = 0;
    if (bOk) {
        freeKByte = freeBytes >> 10;
        totalKByte = totalBytes >> 10;
        percent = totalBytes ? freeBytes * 100 / totalBytes : 0;
    }
    char szRest[200];
    snprintf(szRest, sizeof(szRest),
             " ドライブ : 空き容量 %" PRId64 " KByte 総容量 %" PRId64 " KByte  %d %%の空きがあります。",
             static_cast<int64_t>(freeKByte), static_cast<int64_t>(totalKByte), static_cast<int>(percent));
    return Headed(chDrive, szRest);
}

std::string FormatDriveText32(char chDrive, bool bOk, DWORD sectorsPerCluster, DWORD bytesPerSector,
                              DWORD freeClusters, DWORD totalClusters)
{
    uint32_t freeKByte = 0, totalKByte = 0, percent = 0;
    if (bOk) {
        // Unsigned 32-bit throughout: each product wraps modulo 2^32.
        const uint32_t kbytePerCluster = (uint32_t{sectorsPerCluster} * bytesPerSector) >> 10;
        freeKByte = kbytePerCluster * freeClusters;
        totalKByte = kbytePerCluster * totalClusters;
        percent = totalKByte ? freeKByte * 100u / totalKByte : 0;
    }
    char szRest[200];
    snprintf(szRest, sizeof(szRest), " ドライブ : 空き容量 %d KByte 総容量 %d KByte  %d %%の空きがあります。",
             static_cast<int>(freeKByte), static_cast<int>(totalKByte), static_cast<int>(percent));
    return Headed(chDrive, szRest);
}

std::string DriveText(const char* pszRoot, CDiskSpaceQueries& queries)
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    queries.QueryVersion(version);
    if (UsesFreeSpaceEx(version.dwPlatformId, version.dwBuildNumber)) {
        uint64_t freeBytes = 0, totalBytes = 0;
        const CDiskSpaceQueries::ExResult result = queries.QueryFreeSpaceEx(pszRoot, freeBytes, totalBytes);
        if (result != CDiskSpaceQueries::ExResult::Missing)
            return FormatDriveText64(pszRoot[0], result == CDiskSpaceQueries::ExResult::Done, freeBytes, totalBytes);
    }
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    const bool bOk = queries.QueryFreeSpace(pszRoot, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters);
    return FormatDriveText32(pszRoot[0], bOk, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters);
}

CDiskSpaceQueries& DiskSpaceQueries()
{
    return g_pQueries ? *g_pQueries : g_platformQueries;
}

CDiskSpaceQueries* SetDiskSpaceQueries(CDiskSpaceQueries* pQueries)
{
    CDiskSpaceQueries* pPrevious = g_pQueries;
    g_pQueries = pQueries;
    return pPrevious;
}
