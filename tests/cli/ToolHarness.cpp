#include "tests/cli/ToolHarness.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Long enough for a loaded machine; only a hung tool ever reaches it.
constexpr int kLimitMs = 120000;

// A pseudo-terminal: the parent keeps the controller, the child opens the other end.
bool OpenTerminal(int* pController, std::string* pName) {
    int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
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

}  // namespace

ToolResult RunTool(const std::string& strFolder, const std::vector<std::string>& args, Terminal eTerminal) {
    ToolResult result{-1, std::string(), std::string()};
    int aOut[2], aErr[2];
    if (::pipe(aOut) != 0) return result;
    if (::pipe(aErr) != 0) {
        ::close(aOut[0]);
        ::close(aOut[1]);
        return result;
    }
    int fdTerminal = -1;
    std::string strTerminal;
    if (eTerminal != Terminal::kNone && !OpenTerminal(&fdTerminal, &strTerminal)) return result;

    std::vector<char*> argv;
    std::string strTool = ZV_EXPAND_TOOL;
    argv.push_back(&strTool[0]);
    std::vector<std::string> copies(args);
    for (std::string& s : copies) argv.push_back(&s[0]);
    argv.push_back(nullptr);

    pid_t pid = ::fork();
    if (pid == 0) {
        int fdNull = ::open("/dev/null", O_RDONLY);
        ::dup2(fdNull, 0);
        ::dup2(aOut[1], 1);
        ::dup2(aErr[1], 2);
        if (eTerminal != Terminal::kNone) {
            int fd = ::open(strTerminal.c_str(), O_RDWR | O_NOCTTY);
            ::dup2(fd, eTerminal == Terminal::kStdout ? 1 : 2);
            ::close(fd);
            ::close(fdTerminal);
        }
        for (int fd : {fdNull, aOut[0], aOut[1], aErr[0], aErr[1]})
            if (fd > 2) ::close(fd);
        if (::chdir(strFolder.c_str()) != 0) ::_exit(126);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
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

int StartTool(const std::string& strFolder, const std::vector<std::string>& args) {
    std::vector<char*> argv = {const_cast<char*>(ZV_EXPAND_TOOL)};
    for (const std::string& s : args) argv.push_back(const_cast<char*>(s.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    const int fdNull = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd <= 2; ++fd) ::dup2(fdNull, fd);
    for (int nSignal = 1; nSignal < NSIG; ++nSignal) ::signal(nSignal, SIG_DFL);
    const struct rlimit none = {0, 0};
    ::setrlimit(RLIMIT_CORE, &none);  // a signal's core dump would land in the folder
    if (::chdir(strFolder.c_str()) == 0) ::execv(argv[0], argv.data());
    ::_exit(127);
}
