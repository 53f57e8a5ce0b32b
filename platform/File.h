// The narrow file seam under the LZ service and the compressed file entry.
// Paths are byte strings passed to the system as they are: ANSI code page
// (code page 932) on Windows, plain file-system bytes elsewhere.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// A file's last-write time, opaque outside the seam.
struct FileTime {
    int64_t nHigh = 0;
    int64_t nLow = 0;
    bool operator==(const FileTime& o) const { return nHigh == o.nHigh && nLow == o.nLow; }
    bool operator!=(const FileTime& o) const { return !(*this == o); }
};

class File {
public:
    File();
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens an existing file for reading only; others may read and write it meanwhile.
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

private:
#ifdef _WIN32
    void* m_hFile;
#else
    int m_fd;
#endif
};

bool FileExists(const char* pszPath);
bool FileRemove(const char* pszPath);
// Moves a file onto another name, replacing a file that has that name.
bool FileReplace(const char* pszFrom, const char* pszTo);
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

// A name in the folder (empty, or ending in a separator) for a file that stands in
// for another meanwhile; a different one each call. It is "~zvXXXX.tmp" where that
// fits below nMaxPath bytes, else as short as the room left, down to one byte.
// Empty when the folder leaves no room.
std::string TemporaryName(const std::string& strFolder, size_t nMaxPath);

// Called with the name of each file that CreateNew made, before anything is written
// to it, so that tests can act on that name meanwhile. Returns the previous hook.
using CreatedNewHook = void (*)(const char* pszPath);
CreatedNewHook SetCreatedNewHook(CreatedNewHook hook);

}  // namespace platform
