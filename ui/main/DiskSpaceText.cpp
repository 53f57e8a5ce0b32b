// The drive text of the status bar, in the words of the program's string table.
#include "ui/main/DiskSpace.h"
#include "framework/ResourceString.h"
#include "resource.h"

std::string FormatDriveText(char chDrive, const DriveSpace& space)
{
    const std::string drive = chDrive ? std::string(1, chDrive) : std::string();
    return FormatText(LoadResString(IDS_DRIVE_SPACE),
                      {drive, std::to_string(space.freeKByte), std::to_string(space.totalKByte),
                       std::to_string(space.percent)});
}

std::string FormatDriveText64(char chDrive, bool bOk, uint64_t freeBytes, uint64_t totalBytes)
{
    return FormatDriveText(chDrive, DriveSpace64(bOk, freeBytes, totalBytes));
}

std::string FormatDriveText32(char chDrive, bool bOk, DWORD sectorsPerCluster, DWORD bytesPerSector,
                              DWORD freeClusters, DWORD totalClusters)
{
    return FormatDriveText(chDrive,
                           DriveSpace32(bOk, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters));
}

std::string DriveText(const char* pszRoot, CDiskSpaceQueries& queries)
{
    return FormatDriveText(pszRoot[0], QueryDriveSpace(pszRoot, queries));
}
