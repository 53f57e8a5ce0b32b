// What a program asks of the file system beyond the files it reads and writes: the
// kind of a path, the entries of a folder, new folders, and the system's reason
// when one of these fails. Paths are bytes as in File.h.
#pragma once
#include <string>
#include <vector>

namespace platform {

enum class PathKind {
    kFile,
    kFolder,
    kLink,  // a symbolic link (on Windows, any reparse point), looked at without following it
    kFifo,
    kCharDevice,
    kBlockDevice,
    kSocket,
    kOther,
};

// Whether a symbolic link at the end of a path is looked through or taken as it is.
enum class Links { kFollow, kDontFollow };

// The kind of what pszPath names; false when nothing is there or it cannot be
// looked at (LastError says why).
bool GetPathKind(const char* pszPath, Links eLinks, PathKind* pKind);

struct FolderEntry {
    std::string strName;
    PathKind eKind;  // of the entry itself: a link is kLink, whatever it leads to
};

// The entries of a folder but "." and "..", in no particular order; an entry that
// goes while it is read is left out. False when the folder cannot be read.
bool ListFolder(const std::string& strFolder, std::vector<FolderEntry>* pEntries);

// Makes a folder; also true when something of that name exists already, as whoever
// then uses it finds out what it is. False otherwise (LastError says why).
bool MakeFolder(const char* pszPath);

// A folder held open while files are made, named and removed in it, so that it stays
// the folder it was when opened, whatever is put at its path meanwhile. Natively all
// of it goes through the open folder; on Windows, whose 95/98/ME family has no such
// calls, through its path. The names it takes are plain names of entries in it.
class Folder {
public:
    Folder() = default;
    ~Folder() { Close(); }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    // Opens the folder at strPath (empty: the current one), through any links on its
    // way, as whoever named it meant. False when it is no folder (LastError says why);
    // on Windows, where it goes by its path, that shows only when a file is made in it.
    bool Open(const std::string& strPath);
    // Opens the folder strName of parent, never through a link that has that name;
    // with bMake, makes it first when it is missing. The parent may be this folder
    // itself, which then goes one level down; it stays as it was when that fails.
    bool OpenBelow(const Folder& parent, const std::string& strName, bool bMake);
    void Close();
    bool IsOpen() const { return m_nHandle >= 0; }
    // The path it was opened by, as the beginning of its entries' paths (FolderPrefix).
    const std::string& Prefix() const { return m_strPrefix; }

    // The kind of the entry itself, a link not followed; false when there is none.
    bool GetKind(const char* pszName, PathKind* pKind) const;
    // True when the entry exists and is read-only. A link never is: replacing it
    // leaves what it leads to alone.
    bool IsReadOnly(const char* pszName) const;
    bool Remove(const char* pszName) const;
    // Moves a file onto another name in the folder, replacing a file of that name but
    // never a folder. See FileReplace for *pOldCopy.
    bool Replace(const char* pszFrom, const char* pszTo, std::string* pOldCopy) const;
    // Moves a file onto a new name in the folder; fails when that name is taken, even
    // by one that appears meanwhile.
    bool MoveNew(const char* pszFrom, const char* pszTo) const;

private:
    friend class File;
    friend int RemoveOnEndingSignals(const Folder& folder, const char* pszName);
    int m_nHandle = -1;  // natively its descriptor; on Windows 0 while it is open
    std::string m_strPrefix;
};

// True when this process may read the file (natively by its permissions, on
// Windows by an open that reads nothing); false with LastError saying why.
bool MayRead(const char* pszPath);

// The reason of the last failure of a system call (errno natively, the thread's
// last error on Windows), and its text in plain English words as the C library
// says them ("No such file or directory"), the same on every system.
int LastError();
std::string ErrorText(int nError);

}  // namespace platform
