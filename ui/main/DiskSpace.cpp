#include "ui/main/DiskSpace.h"

namespace {
typedef BOOL(WINAPI* PFN_GETDISKFREESPACEEX)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

CDiskSpaceQueries g_platformQueries;
CDiskSpaceQueries* g_pQueries = nullptr;
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

DriveSpace DriveSpace64(bool bOk, uint64_t freeBytes, uint64_t totalBytes)
{
    DriveSpace space;
    if (bOk) {
        space.freeKByte = static_cast<int64_t>(freeBytes >> 10);
        space.totalKByte = static_cast<int64_t>(totalBytes >> 10);
        space.percent = static_cast<int>(totalBytes ? freeBytes * 100 / totalBytes : 0);
    }
    return space;
}

DriveSpace DriveSpace32(bool bOk, DWORD sectorsPerCluster, DWORD bytesPerSector, DWORD freeClusters,
                        DWORD totalClusters)
{
    DriveSpace space;
    if (bOk) {
        // Unsigned 32-bit throughout: each product wraps modulo 2^32; the text shows
        // the results as signed 32-bit numbers.
        const uint32_t kbytePerCluster = (uint32_t{sectorsPerCluster} * bytesPerSector) >> 10;
        const uint32_t freeKByte = kbytePerCluster * freeClusters;
        const uint32_t totalKByte = kbytePerCluster * totalClusters;
        space.freeKByte = static_cast<int32_t>(freeKByte);
        space.totalKByte = static_cast<int32_t>(totalKByte);
        space.percent = static_cast<int>(totalKByte ? freeKByte * 100u / totalKByte : 0);
    }
    return space;
}

DriveSpace QueryDriveSpace(const char* pszRoot, CDiskSpaceQueries& queries)
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    queries.QueryVersion(version);
    if (UsesFreeSpaceEx(version.dwPlatformId, version.dwBuildNumber)) {
        uint64_t freeBytes = 0, totalBytes = 0;
        const CDiskSpaceQueries::ExResult result = queries.QueryFreeSpaceEx(pszRoot, freeBytes, totalBytes);
        if (result != CDiskSpaceQueries::ExResult::Missing)
            return DriveSpace64(result == CDiskSpaceQueries::ExResult::Done, freeBytes, totalBytes);
    }
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    const bool bOk = queries.QueryFreeSpace(pszRoot, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters);
    return DriveSpace32(bOk, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters);
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
