// The system calls under the Windows file seam where the Windows 95/98/ME family
// differs from NT. Tests put calls that behave as that family does in place of the
// system's, so that its paths run on any Windows.
#pragma once
#include <windows.h>

namespace platform {

class CFileSystemCalls {
public:
    virtual ~CFileSystemCalls() = default;

    // True on the 95/98/ME family, whose file index does not name a FAT file dependably.
    virtual bool IsWin9x();
    // CreateFileA. The 95/98/ME family fails FILE_SHARE_DELETE with ERROR_INVALID_PARAMETER.
    virtual HANDLE Open(const char* pszPath, DWORD dwAccess, DWORD dwShare, DWORD dwDisposition);
    // MoveFileExA, looked up at run time: FALSE with ERROR_CALL_NOT_IMPLEMENTED where
    // the system has none or only a stub of it.
    virtual BOOL MoveEx(const char* pszFrom, const char* pszTo, DWORD dwFlags);
    // MoveFileA, which never replaces a file.
    virtual BOOL Move(const char* pszFrom, const char* pszTo);
    // GetFileInformationByHandle.
    virtual BOOL QueryInformation(HANDLE hFile, BY_HANDLE_FILE_INFORMATION* pInfo);
    // DeleteFileA, where a file that is open elsewhere cannot be deleted.
    virtual BOOL Delete(const char* pszPath);
};

// The calls the file seam uses: the system's, unless others were set.
CFileSystemCalls& FileSystemCalls();
// Puts other calls in place (null: the system's again); returns the previous ones.
CFileSystemCalls* SetFileSystemCalls(CFileSystemCalls* pCalls);

}  // namespace platform
