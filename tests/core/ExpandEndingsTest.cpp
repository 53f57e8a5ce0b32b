// Natively: expansions that a signal ends, in a child process of their own.
#ifndef _WIN32
#include "core/CompressedFile.h"
#include "platform/File.h"
#include "tests/platform/TestFolder.h"
#include "tests/szdd/SzddWriter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>

namespace {

int g_fdTell = -1;

void TellAndWait(const char*) {
    if (::write(g_fdTell, "!", 1) == 1)
        for (;;) ::pause();
}

// Where the file system has no files without names, the temporary file has a name:
// the signals that end the program remove it, and the program still ends by them.
TEST(ExpandEndings, SignalsRemoveTheTemporaryNameAndKeepTheTarget) {
    for (int nSignal : {SIGHUP, SIGINT, SIGQUIT, SIGUSR1, SIGPIPE, SIGALRM, SIGTERM, SIGXFSZ, SIGRTMIN + 1}) {
        TestFolder dir;
        ASSERT_TRUE(SzddWriteCompressedFile(dir / "a.tx_", "new"));
        ASSERT_TRUE(SzddWriteFile(dir / "a.txt", "old"));
        int aTell[2];
        ASSERT_EQ(::pipe(aTell), 0);
        g_fdTell = aTell[1];
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::signal(nSignal, SIG_DFL);  // as a program starts, whatever the runner ignores
            const struct rlimit none = {0, 0};
            ::setrlimit(RLIMIT_CORE, &none);  // a core dump would be a file of its own
            ::alarm(60);                      // ends a child that the signal did not end
            platform::ForceTemporaryNames(true);
            platform::SetCreatedNewHook(&TellAndWait);
            ::_exit(CCompressedFile((dir / "a.tx_").c_str()).Expand("") ? 3 : 4);
        }
        ::close(aTell[1]);
        char c;
        EXPECT_EQ(::read(aTell[0], &c, 1), 1);  // the child has made its temporary file
        EXPECT_NE(dir.List().find("|~zv"), std::string::npos);
        ::kill(pid, nSignal);
        int nStatus = 0;
        ASSERT_EQ(::waitpid(pid, &nStatus, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(nStatus) && WTERMSIG(nStatus) == nSignal) << nStatus;
        ::close(aTell[0]);
        EXPECT_EQ(dir.List(), "a.tx_|a.txt") << nSignal;
        std::string s;
        EXPECT_TRUE(SzddReadFile(dir / "a.txt", &s) && s == "old");
    }
}

}  // namespace
#endif
