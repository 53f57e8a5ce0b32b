// zorvane-expand on file systems that others can change while it runs or that hold
// what a disk should not: links out of a tree, swapped folders, long paths, names
// made to look like the tool's own lines.
#include "tests/cli/ToolTest.h"
#include "tests/szdd/KwajWriter.h"
#include "tests/szdd/SzddWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class HostileFileSystem : public ToolTest {
protected:
    void Compress(const std::string& strName, const std::string& strData) const {
        Write(strName, SzddCompress(strData));
    }
    void MakeFolders(const std::string& strPath) const { std::filesystem::create_directories(dir / strPath); }
};

// Inside a tree nothing is followed out of it; a file named by the user may be a link.
// Every output has its source's permissions, less the mask's write bits.
TEST_F(HostileFileSystem, TreesKeepToThemselvesAndOutputsKeepTheirSourcesPermissions) {
    MakeFolders("tree/sub");
    MakeFolders("secret/folder");
    Compress("secret/id.tx_", "private");
    Compress("secret/folder/o.tx_", "outside");
    Compress("tree/open.tx_", "open");
    Compress("tree/sub/run.ex_", "run");
    ASSERT_EQ(::symlink("../secret/id.tx_", (dir / "tree/key.tx_").c_str()), 0);
    ASSERT_EQ(::symlink("../../secret/folder", (dir / "tree/sub/away").c_str()), 0);
    ASSERT_EQ(::symlink("../secret/id.tx_", (dir / "tree/plain.txt").c_str()), 0);  // no compressed name: not told
    const mode_t nMask = ::umask(022);
    struct Case {
        std::string strSource, strOutput;
        mode_t nMode, nOutputMode;
    } const aCases[] = {
        {"secret/id.tx_", "secret/id.txt", 0600, 0600},
        {"secret/id.tx_", "tree/key.txt", 0600, 0600},  // through the link named
        {"tree/open.tx_", "tree/open.txt", 0666, 0644},
        {"tree/sub/run.ex_", "tree/sub/run.exe", 0750, 0750},
    };
    for (const Case& c : aCases) ASSERT_EQ(::chmod((dir / c.strSource).c_str(), c.nMode), 0);
    ToolResult r = Run({"-R", "tree"});
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_EQ(r.strErr,
              "zorvane-expand: tree/key.tx_: skipped: a symbolic link\n"
              "zorvane-expand: tree/sub/away: skipped: a symbolic link\n");
    EXPECT_EQ(dir.List("tree") + "," + dir.List("secret/folder"), "key.tx_|open.tx_|open.txt|plain.txt|sub,o.tx_");
    EXPECT_EQ(Run({"tree/key.tx_", "secret/id.tx_"}).nStatus, 0);
    EXPECT_EQ(Read("tree/key.txt"), "private");
    ::umask(nMask);
    for (const Case& c : aCases) {
        struct stat st;
        ASSERT_EQ(::stat((dir / c.strOutput).c_str(), &st), 0) << c.strOutput;
        EXPECT_EQ(st.st_mode & 07777, c.nOutputMode) << c.strOutput;
    }
}

// A salvage that recovers nothing writes nothing, not even over another file.
TEST_F(HostileFileSystem, ASalvageThatRecoversNothingWritesNothing) {
    KwajOptions o;
    o.nFlags = kKwajLength | kKwajExt;
    o.strExt = "TXT";
    struct Case {
        std::string strFile, strBytes;  // no bytes: a link to what the system cannot read
        std::string strOutput, strErr;
    } const aCases[] = {
        {"README.TX_", SzddHeader(5000), "README.txt",
         "truncated: the data ends before its expanded length; nothing to salvage"},
        {"kwaj.tx_", KwajHeader(0, o).substr(0, 20), "kwaj.txt", "corrupt data; nothing to salvage"},
        {"mem.tx_", "", "mem.txt", "read error; nothing to salvage"},
    };
    ASSERT_EQ(::symlink("/proc/self/mem", (dir / "mem.tx_").c_str()), 0);
    for (const Case& c : aCases) {
        if (!c.strBytes.empty()) {
            ASSERT_TRUE(SzddWriteFile(dir / c.strFile, c.strBytes));
        }
        ToolResult r = Run({"--salvage", c.strFile});
        EXPECT_EQ(r.nStatus, 1);
        EXPECT_EQ(r.strErr, "zorvane-expand: " + c.strFile + ": " + c.strErr + "\n");
        EXPECT_EQ(Read(c.strOutput), "<missing>");
    }
}

// Each failure says what happened: a link at the output name is the name's, and is
// what gets replaced; a file that cannot be read is not a truncated one; a recorded
// code page 932 extension keeps its characters.
TEST_F(HostileFileSystem, ReasonsAndNamesSayWhatIsThere) {
    TestFolder other;
    ASSERT_TRUE(SzddWriteFile(other / "locked.txt", "locked"));
    ASSERT_EQ(::chmod((other / "locked.txt").c_str(), 0444), 0);
    Compress("dangling.tx_", "new");
    Compress("locked.tx_", "new");
    ASSERT_EQ(::symlink("nowhere", (dir / "dangling.txt").c_str()), 0);
    ASSERT_EQ(::symlink((other / "locked.txt").c_str(), (dir / "locked.txt").c_str()), 0);
    ASSERT_EQ(::symlink("/proc/self/mem", (dir / "mem.ex_").c_str()), 0);
    KwajOptions o;
    o.nFlags = kKwajLength | kKwajExt;
    o.strExt = "\x83\x41";  // a katakana whose second byte is an 'A'
    ASSERT_TRUE(SzddWriteFile(dir / "kana.kw_", KwajCompress("kana", 0, o)));
    struct Case {
        std::vector<std::string> args;
        std::string strOut, strErr;
    } const aCases[] = {
        {{"-n", "dangling.tx_"}, "", "zorvane-expand: dangling.tx_: dangling.txt exists; not replaced\n"},
        {{"locked.tx_"}, "locked.tx_ -> locked.txt\n", ""},
        {{"mem.ex_"}, "", "zorvane-expand: mem.ex_: read error\n"},
        {{"kana.kw_"}, "kana.kw_ -> kana.\x83\x41\n", ""},
    };
    for (const Case& c : aCases) {
        ToolResult r = Run(c.args);
        EXPECT_EQ(r.strOut, c.strOut);
        EXPECT_EQ(r.strErr, c.strErr);
    }
    std::string strLocked;
    EXPECT_TRUE(SzddReadFile(other / "locked.txt", &strLocked) && strLocked == "locked");
    EXPECT_EQ(Read("locked.txt") + Read("kana.\x83\x41"), "newkana");
}

// "-c FILE >> FILE" would read what it appends until the disk is full: it is refused,
// by any name of the file. A bounded file size keeps a tool that does not refuse from
// filling the disk.
TEST_F(HostileFileSystem, StandardOutputThatIsTheInputIsRefused) {
    const std::string strPlain(200 << 10, 'p');
    KwajOptions noLength;
    noLength.nFlags = 0;
    ASSERT_TRUE(SzddWriteFile(dir / "plain.tx_", strPlain));
    ASSERT_TRUE(SzddWriteFile(dir / "stored.tx_", KwajCompress(strPlain, 0, noLength)));
    ASSERT_EQ(::link((dir / "plain.tx_").c_str(), (dir / "linked.tx_").c_str()), 0);
    struct rlimit limit;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const struct rlimit bounded = {64 << 20, limit.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &bounded), 0);
    struct Case {
        std::string strInput, strOutput;
    } const aCases[] = {{"plain.tx_", "plain.tx_"}, {"stored.tx_", "stored.tx_"}, {"plain.tx_", "linked.tx_"}};
    for (const Case& c : aCases) {
        const std::string strBefore = Read(c.strOutput);
        ToolResult r = RunToolAppending(dir.Path(), {"-c", c.strInput}, dir / c.strOutput);
        EXPECT_EQ(r.nStatus, 1) << c.strOutput;
        EXPECT_EQ(r.strErr, "zorvane-expand: " + c.strInput + ": input file is output file\n");
        EXPECT_TRUE(Read(c.strOutput) == strBefore) << c.strOutput;
    }
    ToolResult r = RunToolAppending(dir.Path(), {"-c", "plain.tx_"}, dir / "copy.txt");
    ::setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_TRUE(Read("copy.txt") == strPlain);
}

// Natively a path is as long as the system takes, not the Windows program's 259 bytes.
TEST_F(HostileFileSystem, LongPathsAndExtensionsExpand) {
    const std::string strDeep = std::string(120, 'a') + "/" + std::string(120, 'b') + "/" + std::string(50, 'c');
    MakeFolders(strDeep);
    const std::string strLongExt = "x." + std::string(60, 'e');
    struct Case {
        std::vector<std::string> args;
        std::string strSource, strOutput;
    } const aCases[] = {
        {{strDeep + "/SETUP.EX_"}, strDeep + "/SETUP.EX_", strDeep + "/SETUP.exe"},  // 303 bytes
        {{"-R", "a" + std::string(119, 'a')}, strDeep + "/deep.tx_", strDeep + "/deep.txt"},
        {{strLongExt}, strLongExt, "x.." + std::string(60, 'e')},
    };
    for (const Case& c : aCases) {
        Compress(c.strSource, c.strSource);
        ToolResult r = Run(c.args);
        EXPECT_EQ(r.nStatus, 0) << c.strSource << ": " << r.strErr;
        EXPECT_EQ(Read(c.strOutput), c.strSource);
    }
}

// Stopped while it writes into a folder of the tree, the tool finds that folder swapped
// for a link to another one: the file still lands in the folder it was writing in.
TEST_F(HostileFileSystem, AFolderSwappedWhileTheToolWritesSendsNothingElsewhere) {
    struct Case {
        std::vector<std::string> args;
        std::string strSwapped;  // the output's folder
    } const aCases[] = {
        {{"-R", "a"}, "a/sub"},
        {{"-R", "-d", "out", "b"}, "out/sub"},
    };
    MakeFolders("out");
    MakeFolders("victim");
    ASSERT_TRUE(SzddWriteFile(dir / "victim/big.exe", "precious"));
    for (const Case& c : aCases) {
        MakeFolders(c.args.back() + "/sub");
        ASSERT_TRUE(SzddWriteFile(dir / c.args.back() + "/sub/big.ex_", LargeKwaj(4096)));
        const int pid = StartTool(dir.Path(), c.args);
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(StopWhenWriting(pid));
        ASSERT_EQ(::rename((dir / c.strSwapped).c_str(), (dir / c.strSwapped + ".old").c_str()), 0);
        ASSERT_EQ(::symlink((dir / "victim").c_str(), (dir / c.strSwapped).c_str()), 0);
        ::kill(pid, SIGCONT);
        int nStatus = 0;
        ASSERT_EQ(::waitpid(pid, &nStatus, 0), pid);
        EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << c.strSwapped;
        EXPECT_EQ(dir.List("victim"), "big.exe") << c.strSwapped;
        EXPECT_TRUE(Read("victim/big.exe") == "precious") << c.strSwapped;
        EXPECT_NE(dir.List(c.strSwapped + ".old").find("big.exe"), std::string::npos) << c.strSwapped;
    }
}

// A name's control bytes are printed escaped in every kind of line, so that no name
// makes lines of its own or commands the terminal; the names on disk stay as they are.
TEST_F(HostileFileSystem, NamesArePrintedWithTheirControlBytesEscaped) {
    const std::string strSpoof = "evil\nfake.tx_ -> fake.txt\nx.tx_";
    const std::string strEscape = "esc\x1b[31mred.tx_";
    Compress(strSpoof, "spoof");
    Compress(strEscape, "escape");
    Compress("c1\xC2\x9B" "2J.tx_", "c1");
    struct Case {
        std::vector<std::string> args;
        std::string strOutEnd, strErr;
    } const aCases[] = {
        {{strSpoof}, "evil\\nfake.tx_ -> fake.txt\\nx.tx_ -> evil\\nfake.tx_ -> fake.txt\\nx.txt\n", ""},
        {{strEscape}, "esc\\033[31mred.tx_ -> esc\\033[31mred.txt\n", ""},
        {{"c1\xC2\x9B" "2J.tx_"}, "c1\\302\\2332J.tx_ -> c1\\302\\2332J.txt\n", ""},
        {{"-l", strEscape}, "complete       esc\\033[31mred.tx_\n", ""},
        {{"-n", strEscape}, "", "zorvane-expand: esc\\033[31mred.tx_: esc\\033[31mred.txt exists; not replaced\n"},
        {{"gone\t\x1b[2J.tx_"}, "", "zorvane-expand: gone\\t\\033[2J.tx_: No such file or directory\n"},
    };
    for (const Case& c : aCases) {
        ToolResult r = Run(c.args);
        EXPECT_EQ(r.strOut.substr(r.strOut.size() - std::min(r.strOut.size(), c.strOutEnd.size())), c.strOutEnd);
        EXPECT_EQ(r.strErr, c.strErr);
    }
    EXPECT_EQ(Read("evil\nfake.tx_ -> fake.txt\nx.txt") + Read("esc\x1b[31mred.txt"), "spoofescape");
}

}  // namespace
