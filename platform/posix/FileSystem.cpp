#include "platform/FileSystem.h"
#include "platform/PathStyle.h"

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

// O_PATH: a folder that may be written but not listed is opened all the same.
bool Folder::Open(const std::string& strPath) {
    Close();
    do {
        m_nHandle = ::open(strPath.empty() ? "." : strPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    } while (m_nHandle < 0 && errno == EINTR);
    m_strPrefix = IsOpen() ? FolderPrefix(strPath) : std::string();
    return IsOpen();
}

bool Folder::OpenBelow(const Folder& parent, const std::string& strName, bool bMake) {
    if (bMake && ::mkdirat(parent.m_nHandle, strName.c_str(), 0777) != 0 && errno != EEXIST) return false;
    int fd;
    do {
        fd = ::openat(parent.m_nHandle, strName.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    // With O_PATH, O_NOFOLLOW opens a link itself; only a folder will do.
    struct stat st;
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode))) {
        ::close(fd);
        fd = -1;
        errno = ELOOP;
    }
    if (fd < 0) return false;
    std::string strPrefix = FolderPrefix(parent.Prefix() + strName);
    Close();
    m_nHandle = fd;
    m_strPrefix = std::move(strPrefix);
    return true;
}

void Folder::Close() {
    if (m_nHandle >= 0) ::close(m_nHandle);
    m_nHandle = -1;
}

bool Folder::GetKind(const char* pszName, PathKind* pKind) const {
    struct stat st;
    if (::fstatat(m_nHandle, pszName, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    *pKind = KindOf(st.st_mode);
    return true;
}

bool Folder::IsReadOnly(const char* pszName) const {
    struct stat st;
    return ::fstatat(m_nHandle, pszName, &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISLNK(st.st_mode) &&
           (st.st_mode & S_IWUSR) == 0;
}

bool Folder::Remove(const char* pszName) const { return ::unlinkat(m_nHandle, pszName, 0) == 0; }

bool Folder::Replace(const char* pszFrom, const char* pszTo, std::string* pOldCopy) const {
    if (pOldCopy) pOldCopy->clear();
    return ::renameat(m_nHandle, pszFrom, m_nHandle, pszTo) == 0;
}

bool Folder::MoveNew(const char* pszFrom, const char* pszTo) const {
    if (::renameat2(m_nHandle, pszFrom, m_nHandle, pszTo, RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without that rename: a new link fails as well when the name is taken.
    if (::linkat(m_nHandle, pszFrom, m_nHandle, pszTo, 0) != 0) return false;
    ::unlinkat(m_nHandle, pszFrom, 0);
    return true;
}

bool MayRead(const char* pszPath) { return ::access(pszPath, R_OK) == 0; }

int LastError() { return errno; }

std::string ErrorText(int nError) { return std::strerror(nError); }

}  // namespace platform
