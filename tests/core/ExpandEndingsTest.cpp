// Natively: expansions that a signal ends, and sources that are not plain files, each
// in a child process, so that neither a signal nor a wait takes the tests along.
#ifndef _WIN32
#include "core/CompressedFile.h"
#include "platform/File.h"
#include "tests/platform/TestFolder.h"
#include "tests/szdd/SzddWriter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

// fn's result as the child's exit status, or minus the signal that ended the child,
// which is killed only when it hangs. The parent does its part meanwhile.
int InChild(const std::function<int()>& fn, const std::function<void(pid_t)>& parent = [](pid_t) {}) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const struct rlimit none = {0, 0};
        ::setrlimit(RLIMIT_CORE, &none);  // a signal's core dump would be a file of its own
        ::_exit(fn());
    }
    parent(pid);
    int nStatus = 0;
    for (int nWaited = 0; ::waitpid(pid, &nStatus, WNOHANG) == 0; nWaited += 10) {
        if (nWaited == 60000) ::kill(pid, SIGKILL);
        ::poll(nullptr, 0, 10);
    }
    return WIFSIGNALED(nStatus) ? -WTERMSIG(nStatus) : WEXITSTATUS(nStatus);
}

int g_fdTell = -1;

void TellAndWait(const char*) {
    if (::write(g_fdTell, "!", 1) == 1)
        for (;;) ::pause();
}

// Where the file system has no files without names, the temporary file has a name:
// the signals that end the program remove it, and the program still ends by them.
TEST(ExpandEndings, SignalsRemoveTheTemporaryNameAndKeepTheTarget) {
    for (int nSignal : {SIGHUP, SIGINT, SIGTERM, SIGXFSZ}) {
        TestFolder dir;
        ASSERT_TRUE(SzddWriteCompressedFile(dir / "a.tx_", "new"));
        ASSERT_TRUE(SzddWriteFile(dir / "a.txt", "old"));
        int aTell[2];
        ASSERT_EQ(::pipe(aTell), 0);
        g_fdTell = aTell[1];
        auto expand = [&] {
            ::signal(nSignal, SIG_DFL);  // as a program starts, whatever the runner ignores
            platform::ForceTemporaryNames(true);
            platform::SetCreatedNewHook(&TellAndWait);
            return CCompressedFile((dir / "a.tx_").c_str()).Expand("") ? 3 : 4;
        };
        EXPECT_EQ(InChild(expand,
                          [&](pid_t pid) {
                              ::close(aTell[1]);
                              char c;
                              EXPECT_EQ(::read(aTell[0], &c, 1), 1);
                              EXPECT_NE(dir.List().find("|~zv"), std::string::npos);
                              ::kill(pid, nSignal);
                          }),
                  -nSignal);
        ::close(aTell[0]);
        EXPECT_EQ(dir.List(), "a.tx_|a.txt") << nSignal;
        std::string s;
        EXPECT_TRUE(SzddReadFile(dir / "a.txt", &s) && s == "old");
    }
}

// Taking such a file in and expanding it both end at once, and write nothing.
TEST(ExpandEndings, SourcesThatAreNotPlainFilesAreRefusedWithoutWaiting) {
    TestFolder dir;
    ASSERT_EQ(::mkfifo((dir / "fifo.ex_").c_str(), 0666), 0);
    ASSERT_EQ(::symlink("/dev/null", (dir / "null.ex_").c_str()), 0);
    ASSERT_EQ(::mkdir((dir / "folder.ex_").c_str(), 0777), 0);
    for (const char* pszName : {"fifo.ex_", "null.ex_", "folder.ex_"}) {
        auto takeAndExpand = [&] {
            CCompressedFile f((dir / pszName).c_str());
            uint32_t nCompressed = 0, nExpanded = 1;
            f.ReadHeader(&nCompressed, &nExpanded);
            const bool bRefused = !f.Expand("") && f.LastFailure() == CCompressedFile::kFailSourceUnreadable;
            return nCompressed == 0xFFFFFFFFu && nExpanded == 0 && bRefused ? 0 : 1;
        };
        EXPECT_EQ(InChild(takeAndExpand), 0) << pszName;
    }
    EXPECT_EQ(dir.List(), "fifo.ex_|folder.ex_|null.ex_");
}

}  // namespace
#endif
