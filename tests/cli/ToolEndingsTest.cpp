// zorvane-expand ended by a signal while it writes, and given inputs that are not
// plain files: no partial file, no harmed target, no wait.
#include "tests/cli/ToolHarness.h"
#include "tests/platform/TestFolder.h"
#include "tests/szdd/KwajWriter.h"
#include "tests/szdd/SzddWriter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

// Caught as it begins to write 256 MiB and stopped there, to look at the folder, then ended.
TEST(ToolEndings, AnExpansionEndedBySignalLeavesNoFileAndKeepsTheTarget) {
    TestFolder dir;
    ASSERT_TRUE(SzddWriteFile(dir / "big.ex_", LargeKwaj(8192)));
    ASSERT_TRUE(SzddWriteFile(dir / "big.exe", "old"));
    for (int nSignal : {SIGKILL, SIGINT, SIGTERM, SIGXFSZ}) {
        const int pid = StartTool(dir.Path(), {"big.ex_"});
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(StopWhenWriting(pid));
        EXPECT_EQ(dir.List(), "big.ex_|big.exe") << "the file being written has a name";

        ::kill(pid, nSignal);
        ::kill(pid, SIGCONT);
        int nStatus = 0;
        ASSERT_EQ(::waitpid(pid, &nStatus, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(nStatus) && WTERMSIG(nStatus) == nSignal) << nSignal;
        EXPECT_EQ(dir.List(), "big.ex_|big.exe") << nSignal;
        std::string s;
        EXPECT_TRUE(SzddReadFile(dir / "big.exe", &s) && s == "old");
    }
}

// RunTool gives up on a tool that hangs, which then fails this too.
TEST(ToolEndings, InputsThatAreNotPlainFilesAreRefusedAtOnce) {
    TestFolder dir;
    ASSERT_EQ(::mkfifo((dir / "fifo.ex_").c_str(), 0666), 0);
    ASSERT_EQ(::symlink("/dev/null", (dir / "null.ex_").c_str()), 0);
    ASSERT_EQ(::mkdir((dir / "folder.ex_").c_str(), 0777), 0);
    const struct {
        std::vector<std::string> args;
        std::string strErr;
    } aCases[] = {
        {{"fifo.ex_"}, "fifo.ex_: not a regular file (a FIFO)"},
        {{"-l", "fifo.ex_"}, "fifo.ex_: not a regular file (a FIFO)"},
        {{"null.ex_"}, "null.ex_: not a regular file (a character device)"},
        {{"folder.ex_"}, "folder.ex_: is a folder (-R takes the compressed files in it)"},
    };
    for (const auto& c : aCases) {
        ToolResult r = RunTool(dir.Path(), c.args);
        EXPECT_EQ(r.nStatus, 1);
        EXPECT_EQ(r.strOut, "");
        EXPECT_EQ(r.strErr, "zorvane-expand: " + c.strErr + "\n");
    }
    EXPECT_EQ(dir.List(), "fifo.ex_|folder.ex_|null.ex_");
}

}  // namespace
