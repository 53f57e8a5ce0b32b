#include "platform/File.h"
#include "platform/CreatedNew.h"
#include "platform/Dbcs.h"
#include "platform/win32/FileSystemCalls.h"

namespace platform {

namespace {

HANDLE Handle(void* p) { return static_cast<HANDLE>(p); }

// The 95/98/ME family refuses FILE_SHARE_DELETE as an invalid parameter; there
// nobody can delete an open file anyway, so the open goes on without it.
HANDLE OpenWith(const char* pszPath, DWORD dwAccess, DWORD dwShare, DWORD dwDisposition) {
    HANDLE h = FileSystemCalls().Open(pszPath, dwAccess, dwShare, dwDisposition);
    if (h == INVALID_HANDLE_VALUE && (dwShare & FILE_SHARE_DELETE) && GetLastError() == ERROR_INVALID_PARAMETER)
        h = FileSystemCalls().Open(pszPath, dwAccess, dwShare & ~DWORD(FILE_SHARE_DELETE), dwDisposition);
    return h;
}

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool SameIndex(HANDLE hA, HANDLE hB) {
    BY_HANDLE_FILE_INFORMATION a, b;
    return FileSystemCalls().QueryInformation(hA, &a) && FileSystemCalls().QueryInformation(hB, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

// The one spelling of an existing file's path: full, every part in its short 8.3
// form as the volume stores it. Empty when the file does not exist.
std::string CanonicalName(const char* pszPath) {
    char szFull[MAX_PATH], szShort[MAX_PATH];
    char* pszPart = nullptr;
    DWORD n = GetFullPathNameA(pszPath, MAX_PATH, szFull, &pszPart);
    if (n == 0 || n >= MAX_PATH || GetFileAttributesA(szFull) == INVALID_FILE_ATTRIBUTES) return std::string();
    n = GetShortPathNameA(szFull, szShort, MAX_PATH);
    // A volume without short names: the full name is the spelling.
    return n == 0 || n >= MAX_PATH ? std::string(szFull) : std::string(szShort);
}

// Equal but for the case of single-byte letters; double-byte characters match byte for byte.
bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
        if (IsLeadByte(ca)) {
            if (ca != cb || i + 1 >= a.size() || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (ca >= 'a' && ca <= 'z') ca = static_cast<unsigned char>(ca - 'a' + 'A');
        if (cb >= 'a' && cb <= 'z') cb = static_cast<unsigned char>(cb - 'a' + 'A');
        if (ca != cb) return false;
    }
    return true;
}

std::string FolderOf(const char* pszPath) {
    size_t nEnd = 0;
    for (size_t i = 0; pszPath[i]; ++i) {
        if (IsLeadByte(static_cast<unsigned char>(pszPath[i])) && pszPath[i + 1])
            ++i;
        else if (pszPath[i] == '\\' || pszPath[i] == '/' || pszPath[i] == ':')
            nEnd = i + 1;
    }
    return std::string(pszPath, nEnd);
}

// The old copies that replacing left behind, the program's single thread's; those
// that still stay when the program ends are tried once more then.
struct COldCopies {
    std::vector<std::string> paths;
    ~COldCopies() {
        for (const std::string& strPath : paths) DeleteFileA(strPath.c_str());
    }
} g_oldCopies;

// Deletes the old copy that stepped aside, read-only or not. One that is open elsewhere
// stays until RemoveOldCopies, under the name *pOldCopy gets.
void RemoveAside(const std::string& strAside, std::string* pOldCopy) {
    FileSetReadOnly(strAside.c_str(), false);
    if (FileSystemCalls().Delete(strAside.c_str())) return;
    g_oldCopies.paths.push_back(strAside);
    if (pOldCopy) *pOldCopy = strAside;
}

// Replacing without MoveFileEx: the old file steps aside under a free name first, so
// that a failure can put it back; the new one is complete under its own name all along.
bool ReplaceByMoves(const char* pszFrom, const char* pszTo, std::string* pOldCopy) {
    CFileSystemCalls& calls = FileSystemCalls();
    const DWORD dwTo = GetFileAttributesA(pszTo);
    if (dwTo == INVALID_FILE_ATTRIBUTES) return calls.Move(pszFrom, pszTo) != FALSE;
    // A folder is never replaced, as MoveFileEx refuses it too; moved aside it could not be removed.
    if (dwTo & FILE_ATTRIBUTE_DIRECTORY) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    const std::string strFolder = FolderOf(pszTo);
    std::string strAside;
    for (int nTry = 0; nTry < 64 && strAside.empty(); ++nTry) {
        std::string strName = TemporaryName(strFolder, MAX_PATH);
        if (strName.empty()) return false;
        if (calls.Move(pszTo, strName.c_str()))
            strAside = strName;
        else if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    if (strAside.empty()) return false;
    if (!calls.Move(pszFrom, pszTo)) {
        calls.Move(strAside.c_str(), pszTo);
        return false;
    }
    RemoveAside(strAside, pOldCopy);
    return true;
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

// A Windows program gets no signals that end it; owners drop their temporary files.
int RemoveOnEndingSignals(const Folder&, const char*) { return -1; }

void KeepOnEndingSignals(int) {}

File::File() : m_hFile(INVALID_HANDLE_VALUE) {}

File::~File() { Close(); }

bool File::OpenRead(const char* pszPath) {
    Close();
    m_hFile = OpenWith(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    // Only a file on a disk: a read of a pipe, the console or another device may wait for ever.
    if (IsOpen() && GetFileType(Handle(m_hFile)) != FILE_TYPE_DISK) Close();
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

// Windows files always have a name.
bool File::CreateUnnamed(const Folder&) {
    Close();
    return false;
}

bool File::LinkNew(const Folder&, const char*) { return false; }

bool File::CreateNewIn(const Folder& folder, const char* pszName) {
    return CreateNew((folder.Prefix() + pszName).c_str());
}

bool File::IsIn(const Folder& folder, const char* pszName) { return IsAt((folder.Prefix() + pszName).c_str()); }

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
        CountWritten(dwDone);
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

// While this handle is open, NT lets nobody delete or rename the file (no
// FILE_SHARE_DELETE), so its name can only be its own. The 95/98/ME family gives
// no dependable index to compare; nothing there can be checked beyond the name.
bool File::IsAt(const char* pszPath) {
    if (!IsOpen()) return false;
    if (FileSystemCalls().IsWin9x()) return FileExists(pszPath);
    HANDLE hNamed = OpenWith(pszPath, 0, kShareAll, OPEN_EXISTING);
    if (hNamed == INVALID_HANDLE_VALUE) return false;
    bool bSame = SameIndex(Handle(m_hFile), hNamed);
    CloseHandle(hNamed);
    return bSame;
}

bool File::CopyPermissions(File&) { return IsOpen(); }

bool File::IsStandardOutput() {
    const HANDLE hOut = GetStdHandle(STD_OUTPUT_HANDLE);
    return IsOpen() && hOut && hOut != INVALID_HANDLE_VALUE && GetFileType(hOut) == FILE_TYPE_DISK &&
           !FileSystemCalls().IsWin9x() && SameIndex(Handle(m_hFile), hOut);
}

bool FileExists(const char* pszPath) {
    return GetFileAttributesA(pszPath) != INVALID_FILE_ATTRIBUTES;
}

bool FileRemove(const char* pszPath) {
    return DeleteFileA(pszPath) != FALSE;
}

bool FileReplace(const char* pszFrom, const char* pszTo, std::string* pOldCopy) {
    if (pOldCopy) pOldCopy->clear();
    if (FileSystemCalls().MoveEx(pszFrom, pszTo, MOVEFILE_REPLACE_EXISTING)) return true;
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
    return ReplaceByMoves(pszFrom, pszTo, pOldCopy);
}

std::vector<std::string> RemoveOldCopies() {
    std::vector<std::string> stay;
    for (const std::string& strPath : g_oldCopies.paths)
        if (!FileSystemCalls().Delete(strPath.c_str()) && FileExists(strPath.c_str())) stay.push_back(strPath);
    g_oldCopies.paths = stay;
    return stay;
}

bool FileMoveNew(const char* pszFrom, const char* pszTo) {
    return MoveFileA(pszFrom, pszTo) != FALSE;  // never replaces an existing file
}

// The 95/98/ME family may give two FAT files the same index, or one file two, so
// there the names decide, each in its one spelling (long or short, any case).
bool FilesAreSame(const char* pszA, const char* pszB) {
    if (FileSystemCalls().IsWin9x()) {
        const std::string strA = CanonicalName(pszA);
        return !strA.empty() && EqualIgnoringCase(strA, CanonicalName(pszB));
    }
    HANDLE hA = OpenWith(pszA, 0, kShareAll, OPEN_EXISTING);
    if (hA == INVALID_HANDLE_VALUE) return false;
    HANDLE hB = OpenWith(pszB, 0, kShareAll, OPEN_EXISTING);
    bool bSame = false;
    if (hB != INVALID_HANDLE_VALUE) {
        bSame = SameIndex(hA, hB);
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
    // GENERIC_WRITE: FILE_WRITE_ATTRIBUTES is an NT right only.
    HANDLE h = OpenWith(pszPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME ft = ToFileTime(time);
    bool bDone = SetFileTime(h, nullptr, nullptr, &ft) != FALSE;
    CloseHandle(h);
    return bDone;
}

bool FileTimeFromLocal(const LocalTime& t, FileTime* pTime) {
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(t.nYear);
    st.wMonth = static_cast<WORD>(t.nMonth);
    st.wDay = static_cast<WORD>(t.nDay);
    st.wHour = static_cast<WORD>(t.nHour);
    st.wMinute = static_cast<WORD>(t.nMinute);
    st.wSecond = static_cast<WORD>(t.nSecond);
    FILETIME local, utc;
    if (t.nYear < 1601 || !LocalTimeExists(t) || !SystemTimeToFileTime(&st, &local) ||
        !LocalFileTimeToFileTime(&local, &utc))
        return false;
    *pTime = FromFileTime(utc);
    return true;
}

bool FileSetReadOnly(const char* pszPath, bool bReadOnly) {
    DWORD dwAttr = GetFileAttributesA(pszPath);
    if (dwAttr == INVALID_FILE_ATTRIBUTES) return false;
    dwAttr = bReadOnly ? (dwAttr | FILE_ATTRIBUTE_READONLY) : (dwAttr & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (dwAttr == 0) dwAttr = FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesA(pszPath, dwAttr) != FALSE;
}

bool FileIsReadOnly(const char* pszPath) {
    DWORD dwAttr = GetFileAttributesA(pszPath);
    return dwAttr != INVALID_FILE_ATTRIBUTES && (dwAttr & FILE_ATTRIBUTE_READONLY);
}

}  // namespace platform
