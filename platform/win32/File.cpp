#include "platform/File.h"
#include <windows.h>

namespace platform {

namespace {

HANDLE Handle(void* p) { return static_cast<HANDLE>(p); }

HANDLE OpenWith(const char* pszPath, DWORD dwAccess, DWORD dwShare, DWORD dwDisposition) {
    return CreateFileA(pszPath, dwAccess, dwShare, nullptr, dwDisposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

FileTime FromFileTime(const FILETIME& ft) {
    FileTime t;
    t.nHigh = ft.dwHighDateTime;
    t.nLow = ft.dwLowDateTime;
    return t;
}

FILETIME ToFileTime(const FileTime& t) {
    FILETIME ft;
    ft.dwHighDateTime = static_cast<DWORD>(t.nHigh);
    ft.dwLowDateTime = static_cast<DWORD>(t.nLow);
    return ft;
}

}  // namespace

File::File() : m_hFile(INVALID_HANDLE_VALUE) {}

File::~File() { Close(); }

bool File::OpenRead(const char* pszPath) {
    Close();
    m_hFile = OpenWith(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    return IsOpen();
}

bool File::Create(const char* pszPath) {
    Close();
    m_hFile = OpenWith(pszPath, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    return IsOpen();
}

bool File::CreateNew(const char* pszPath) {
    Close();
    m_hFile = OpenWith(pszPath, GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW);
    return IsOpen();
}

void File::Close() {
    if (IsOpen()) CloseHandle(Handle(m_hFile));
    m_hFile = INVALID_HANDLE_VALUE;
}

bool File::IsOpen() const { return Handle(m_hFile) != INVALID_HANDLE_VALUE; }

int64_t File::Read(void* pBuffer, size_t nBytes) {
    if (!IsOpen()) return -1;
    DWORD dwWant = nBytes > (1u << 30) ? (1u << 30) : static_cast<DWORD>(nBytes);
    DWORD dwGot = 0;
    if (!ReadFile(Handle(m_hFile), pBuffer, dwWant, &dwGot, nullptr)) return -1;
    return dwGot;
}

bool File::Write(const void* pBuffer, size_t nBytes) {
    if (!IsOpen()) return false;
    const char* p = static_cast<const char*>(pBuffer);
    while (nBytes > 0) {
        DWORD dwWant = nBytes > (1u << 30) ? (1u << 30) : static_cast<DWORD>(nBytes);
        DWORD dwDone = 0;
        if (!WriteFile(Handle(m_hFile), p, dwWant, &dwDone, nullptr) || dwDone == 0) return false;
        p += dwDone;
        nBytes -= dwDone;
    }
    return true;
}

bool File::Seek(uint64_t nOffset) {
    if (!IsOpen()) return false;
    LONG nHigh = static_cast<LONG>(nOffset >> 32);
    DWORD dwLow = SetFilePointer(Handle(m_hFile), static_cast<LONG>(nOffset & 0xFFFFFFFFu), &nHigh, FILE_BEGIN);
    return !(dwLow == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

int64_t File::Size() {
    if (!IsOpen()) return -1;
    DWORD dwHigh = 0;
    DWORD dwLow = GetFileSize(Handle(m_hFile), &dwHigh);
    if (dwLow == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return -1;
    return (static_cast<int64_t>(dwHigh) << 32) | dwLow;
}

bool File::GetWriteTime(FileTime* pTime) {
    FILETIME ft;
    if (!IsOpen() || !GetFileTime(Handle(m_hFile), nullptr, nullptr, &ft)) return false;
    *pTime = FromFileTime(ft);
    return true;
}

bool File::SetWriteTime(const FileTime& time) {
    FILETIME ft = ToFileTime(time);
    return IsOpen() && SetFileTime(Handle(m_hFile), nullptr, nullptr, &ft);
}

bool FileExists(const char* pszPath) {
    return GetFileAttributesA(pszPath) != INVALID_FILE_ATTRIBUTES;
}

bool FileRemove(const char* pszPath) {
    return DeleteFileA(pszPath) != FALSE;
}

bool FileReplace(const char* pszFrom, const char* pszTo) {
    if (MoveFileExA(pszFrom, pszTo, MOVEFILE_REPLACE_EXISTING)) return true;
    // Systems without MoveFileEx: remove the old file first.
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
    DWORD dwAttr = GetFileAttributesA(pszTo);
    if (dwAttr != INVALID_FILE_ATTRIBUTES && ((dwAttr & FILE_ATTRIBUTE_READONLY) || !DeleteFileA(pszTo)))
        return false;
    return MoveFileA(pszFrom, pszTo) != FALSE;
}

bool FileMoveNew(const char* pszFrom, const char* pszTo) {
    return MoveFileA(pszFrom, pszTo) != FALSE;  // never replaces an existing file
}

bool FilesAreSame(const char* pszA, const char* pszB) {
    BY_HANDLE_FILE_INFORMATION a, b;
    HANDLE hA = OpenWith(pszA, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (hA == INVALID_HANDLE_VALUE) return false;
    HANDLE hB = OpenWith(pszB, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    bool bSame = false;
    if (hB != INVALID_HANDLE_VALUE) {
        bSame = GetFileInformationByHandle(hA, &a) && GetFileInformationByHandle(hB, &b) &&
                a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
                a.nFileIndexLow == b.nFileIndexLow;
        CloseHandle(hB);
    }
    CloseHandle(hA);
    return bSame;
}

bool FileGetWriteTime(const char* pszPath, FileTime* pTime) {
    File f;
    return f.OpenRead(pszPath) && f.GetWriteTime(pTime);
}

bool FileSetWriteTime(const char* pszPath, const FileTime& time) {
    HANDLE h = OpenWith(pszPath, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME ft = ToFileTime(time);
    bool bDone = SetFileTime(h, nullptr, nullptr, &ft) != FALSE;
    CloseHandle(h);
    return bDone;
}

bool FileSetReadOnly(const char* pszPath, bool bReadOnly) {
    DWORD dwAttr = GetFileAttributesA(pszPath);
    if (dwAttr == INVALID_FILE_ATTRIBUTES) return false;
    dwAttr = bReadOnly ? (dwAttr | FILE_ATTRIBUTE_READONLY) : (dwAttr & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (dwAttr == 0) dwAttr = FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesA(pszPath, dwAttr) != FALSE;
}

}  // namespace platform
