#include "tests/cli/ToolHarness.h"
#include "tests/szdd/KwajWriter.h"

#ifdef _WIN32
#include "tests/support/TimeScale.h"

#include <windows.h>

namespace {

// Long enough for a loaded machine; only a hung tool ever reaches it.
constexpr DWORD kLimitMs = 120000;

std::string ToolPath() {
    char szPath[MAX_PATH] = {};
    std::string strPath(szPath, GetModuleFileNameA(nullptr, szPath, MAX_PATH));
    return strPath.substr(0, strPath.find_last_of("\\/") + 1) + ZV_EXPAND_TOOL;
}

// An argument as the C runtime's parser of the command line reads it back.
std::string Quoted(const std::string& strArg) {
    if (!strArg.empty() && strArg.find_first_of(" \t\"") == std::string::npos) return strArg;
    std::string strQuoted = "\"";
    size_t nBackslashes = 0;
    for (char c : strArg) {
        if (c == '\\') {
            ++nBackslashes;
            continue;
        }
        strQuoted.append(c == '"' ? 2 * nBackslashes + 1 : nBackslashes, '\\');
        nBackslashes = 0;
        strQuoted += c;
    }
    return strQuoted.append(2 * nBackslashes, '\\') + "\"";
}

struct PipeReader {
    HANDLE hPipe;
    std::string* pText;
};

DWORD WINAPI ReadToEnd(LPVOID pParameter) {
    PipeReader* pReader = static_cast<PipeReader*>(pParameter);
    char buf[65536];
    DWORD dwRead;
    while (ReadFile(pReader->hPipe, buf, sizeof buf, &dwRead, nullptr) && dwRead > 0) pReader->pText->append(buf, dwRead);
    return 0;
}

// A pipe whose writing end the tool inherits; false when there is none.
bool ToolPipe(HANDLE* phRead, HANDLE* phWrite) {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    return CreatePipe(phRead, phWrite, &inherited, 0) && SetHandleInformation(*phRead, HANDLE_FLAG_INHERIT, 0);
}

std::string WithoutCarriageReturns(std::string s) {
    for (size_t n = s.find("\r\n"); n != std::string::npos; n = s.find("\r\n", n)) s.erase(n, 1);
    return s;
}

}  // namespace

ToolResult RunTool(const std::string& strFolder, const std::vector<std::string>& args, Terminal eTerminal) {
    ToolResult result{-1, std::string(), std::string()};
    HANDLE ahOut[2], ahErr[2];
    if (!ToolPipe(&ahOut[0], &ahOut[1])) return result;
    if (!ToolPipe(&ahErr[0], &ahErr[1])) {
        CloseHandle(ahOut[0]);
        CloseHandle(ahOut[1]);
        return result;
    }
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE hNul = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr);

    // A terminal is a console of the tool's own: a standard handle left empty goes to it.
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = hNul;
    startup.hStdOutput = eTerminal == Terminal::kStdout ? nullptr : ahOut[1];
    startup.hStdError = eTerminal == Terminal::kStderr ? nullptr : ahErr[1];
    const DWORD dwFlags = eTerminal == Terminal::kNone ? 0 : CREATE_NEW_CONSOLE;
    std::string strCommand = Quoted(ToolPath());
    for (const std::string& strArg : args) strCommand += " " + Quoted(strArg);
    PROCESS_INFORMATION process = {};
    const bool bStarted = CreateProcessA(ToolPath().c_str(), &strCommand[0], nullptr, nullptr, TRUE, dwFlags, nullptr,
                                         strFolder.c_str(), &startup, &process) != FALSE;
    for (HANDLE h : {ahOut[1], ahErr[1], hNul})
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);

    PipeReader readers[2] = {{ahOut[0], &result.strOut}, {ahErr[0], &result.strErr}};
    HANDLE ahReaders[2];
    for (int i = 0; i < 2; ++i) ahReaders[i] = CreateThread(nullptr, 0, ReadToEnd, &readers[i], 0, nullptr);
    if (bStarted) {
        if (WaitForSingleObject(process.hProcess, ScaledMs(kLimitMs)) != WAIT_OBJECT_0)
            TerminateProcess(process.hProcess, 0xDEAD);
        DWORD dwStatus = 0;
        WaitForSingleObject(process.hProcess, INFINITE);
        if (GetExitCodeProcess(process.hProcess, &dwStatus) && dwStatus != 0xDEAD) result.nStatus = static_cast<int>(dwStatus);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    WaitForMultipleObjects(2, ahReaders, TRUE, INFINITE);
    for (int i = 0; i < 2; ++i) {
        CloseHandle(ahReaders[i]);
        CloseHandle(readers[i].hPipe);
    }
    bool bData = false;
    for (const std::string& strArg : args) bData = bData || strArg == "-c" || strArg == "--stdout";
    if (!bData) result.strOut = WithoutCarriageReturns(result.strOut);
    result.strErr = WithoutCarriageReturns(result.strErr);
    return result;
}

#else
#include <cerrno>
#include <chrono>
#include <fstream>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Long enough for a loaded machine; only a hung tool ever reaches it.
constexpr int kLimitMs = 120000;

// A pseudo-terminal: the parent keeps the controller, the child opens the other end.
bool OpenTerminal(int* pController, std::string* pName) {
    int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    if (::grantpt(fd) != 0 || ::unlockpt(fd) != 0 || !::ptsname(fd)) {
        ::close(fd);
        return false;
    }
    *pController = fd;
    *pName = ::ptsname(fd);
    return true;
}

// Reads both streams to their ends (a terminal's ends with EIO when the child is gone).
void Drain(int fdOut, int fdErr, ToolResult* pResult, pid_t pid) {
    pollfd fds[2] = {{fdOut, POLLIN, 0}, {fdErr, POLLIN, 0}};
    std::string* apText[2] = {&pResult->strOut, &pResult->strErr};
    int nOpen = 2;
    while (nOpen > 0) {
        int n = ::poll(fds, 2, kLimitMs);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::kill(pid, SIGKILL);
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buf[65536];
            ssize_t nRead = ::read(fds[i].fd, buf, sizeof buf);
            if (nRead < 0 && errno == EINTR) continue;
            if (nRead > 0) {
                apText[i]->append(buf, static_cast<size_t>(nRead));
                continue;
            }
            ::close(fds[i].fd);
            fds[i].fd = -1;
            --nOpen;
        }
    }
    for (const pollfd& p : fds)
        if (p.fd >= 0) ::close(p.fd);
}

// The tool's argument vector: the tool itself, then args.
std::vector<char*> Arguments(const std::vector<std::string>& args) {
    std::vector<char*> argv = {const_cast<char*>(ZV_EXPAND_TOOL)};
    for (const std::string& s : args) argv.push_back(const_cast<char*>(s.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// Starts the tool in strFolder with its standard streams opened or duplicated as the
// actions say; every other descriptor of this process is close-on-exec. -1 when it
// cannot start.
pid_t Spawn(const std::string& strFolder, const std::vector<std::string>& args, posix_spawn_file_actions_t* pActions,
            const posix_spawnattr_t* pAttributes) {
    std::vector<char*> argv = Arguments(args);
    pid_t pid = -1;
    if (::posix_spawn_file_actions_addchdir_np(pActions, strFolder.c_str()) != 0 ||
        ::posix_spawn(&pid, argv[0], pActions, pAttributes, argv.data(), environ) != 0)
        return -1;
    return pid;
}

// pszAppendTo: the file that standard output is appended to instead of the pipe.
ToolResult Run(const std::string& strFolder, const std::vector<std::string>& args, Terminal eTerminal,
               const char* pszAppendTo) {
    ToolResult result{-1, std::string(), std::string()};
    int aOut[2], aErr[2];
    if (::pipe2(aOut, O_CLOEXEC) != 0) return result;
    if (::pipe2(aErr, O_CLOEXEC) != 0) {
        ::close(aOut[0]);
        ::close(aOut[1]);
        return result;
    }
    int fdTerminal = -1;
    std::string strTerminal;
    if (eTerminal != Terminal::kNone && !OpenTerminal(&fdTerminal, &strTerminal)) return result;

    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_adddup2(&actions, aOut[1], 1);
    ::posix_spawn_file_actions_adddup2(&actions, aErr[1], 2);
    if (pszAppendTo) ::posix_spawn_file_actions_addopen(&actions, 1, pszAppendTo, O_WRONLY | O_APPEND | O_CREAT, 0666);
    if (eTerminal != Terminal::kNone)
        ::posix_spawn_file_actions_addopen(&actions, eTerminal == Terminal::kStdout ? 1 : 2, strTerminal.c_str(),
                                           O_RDWR | O_NOCTTY, 0);
    const pid_t pid = Spawn(strFolder, args, &actions, nullptr);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(aOut[1]);
    ::close(aErr[1]);
    if (pid < 0) {
        ::close(aOut[0]);
        ::close(aErr[0]);
        if (fdTerminal >= 0) ::close(fdTerminal);
        return result;
    }
    // What goes to the terminal is read from its controller instead of the pipe.
    if (eTerminal == Terminal::kStdout) {
        ::close(aOut[0]);
        aOut[0] = fdTerminal;
    } else if (eTerminal == Terminal::kStderr) {
        ::close(aErr[0]);
        aErr[0] = fdTerminal;
    }
    Drain(aOut[0], aErr[0], &result, pid);
    int nStatus = 0;
    while (::waitpid(pid, &nStatus, 0) < 0 && errno == EINTR) {
    }
    result.nStatus = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    return result;
}

}  // namespace

ToolResult RunTool(const std::string& strFolder, const std::vector<std::string>& args, Terminal eTerminal) {
    return Run(strFolder, args, eTerminal, nullptr);
}

ToolResult RunToolAppending(const std::string& strFolder, const std::vector<std::string>& args,
                            const std::string& strOutput) {
    return Run(strFolder, args, Terminal::kNone, strOutput.c_str());
}

int StartTool(const std::string& strFolder, const std::vector<std::string>& args) {
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    for (int fd = 0; fd <= 2; ++fd) ::posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_RDWR, 0);
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    ::posix_spawnattr_setsigdefault(&attributes, &all);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    const pid_t pid = Spawn(strFolder, args, &actions, &attributes);
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    // A signal's core dump would land in the folder; the tests signal only a running tool.
    const struct rlimit noCore = {0, 0};
    if (pid > 0) ::prlimit(pid, RLIMIT_CORE, &noCore, nullptr);
    return pid;
}

std::string LargeKwaj(uint32_t nPieces) {
    // Every piece after the first is the same, zeros after zeros.
    const std::string strTwo = KwajDeflateBody(std::string(2 * 32768, '\0'));
    const size_t nFirst = (static_cast<uint8_t>(strTwo[0]) | static_cast<uint8_t>(strTwo[1]) << 8) + 2u;
    std::string strBody = strTwo.substr(0, nFirst);
    for (uint32_t i = 1; i < nPieces; ++i) strBody.append(strTwo, nFirst, strTwo.size() - 2 - nFirst);
    KwajOptions o;
    o.nLength = nPieces * 32768u;
    return KwajHeader(4, o) + strBody + std::string(2, '\0');
}

namespace {

// The bytes the process wrote so far.
long long Written(int pid) {
    std::ifstream io("/proc/" + std::to_string(pid) + "/io");
    std::string strKey;
    long long n = 0;
    while (io >> strKey >> n && strKey != "wchar:") {
    }
    return io ? n : 0;
}

}  // namespace

bool StopWhenWriting(int pid) {
    int nStatus = 0;
    bool bRunning = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while ((bRunning = ::waitpid(pid, &nStatus, WNOHANG) == 0) && Written(pid) == 0 &&
           std::chrono::steady_clock::now() < deadline) {
    }
    if (!bRunning) return false;
    if (Written(pid) == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &nStatus, 0);
        return false;
    }
    ::kill(pid, SIGSTOP);
    return ::waitpid(pid, &nStatus, WUNTRACED) == pid && WIFSTOPPED(nStatus);
}

#endif
