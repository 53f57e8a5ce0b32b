#include "platform/FileSystem.h"
#include "platform/File.h"
#include "platform/PathStyle.h"

#include <windows.h>

namespace platform {

namespace {

const DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

// What is behind a name that is no folder: a file on a disk, or a device such as
// "CON" or "NUL", or a pipe, which only its open handle tells apart.
PathKind KindOfNonFolder(const char* pszPath) {
    // No access asked: nothing is read, and no other program's sharing is in the way.
    HANDLE h = CreateFileA(pszPath, 0, kShareReadWrite, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return PathKind::kFile;
    const DWORD dwType = GetFileType(h);
    CloseHandle(h);
    return dwType == FILE_TYPE_CHAR ? PathKind::kCharDevice : dwType == FILE_TYPE_PIPE ? PathKind::kFifo
                                                                                        : PathKind::kFile;
}

// The words of the C library for the reasons a file-system call gives most often.
struct ErrorWords {
    DWORD dwError;
    const char* pszText;
};
const ErrorWords kErrorWords[] = {
    {ERROR_FILE_NOT_FOUND, "No such file or directory"},
    {ERROR_PATH_NOT_FOUND, "No such file or directory"},
    {ERROR_INVALID_DRIVE, "No such file or directory"},
    {ERROR_BAD_NETPATH, "No such file or directory"},
    {ERROR_BAD_NET_NAME, "No such file or directory"},
    {ERROR_ACCESS_DENIED, "Permission denied"},
    {ERROR_SHARING_VIOLATION, "Device or resource busy"},
    {ERROR_LOCK_VIOLATION, "Device or resource busy"},
    {ERROR_NOT_ENOUGH_MEMORY, "Cannot allocate memory"},
    {ERROR_OUTOFMEMORY, "Cannot allocate memory"},
    {ERROR_WRITE_PROTECT, "Read-only file system"},
    {ERROR_NOT_READY, "No medium found"},
    {ERROR_HANDLE_DISK_FULL, "No space left on device"},
    {ERROR_DISK_FULL, "No space left on device"},
    {ERROR_FILE_EXISTS, "File exists"},
    {ERROR_ALREADY_EXISTS, "File exists"},
    {ERROR_BROKEN_PIPE, "Broken pipe"},
    {ERROR_NO_DATA, "Broken pipe"},
    {ERROR_DIRECTORY, "Not a directory"},
    {ERROR_INVALID_NAME, "Invalid argument"},
    {ERROR_BAD_PATHNAME, "Invalid argument"},
    {ERROR_FILENAME_EXCED_RANGE, "File name too long"},
    {ERROR_INVALID_HANDLE, "Bad file descriptor"},
    {ERROR_CRC, "Input/output error"},
    {ERROR_SECTOR_NOT_FOUND, "Input/output error"},
    {ERROR_WRITE_FAULT, "Input/output error"},
    {ERROR_READ_FAULT, "Input/output error"},
    {ERROR_GEN_FAILURE, "Input/output error"},
};

// The attributes of a path; a share's root ("\\\\server\\share") is asked for with its
// closing backslash, without which older systems find nothing there.
DWORD AttributesOf(const char* pszPath) {
    const DWORD dwAttributes = GetFileAttributesA(pszPath);
    const std::string strPath = pszPath;
    if (dwAttributes != INVALID_FILE_ATTRIBUTES || strPath.size() < 5 || !IsSeparator(strPath[0]) ||
        !IsSeparator(strPath[1]) || FolderPrefix(strPath) == strPath)
        return dwAttributes;
    const DWORD dwError = GetLastError();
    const size_t nServerEnd = FindSeparator(strPath, 2);
    if (nServerEnd == std::string::npos || FindSeparator(strPath, nServerEnd + 1) != std::string::npos)
        return dwAttributes;
    const DWORD dwRoot = GetFileAttributesA((strPath + '\\').c_str());
    if (dwRoot == INVALID_FILE_ATTRIBUTES) SetLastError(dwError);
    return dwRoot;
}

}  // namespace

bool GetPathKind(const char* pszPath, Links eLinks, PathKind* pKind) {
    const DWORD dwAttributes = AttributesOf(pszPath);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES) return false;
    if (eLinks == Links::kDontFollow && (dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        *pKind = PathKind::kLink;
    else if (dwAttributes & FILE_ATTRIBUTE_DIRECTORY)
        *pKind = PathKind::kFolder;
    else
        *pKind = KindOfNonFolder(pszPath);
    return true;
}

bool ListFolder(const std::string& strFolder, std::vector<FolderEntry>* pEntries) {
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA((FolderPrefix(strFolder) + "*").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;  // a drive's empty root
    do {
        const std::string strName = found.cFileName;
        if (strName == "." || strName == "..") continue;
        const DWORD dw = found.dwFileAttributes;
        pEntries->push_back({strName, (dw & FILE_ATTRIBUTE_REPARSE_POINT) ? PathKind::kLink
                                      : (dw & FILE_ATTRIBUTE_DIRECTORY)   ? PathKind::kFolder
                                                                          : PathKind::kFile});
    } while (FindNextFileA(hFind, &found));
    const bool bComplete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(hFind);
    return bComplete;
}

bool MakeFolder(const char* pszPath) {
    if (CreateDirectoryA(pszPath, nullptr)) return true;
    // Windows 95 may say "access denied" for a folder that exists.
    const DWORD dwError = GetLastError();
    if (dwError == ERROR_ALREADY_EXISTS || GetFileAttributesA(pszPath) != INVALID_FILE_ATTRIBUTES) return true;
    SetLastError(dwError);
    return false;
}

// The 95/98/ME family has no handle to a folder to work in: a folder goes by its path,
// and one that is a link (a reparse point) is never opened below another. A folder
// named by its path is taken as it is named, roots and network shares alike; what
// is not there fails when a file is made in it.
bool Folder::Open(const std::string& strPath) {
    Close();
    m_nHandle = 0;
    m_strPrefix = FolderPrefix(strPath);
    return true;
}

bool Folder::OpenBelow(const Folder& parent, const std::string& strName, bool bMake) {
    const std::string strPath = parent.Prefix() + strName;
    if (bMake && !MakeFolder(strPath.c_str())) return false;
    const DWORD dw = GetFileAttributesA(strPath.c_str());
    if (dw == INVALID_FILE_ATTRIBUTES) return false;
    if (!(dw & FILE_ATTRIBUTE_DIRECTORY) || (dw & FILE_ATTRIBUTE_REPARSE_POINT)) {
        SetLastError(ERROR_DIRECTORY);
        return false;
    }
    m_nHandle = 0;
    m_strPrefix = FolderPrefix(strPath);
    return true;
}

void Folder::Close() {
    m_nHandle = -1;
    m_strPrefix.clear();
}

bool Folder::GetKind(const char* pszName, PathKind* pKind) const {
    return GetPathKind((m_strPrefix + pszName).c_str(), Links::kDontFollow, pKind);
}

bool Folder::IsReadOnly(const char* pszName) const { return FileIsReadOnly((m_strPrefix + pszName).c_str()); }

bool Folder::Remove(const char* pszName) const { return FileRemove((m_strPrefix + pszName).c_str()); }

bool Folder::Replace(const char* pszFrom, const char* pszTo, std::string* pOldCopy) const {
    return FileReplace((m_strPrefix + pszFrom).c_str(), (m_strPrefix + pszTo).c_str(), pOldCopy);
}

bool Folder::MoveNew(const char* pszFrom, const char* pszTo) const {
    return FileMoveNew((m_strPrefix + pszFrom).c_str(), (m_strPrefix + pszTo).c_str());
}

bool MayRead(const char* pszPath) {
    HANDLE h = CreateFileA(pszPath, GENERIC_READ, kShareReadWrite, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

int LastError() { return static_cast<int>(GetLastError()); }

std::string ErrorText(int nError) {
    for (const ErrorWords& words : kErrorWords)
        if (words.dwError == static_cast<DWORD>(nError)) return words.pszText;
    // The system's own text would be in the language of its installation.
    return "system error " + std::to_string(static_cast<unsigned>(nError));
}

}  // namespace platform
