// The narrow file seam under the LZ service and the compressed file entry.
// Paths are byte strings passed to the system as they are: ANSI code page
// (code page 932) on Windows, plain file-system bytes elsewhere.
#pragma once
#include "platform/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// A file's last-write time, opaque outside the seam.
struct FileTime {
    int64_t nHigh = 0;
    int64_t nLow = 0;
    bool operator==(const FileTime& o) const { return nHigh == o.nHigh && nLow == o.nLow; }
    bool operator!=(const FileTime& o) const { return !(*this == o); }
};

// A wall-clock time of the system's own time zone, as archives record it.
struct LocalTime {
    int nYear = 1980, nMonth = 1, nDay = 1;
    int nHour = 0, nMinute = 0, nSecond = 0;
};
// True when the fields name a date and time that exist (not a 30 February, an hour 24).
bool LocalTimeExists(const LocalTime& local);
// The file time of a local time; false for one that does not exist.
bool FileTimeFromLocal(const LocalTime& local, FileTime* pTime);

class File {
public:
    File();
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens an existing file for reading only; others may read and write it meanwhile.
    // Fails for anything but a plain file on a disk (a folder, a pipe, a device), checked
    // on the handle that is then read, and without waiting for a pipe's writer.
    bool OpenRead(const char* pszPath);
    // Creates a file for writing, or empties an existing one.
    bool Create(const char* pszPath);
    // Creates a file for writing; fails when anything of that name exists (a link
    // included, which is never followed).
    bool CreateNew(const char* pszPath);
    void Close();
    bool IsOpen() const;

    // Bytes read (0 at the end of the file), or -1 on error.
    int64_t Read(void* pBuffer, size_t nBytes);
    // Writes all bytes, or fails.
    bool Write(const void* pBuffer, size_t nBytes);
    bool Seek(uint64_t nOffset);
    // The file's size, or -1 on error.
    int64_t Size();
    bool GetWriteTime(FileTime* pTime);
    bool SetWriteTime(const FileTime& time);
    // True while pszPath still names this open file, and not something put in its place.
    bool IsAt(const char* pszPath);
    // True when the program's standard output writes to this very file (natively the
    // same device and inode; on Windows NT the same file index; the 95/98/ME family
    // has no dependable index, so there it is never told).
    bool IsStandardOutput();
    // Natively: gives this file the permissions of source, less the write permissions
    // that the file-creation mask takes away, never more than source has. A Windows
    // file takes its access from its folder: nothing changes there.
    bool CopyPermissions(File& source);

private:
    friend class UnfinishedFile;
    // Natively: creates a file without a name in the folder; false where the system or
    // its file system has no such files, as on Windows.
    bool CreateUnnamed(const Folder& folder);
    // CreateNew and IsAt for a name in the folder.
    bool CreateNewIn(const Folder& folder, const char* pszName);
    bool IsIn(const Folder& folder, const char* pszName);
    // Gives a file without a name its first name in the folder; fails when anything has that name.
    bool LinkNew(const Folder& folder, const char* pszName);

#ifdef _WIN32
    void* m_hFile;
#else
    int m_fd;
#endif
};

// A file that is written before it has its name, and takes the name only when it is
// complete, so that nothing partial ever stands under the name. Natively it has no
// name at all meanwhile where the file system allows it; elsewhere it has a temporary
// name in the same folder, which is removed when the file is dropped (natively also
// when a signal ends the program). The object owns the file until Name succeeds.
class UnfinishedFile {
public:
    UnfinishedFile() = default;
    ~UnfinishedFile() { Drop(); }
    UnfinishedFile(const UnfinishedFile&) = delete;
    UnfinishedFile& operator=(const UnfinishedFile&) = delete;

    // Creates it in the open folder, which must stay open while this object lives and
    // whose paths stay below nMaxPath bytes; false when the folder refuses new files.
    bool Create(const Folder& folder, size_t nMaxPath);
    // Where its data is written.
    File& Data() { return m_file; }
    // Gives the written file its name in the folder, replacing a file of that name
    // (bReplace) or never, not even one that appears meanwhile. False, and the file
    // dropped, when it cannot: the name is taken, a folder has it, or something else
    // took the file's temporary name meanwhile.
    bool Name(const char* pszName, bool bReplace);
    // After Name: the path of the replaced file's old copy where it could not be
    // deleted (see FileReplace); empty otherwise.
    const std::string& OldCopy() const { return m_strOldCopy; }
    // Drops the file; a temporary name is removed unless something else has it now.
    void Drop();

private:
    bool TakeTemporaryName(bool bByLink);
    bool NameNamed(const char* pszName, bool bReplace);
    void ForgetName();

    File m_file;
    const Folder* m_pFolder = nullptr;  // borrowed from Create's caller
    size_t m_nMaxPath = 0;
    std::string m_strTemporary;  // its temporary name in the folder; empty while it has none
    std::string m_strOldCopy;
    int m_nRemovalSlot = -1;     // natively: where the signal handler finds that name
};

// Makes every unfinished file take a temporary name, as where the file system has no
// files without names, so that tests reach that way on any file system.
void ForceTemporaryNames(bool bForce);

bool FileExists(const char* pszPath);
bool FileRemove(const char* pszPath);
// Moves a file onto another name, replacing a file that has that name; never a
// folder, which stays as it is. Where the old file must step aside first (Windows
// 95/98/ME) and then cannot be deleted (it is open elsewhere), *pOldCopy (may be
// null) gets the name it stays under until RemoveOldCopies; otherwise it is emptied.
bool FileReplace(const char* pszFrom, const char* pszTo, std::string* pOldCopy = nullptr);
// Tries once more to delete the old copies that replacing left behind so far; the
// names of those that still stay. Natively there are never any.
std::vector<std::string> RemoveOldCopies();
// Moves a file onto a new name; fails, leaving both as they are, when a file of
// that name exists, even one that appears meanwhile.
bool FileMoveNew(const char* pszFrom, const char* pszTo);
// True when both paths name the same existing file (links and case included).
bool FilesAreSame(const char* pszA, const char* pszB);
bool FileGetWriteTime(const char* pszPath, FileTime* pTime);
bool FileSetWriteTime(const char* pszPath, const FileTime& time);
bool FileSetReadOnly(const char* pszPath, bool bReadOnly);
// True when the file exists and is read-only (natively: its owner may not write it).
bool FileIsReadOnly(const char* pszPath);

// The bytes written through every File of this process so far, by all its threads:
// how far a long write has come while one call makes it.
uint64_t BytesWrittenToFiles();

// A name in the folder (empty, or ending in a separator) for a file that stands in
// for another meanwhile; a different one each call. It is "~zvXXXX.tmp" where that
// fits below nMaxPath bytes, else as short as the room left, down to one byte.
// Empty when the folder leaves no room.
std::string TemporaryName(const std::string& strFolder, size_t nMaxPath);

// Called with the temporary name of each unfinished file, before anything is written
// to it, so that tests can act on that name meanwhile. Returns the previous hook.
using CreatedNewHook = void (*)(const char* pszPath);
CreatedNewHook SetCreatedNewHook(CreatedNewHook hook);

}  // namespace platform
