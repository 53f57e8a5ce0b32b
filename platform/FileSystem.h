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

// True when this process may read the file (natively by its permissions, on
// Windows by an open that reads nothing); false with LastError saying why.
bool MayRead(const char* pszPath);

// The reason of the last failure of a system call (errno natively, the thread's
// last error on Windows), and its text in plain English words as the C library
// says them ("No such file or directory"), the same on every system.
int LastError();
std::string ErrorText(int nError);

}  // namespace platform
