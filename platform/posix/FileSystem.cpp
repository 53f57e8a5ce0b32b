#include "platform/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

PathKind KindOf(mode_t mode) {
    return S_ISREG(mode)    ? PathKind::kFile
           : S_ISDIR(mode)  ? PathKind::kFolder
           : S_ISLNK(mode)  ? PathKind::kLink
           : S_ISFIFO(mode) ? PathKind::kFifo
           : S_ISCHR(mode)  ? PathKind::kCharDevice
           : S_ISBLK(mode)  ? PathKind::kBlockDevice
           : S_ISSOCK(mode) ? PathKind::kSocket
                            : PathKind::kOther;
}

}  // namespace

bool GetPathKind(const char* pszPath, Links eLinks, PathKind* pKind) {
    struct stat st;
    if ((eLinks == Links::kFollow ? ::stat(pszPath, &st) : ::lstat(pszPath, &st)) != 0) return false;
    *pKind = KindOf(st.st_mode);
    return true;
}

bool ListFolder(const std::string& strFolder, std::vector<FolderEntry>* pEntries) {
    DIR* pDir = ::opendir(strFolder.c_str());
    if (!pDir) return false;
    // Each entry is looked at through the open folder, never by a path built again.
    const int fdDir = ::dirfd(pDir);
    while (dirent* pEntry = ::readdir(pDir)) {
        const char* pszName = pEntry->d_name;
        if (std::strcmp(pszName, ".") == 0 || std::strcmp(pszName, "..") == 0) continue;
        struct stat st;
        if (::fstatat(fdDir, pszName, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        pEntries->push_back({pszName, KindOf(st.st_mode)});
    }
    ::closedir(pDir);
    return true;
}

bool MakeFolder(const char* pszPath) { return ::mkdir(pszPath, 0777) == 0 || errno == EEXIST; }

bool MayRead(const char* pszPath) { return ::access(pszPath, R_OK) == 0; }

int LastError() { return errno; }

std::string ErrorText(int nError) { return std::strerror(nError); }

}  // namespace platform
