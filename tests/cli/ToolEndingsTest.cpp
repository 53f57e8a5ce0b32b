// zorvane-expand ended by a signal while it writes, and given inputs that are not
// plain files: no partial file, no harmed target, no wait.
#include "tests/cli/ToolHarness.h"
#include "tests/platform/TestFolder.h"
#include "tests/szdd/KwajWriter.h"
#include "tests/szdd/SzddWriter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

// A KWAJ file (Deflate) of nPieces times 32 KiB of zeros, put together from its
// pieces: every piece after the first is the same, zeros after zeros.
std::string LargeKwaj(uint32_t nPieces) {
    const std::string strTwo = KwajDeflateBody(std::string(2 * 32768, '\0'));
    const size_t nFirst = (static_cast<uint8_t>(strTwo[0]) | static_cast<uint8_t>(strTwo[1]) << 8) + 2u;
    std::string strBody = strTwo.substr(0, nFirst);
    for (uint32_t i = 1; i < nPieces; ++i) strBody.append(strTwo, nFirst, strTwo.size() - 2 - nFirst);
    KwajOptions o;
    o.nLength = nPieces * 32768u;
    return KwajHeader(4, o) + strBody + std::string(2, '\0');
}

// The bytes the process wrote so far; it writes nothing else before the expanded data.
long long Written(int pid) {
    std::ifstream io("/proc/" + std::to_string(pid) + "/io");
    std::string strKey;
    long long n = 0;
    while (io >> strKey >> n && strKey != "wchar:") {
    }
    return io ? n : 0;
}

// Caught as it begins to write 256 MiB and stopped there, to look at the folder, then ended.
TEST(ToolEndings, AnExpansionEndedBySignalLeavesNoFileAndKeepsTheTarget) {
    TestFolder dir;
    ASSERT_TRUE(SzddWriteFile(dir / "big.ex_", LargeKwaj(8192)));
    ASSERT_TRUE(SzddWriteFile(dir / "big.exe", "old"));
    for (int nSignal : {SIGKILL, SIGINT, SIGTERM, SIGXFSZ}) {
        const int pid = StartTool(dir.Path(), {"big.ex_"});
        ASSERT_GT(pid, 0);
        int nStatus = 0;
        bool bRunning = true;
        // A tool that hangs before it writes fails here rather than stalling the run.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while ((bRunning = ::waitpid(pid, &nStatus, WNOHANG) == 0) && Written(pid) == 0 &&
               std::chrono::steady_clock::now() < deadline) {
        }
        if (bRunning && Written(pid) == 0) ::kill(pid, SIGKILL);
        ASSERT_TRUE(bRunning && Written(pid) > 0) << "ended, or never wrote, before it was caught writing";
        ::kill(pid, SIGSTOP);
        ASSERT_EQ(::waitpid(pid, &nStatus, WUNTRACED), pid);
        EXPECT_EQ(dir.List(), "big.ex_|big.exe") << "the file being written has a name";

        ::kill(pid, nSignal);
        ::kill(pid, SIGCONT);
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
