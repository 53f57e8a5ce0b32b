// The drive part of the status bar: free and total space of a drive in KByte.
// The version test and the space queries go through CDiskSpaceQueries, so that
// other platforms and drives can be put in its place.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

class CDiskSpaceQueries {
public:
    virtual ~CDiskSpaceQueries() = default;

    enum class ExResult { Missing, Failed, Done };

    // GetVersionExA into a record whose fields are 0 but the size.
    virtual void QueryVersion(OSVERSIONINFOA& info);
    // GetDiskFreeSpaceExA, looked up in kernel32 at run time: the bytes free to the
    // caller and the total bytes. Missing when kernel32 does not have it.
    virtual ExResult QueryFreeSpaceEx(const char* pszRoot, uint64_t& freeBytes, uint64_t& totalBytes);
    // GetDiskFreeSpaceA.
    virtual bool QueryFreeSpace(const char* pszRoot, DWORD& sectorsPerCluster, DWORD& bytesPerSector,
                              DWORD& freeClusters, DWORD& totalClusters);
};

// True when the platform has the 64-bit query: NT, or a Windows build from 1000 on.
bool UsesFreeSpaceEx(DWORD dwPlatformId, DWORD dwBuildNumber);

// What the drive text shows of a drive: its free and total KByte and the share free in
// percent, as the text prints them; all 0 when the query failed.
struct DriveSpace {
    int64_t freeKByte = 0;
    int64_t totalKByte = 0;
    int percent = 0;
};

// The figures of the 64-bit query.
DriveSpace DriveSpace64(bool bOk, uint64_t freeBytes, uint64_t totalBytes);
// The figures of the 32-bit query, in its unsigned 32-bit arithmetic.
DriveSpace DriveSpace32(bool bOk, DWORD sectorsPerCluster, DWORD bytesPerSector, DWORD freeClusters,
                        DWORD totalClusters);
// The figures for a root such as "D:\", from the query the platform has.
DriveSpace QueryDriveSpace(const char* pszRoot, CDiskSpaceQueries& queries);

// The drive text, in the language of the program's string table (DiskSpaceText.cpp),
// headed by the drive's letter chDrive (none when 0).
std::string FormatDriveText(char chDrive, const DriveSpace& space);
// The drive text from the figures of the 64-bit query; all 0 when it failed.
std::string FormatDriveText64(char chDrive, bool bOk, uint64_t freeBytes, uint64_t totalBytes);
// The drive text from the figures of the 32-bit query; all 0 when it failed.
std::string FormatDriveText32(char chDrive, bool bOk, DWORD sectorsPerCluster, DWORD bytesPerSector,
                              DWORD freeClusters, DWORD totalClusters);
// The drive text for a root such as "D:\", headed by its first character.
std::string DriveText(const char* pszRoot, CDiskSpaceQueries& queries);

// The queries the status bar uses: the platform's, unless others were set.
CDiskSpaceQueries& DiskSpaceQueries();
// Puts other queries in place (null: the platform's again); returns the previous ones.
CDiskSpaceQueries* SetDiskSpaceQueries(CDiskSpaceQueries* pQueries);
