#include "platform/win32/FileSystemCalls.h"

namespace platform {

namespace {

typedef BOOL(WINAPI* PFN_MOVEFILEEX)(LPCSTR, LPCSTR, DWORD);

CFileSystemCalls g_systemCalls;
CFileSystemCalls* g_pCalls = nullptr;

}  // namespace

bool CFileSystemCalls::IsWin9x() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

HANDLE CFileSystemCalls::Open(const char* pszPath, DWORD dwAccess, DWORD dwShare, DWORD dwDisposition) {
    return CreateFileA(pszPath, dwAccess, dwShare, nullptr, dwDisposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

BOOL CFileSystemCalls::MoveEx(const char* pszFrom, const char* pszTo, DWORD dwFlags) {
    const auto pfnMoveFileEx = reinterpret_cast<PFN_MOVEFILEEX>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "MoveFileExA")));
    if (!pfnMoveFileEx) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    return pfnMoveFileEx(pszFrom, pszTo, dwFlags);
}

BOOL CFileSystemCalls::Move(const char* pszFrom, const char* pszTo) { return MoveFileA(pszFrom, pszTo); }

BOOL CFileSystemCalls::QueryInformation(HANDLE hFile, BY_HANDLE_FILE_INFORMATION* pInfo) {
    return GetFileInformationByHandle(hFile, pInfo);
}

BOOL CFileSystemCalls::Delete(const char* pszPath) { return DeleteFileA(pszPath); }

CFileSystemCalls& FileSystemCalls() { return g_pCalls ? *g_pCalls : g_systemCalls; }

CFileSystemCalls* SetFileSystemCalls(CFileSystemCalls* pCalls) {
    CFileSystemCalls* pPrevious = g_pCalls;
    g_pCalls = pCalls;
    return pPrevious;
}

}  // namespace platform
