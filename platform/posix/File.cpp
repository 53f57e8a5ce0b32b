#include "platform/File.h"
#include "platform/CreatedNew.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

int OpenRetrying(const char* pszPath, int nFlags, int fdFolder = AT_FDCWD, mode_t nMode = 0666) {
    int fd;
    do {
        fd = ::openat(fdFolder, pszPath, nFlags | O_CLOEXEC, nMode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

FileTime FromStat(const struct stat& st) {
    FileTime t;
    t.nHigh = st.st_mtim.tv_sec;
    t.nLow = st.st_mtim.tv_nsec;
    return t;
}

void ToTimes(const FileTime& t, struct timespec times[2]) {
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(t.nHigh);
    times[1].tv_nsec = static_cast<long>(t.nLow);
}

// An unfinished file is its owner's alone until it takes its source's permissions.
constexpr mode_t kUnfinishedMode = 0600;

// The write permissions that the process's file-creation mask takes away. The mask
// can only be read by setting it, so it is read once and put back at once.
mode_t MaskedWrites() {
    static const mode_t s_nMasked = [] {
        const mode_t nMask = ::umask(0);
        ::umask(nMask);
        return nMask & 0222;
    }();
    return s_nMasked;
}

// True when the entry of the folder is the open file fd itself, not a link to it.
bool Names(int fdFolder, const char* pszName, int fd) {
    struct stat mine, named;
    return ::fstat(fd, &mine) == 0 && ::fstatat(fdFolder, pszName, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
}

// How a file without a name is reached to give it one.
std::string ProcPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// The temporary files that a signal ending the program removes, each by its name in
// its open folder. A slot's name is complete before the slot is armed, so the
// handler only reads finished names.
enum { kSlotFree, kSlotFilling, kSlotArmed };
struct RemovalSlot {
    std::atomic<int> nState{kSlotFree};
    int fdFolder;
    char szName[NAME_MAX + 1];
};
RemovalSlot g_aRemovals[8];

// The signals whose default action ends the program (with a core dump or without), the
// real-time ones included; SIGKILL cannot be caught.
bool EndsTheProgram(int nSignal) {
    static const int kEnding[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,
                                  SIGUSR1, SIGSEGV, SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM, SIGSTKFLT, SIGXCPU,
                                  SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGSYS};
    for (int nEnding : kEnding)
        if (nSignal == nEnding) return true;
    return nSignal >= SIGRTMIN && nSignal <= SIGRTMAX;
}

extern "C" void RemoveAndEnd(int nSignal) {
    for (RemovalSlot& slot : g_aRemovals)
        if (slot.nState.load() == kSlotArmed) ::unlinkat(slot.fdFolder, slot.szName, 0);
    // Then the end the signal would have brought without this handler.
    ::signal(nSignal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, nSignal);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(nSignal);
}

// Only where the signal has its default action: one the program ignores or handles
// itself keeps its way. Looked at each time: one may have been set back meanwhile.
void InstallRemovalHandlers() {
    for (int nSignal = 1; nSignal < NSIG; ++nSignal) {
        struct sigaction current;
        if (!EndsTheProgram(nSignal) || ::sigaction(nSignal, nullptr, &current) != 0 ||
            (current.sa_flags & SA_SIGINFO) || current.sa_handler != SIG_DFL)
            continue;
        struct sigaction action = {};
        action.sa_handler = RemoveAndEnd;
        sigfillset(&action.sa_mask);  // no other signal ends it halfway through
        ::sigaction(nSignal, &action, nullptr);
    }
}

}  // namespace

int RemoveOnEndingSignals(const Folder& folder, const char* pszName) {
    const size_t nLen = std::strlen(pszName);
    if (nLen > NAME_MAX) return -1;
    InstallRemovalHandlers();
    for (int i = 0; i < static_cast<int>(sizeof g_aRemovals / sizeof g_aRemovals[0]); ++i) {
        int nFree = kSlotFree;
        if (!g_aRemovals[i].nState.compare_exchange_strong(nFree, kSlotFilling)) continue;
        g_aRemovals[i].fdFolder = folder.m_nHandle;
        std::memcpy(g_aRemovals[i].szName, pszName, nLen + 1);
        g_aRemovals[i].nState.store(kSlotArmed);
        return i;
    }
    return -1;
}

void KeepOnEndingSignals(int nSlot) {
    if (nSlot >= 0) g_aRemovals[nSlot].nState.store(kSlotFree);
}

File::File() : m_fd(-1) {}

File::~File() { Close(); }

bool File::OpenRead(const char* pszPath) {
    Close();
    // Without waiting, as the open of a pipe waits for a writer; the handle itself then
    // says what it is, so nothing put at the name meanwhile is read.
    m_fd = OpenRetrying(pszPath, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    struct stat st;
    if (m_fd >= 0 && (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode))) Close();
    const int nFlags = IsOpen() ? ::fcntl(m_fd, F_GETFL) : -1;
    if (IsOpen() && (nFlags < 0 || ::fcntl(m_fd, F_SETFL, nFlags & ~O_NONBLOCK) != 0)) Close();
    return IsOpen();
}

bool File::Create(const char* pszPath) {
    Close();
    m_fd = OpenRetrying(pszPath, O_WRONLY | O_CREAT | O_TRUNC);
    return IsOpen();
}

bool File::CreateNew(const char* pszPath) {
    Close();
    m_fd = OpenRetrying(pszPath, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW);
    return IsOpen();
}

bool File::CreateUnnamed(const Folder& folder) {
    Close();
    m_fd = OpenRetrying(".", O_WRONLY | O_TMPFILE, folder.m_nHandle, kUnfinishedMode);
    // It gets its name through /proc; where that is missing it could never have one.
    if (IsOpen() && ::access(ProcPath(m_fd).c_str(), F_OK) != 0) Close();
    return IsOpen();
}

bool File::CreateNewIn(const Folder& folder, const char* pszName) {
    Close();
    m_fd = OpenRetrying(pszName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, folder.m_nHandle, kUnfinishedMode);
    return IsOpen();
}

bool File::LinkNew(const Folder& folder, const char* pszName) {
    return IsOpen() &&
           ::linkat(AT_FDCWD, ProcPath(m_fd).c_str(), folder.m_nHandle, pszName, AT_SYMLINK_FOLLOW) == 0;
}

void File::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

bool File::IsOpen() const { return m_fd >= 0; }

int64_t File::Read(void* pBuffer, size_t nBytes) {
    if (!IsOpen()) return -1;
    ssize_t n;
    do {
        n = ::read(m_fd, pBuffer, nBytes);
    } while (n < 0 && errno == EINTR);
    return n;
}

bool File::Write(const void* pBuffer, size_t nBytes) {
    if (!IsOpen()) return false;
    const char* p = static_cast<const char*>(pBuffer);
    while (nBytes > 0) {
        ssize_t n = ::write(m_fd, p, nBytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        CountWritten(static_cast<size_t>(n));
        p += n;
        nBytes -= static_cast<size_t>(n);
    }
    return true;
}

bool File::Seek(uint64_t nOffset) {
    return IsOpen() && ::lseek(m_fd, static_cast<off_t>(nOffset), SEEK_SET) >= 0;
}

int64_t File::Size() {
    struct stat st;
    if (!IsOpen() || ::fstat(m_fd, &st) != 0) return -1;
    return st.st_size;
}

bool File::GetWriteTime(FileTime* pTime) {
    struct stat st;
    if (!IsOpen() || ::fstat(m_fd, &st) != 0) return false;
    *pTime = FromStat(st);
    return true;
}

bool File::SetWriteTime(const FileTime& time) {
    struct timespec times[2];
    ToTimes(time, times);
    return IsOpen() && ::futimens(m_fd, times) == 0;
}

bool File::IsAt(const char* pszPath) { return IsOpen() && Names(AT_FDCWD, pszPath, m_fd); }

bool File::IsStandardOutput() {
    struct stat mine, out;
    return IsOpen() && ::fstat(m_fd, &mine) == 0 && ::fstat(STDOUT_FILENO, &out) == 0 && mine.st_dev == out.st_dev &&
           mine.st_ino == out.st_ino;
}

bool File::CopyPermissions(File& source) {
    struct stat st;
    return IsOpen() && source.IsOpen() && ::fstat(source.m_fd, &st) == 0 &&
           ::fchmod(m_fd, st.st_mode & 0777 & ~MaskedWrites()) == 0;
}

bool File::IsIn(const Folder& folder, const char* pszName) {
    return IsOpen() && Names(folder.m_nHandle, pszName, m_fd);
}

bool FileExists(const char* pszPath) {
    struct stat st;
    return ::stat(pszPath, &st) == 0;
}

bool FileRemove(const char* pszPath) {
    return ::unlink(pszPath) == 0;
}

bool FileReplace(const char* pszFrom, const char* pszTo, std::string* pOldCopy) {
    if (pOldCopy) pOldCopy->clear();
    return ::rename(pszFrom, pszTo) == 0;
}

std::vector<std::string> RemoveOldCopies() { return std::vector<std::string>(); }

bool FileMoveNew(const char* pszFrom, const char* pszTo) {
    if (::renameat2(AT_FDCWD, pszFrom, AT_FDCWD, pszTo, RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without that rename: a new link fails as well when the name is taken.
    if (::link(pszFrom, pszTo) != 0) return false;
    ::unlink(pszFrom);
    return true;
}

bool FilesAreSame(const char* pszA, const char* pszB) {
    struct stat a, b;
    return ::stat(pszA, &a) == 0 && ::stat(pszB, &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool FileGetWriteTime(const char* pszPath, FileTime* pTime) {
    struct stat st;
    if (::stat(pszPath, &st) != 0) return false;
    *pTime = FromStat(st);
    return true;
}

bool FileSetWriteTime(const char* pszPath, const FileTime& time) {
    struct timespec times[2];
    ToTimes(time, times);
    return ::utimensat(AT_FDCWD, pszPath, times, 0) == 0;
}

bool FileTimeFromLocal(const LocalTime& t, FileTime* pTime) {
    // The system would move a day that does not exist into the next month.
    if (!LocalTimeExists(t)) return false;
    struct tm tm = {};
    tm.tm_year = t.nYear - 1900;
    tm.tm_mon = t.nMonth - 1;
    tm.tm_mday = t.nDay;
    tm.tm_hour = t.nHour;
    tm.tm_min = t.nMinute;
    tm.tm_sec = t.nSecond;
    tm.tm_isdst = -1;
    const time_t nTime = ::mktime(&tm);
    if (nTime == static_cast<time_t>(-1)) return false;
    pTime->nHigh = nTime;
    pTime->nLow = 0;
    return true;
}

bool FileSetReadOnly(const char* pszPath, bool bReadOnly) {
    struct stat st;
    if (::stat(pszPath, &st) != 0) return false;
    mode_t mode = bReadOnly ? (st.st_mode & ~mode_t(0222)) : (st.st_mode | 0200);
    return ::chmod(pszPath, mode & 07777) == 0;
}

bool FileIsReadOnly(const char* pszPath) {
    struct stat st;
    return ::stat(pszPath, &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

}  // namespace platform
