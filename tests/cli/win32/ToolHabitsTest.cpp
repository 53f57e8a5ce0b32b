// What ZVEXPAND.EXE does as a Windows console program does (help on "/?", wildcards,
// drives and both separators), and its main cases under each Windows version that
// Wine reports to it, among them the oldest the release is made for.
#include "tests/cli/ToolTest.h"
#include "tests/e2e/E2eSupport.h"
#include "tests/szdd/CabWriter.h"
#include "tests/szdd/KwajWriter.h"
#include "tests/szdd/SzddWriter.h"
#include "tests/support/TestThread.h"

#include <gtest/gtest.h>

namespace {

using ToolHabits = ToolTest;

TEST_F(ToolHabits, SlashQuestionMarkAsksForHelp) {
    ToolResult r = Run({"/?"});
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_EQ(r.strOut.rfind("Usage: ZVEXPAND [OPTION]... FILE...\n", 0), 0u) << r.strOut;
    EXPECT_NE(r.strOut.find("/? is the same as --help."), std::string::npos) << r.strOut;
    EXPECT_EQ(r.strErr, "");
    EXPECT_EQ(Run({"--", "/?"}).nStatus, 1);  // after "--", a name that matches nothing
}

TEST_F(ToolHabits, WildcardsTakeTheMatchingNamesOfTheirFolderInNameOrder) {
    Write("b.ex_", SzddCompress("b"));
    Write("A.EX_", SzddCompress("a"));
    Write("c.tx_", SzddCompress("c"));
    MakeFolder("DISK1");
    Write("DISK1\\d.dl_", SzddCompress("d"));
    Write("DISK1\\e.tx_", SzddCompress("e"));
    MakeFolder("f.ex_");  // a folder: only -R takes it
    const struct {
        std::vector<std::string> args;
        std::string strOut;
        std::string strErr;
        int nStatus;
    } aCases[] = {
        {{"*.ex_"}, "A.EX_ -> A.exe\nb.ex_ -> b.exe\n", "", 0},
        {{"DISK1\\*.??_"}, "DISK1\\d.dl_ -> DISK1\\d.dll\nDISK1\\e.tx_ -> DISK1\\e.txt\n", "", 0},
        {{"DISK1/?.D?_", "none*.ex_", "c.tx_"}, "DISK1/d.dl_ -> DISK1/d.dll\nc.tx_ -> c.txt\n",
         "ZVEXPAND: none*.ex_: no file matches\n", 1},
        {{"f.*"}, "", "ZVEXPAND: f.*: no file matches\n", 1},
        {{"-R", "-d", "DISK1", "f*"}, "f.ex_\\DISK1\\d.dl_ -> DISK1\\DISK1\\d.dll\n", "", 0},
        {{"-c", "*.ex_"}, "", "ZVEXPAND: *.ex_: matches more than one file; -c expands exactly one\n", 1},
    };
    MakeFolder("f.ex_\\DISK1");
    Write("f.ex_\\DISK1\\d.dl_", SzddCompress("deep"));
    for (const auto& c : aCases) {
        ToolResult r = Run(c.args);
        EXPECT_EQ(r.nStatus, c.nStatus) << c.args[0];
        EXPECT_EQ(r.strOut, c.strOut) << c.args[0];
        EXPECT_EQ(r.strErr, c.strErr) << c.args[0];
    }
    EXPECT_EQ(Read("A.exe") + Read("b.exe") + Read("c.txt") + Read("DISK1\\d.dll") + Read("DISK1\\DISK1\\d.dll"),
              "abcddeep");
}

TEST_F(ToolHabits, FoldersAreNamedWithDrivesAndEitherSeparator) {
    Write("a.ex_", SzddCompress("a"));
    MakeFolder("out");
    MakeFolder("out\\sub");
    const std::string strAbsolute = dir / "out";
    const std::string strDrive = dir.Path().substr(0, 2);  // "C:": that drive's current folder, the tool's
    const struct {
        std::vector<std::string> args;
        std::string strOut;
        std::string strWritten;
    } aCases[] = {
        {{"-d", strAbsolute, "a.ex_"}, "a.ex_ -> " + strAbsolute + "\\a.exe\n", "out\\a.exe"},
        {{"-d", "out/sub", dir / "a.ex_"}, dir / "a.ex_ -> out/sub\\a.exe\n", "out\\sub\\a.exe"},
        {{"-d", "out\\sub/", "a.ex_"}, "a.ex_ -> out\\sub/a.exe\n", "out\\sub\\a.exe"},
        {{"-d", strDrive, "a.ex_"}, "a.ex_ -> " + strDrive + "a.exe\n", "a.exe"},
    };
    for (const auto& c : aCases) {
        ToolResult r = Run(c.args);
        EXPECT_EQ(r.nStatus, 0) << c.args[1] << r.strErr;
        EXPECT_EQ(r.strOut, c.strOut);
        EXPECT_EQ(Read(c.strWritten), "a") << c.args[1];
    }
}

// The size of the unfinished file in the folder, or -1 while there is none.
int64_t UnfinishedSize(const std::string& strFolder) {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((strFolder + "~zv*.tmp").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return -1;
    FindClose(h);
    return static_cast<int64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
}

BOOL CALLBACK Swallow(DWORD) { return TRUE; }

// Ctrl+C, which reaches every program on the console, the tests' own too, while the tool writes.
TEST_F(ToolHabits, AnInterruptDropsTheUnfinishedFileAndLeavesTheOldOneAsItWas) {
    Write("big.tx_", LargeKwaj(65536));  // 2 GiB of zeros
    Write("big.txt", "old");
    const HANDLE hTool = StartToolOnConsole(dir.Path(), {"big.tx_"});
    ASSERT_NE(hTool, nullptr);
    SetConsoleCtrlHandler(Swallow, TRUE);
    EXPECT_TRUE(WaitFor([&] { return UnfinishedSize(dir.Path()) > 0; }, 60000) &&
                GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    // It stops at once: should it write a quarter of its data first, it is stopped.
    const bool bEnded = WaitFor([&] { return WaitForSingleObject(hTool, 0) == WAIT_OBJECT_0 ||
                                             UnfinishedSize(dir.Path()) > (int64_t{1} << 29); }, 120000) &&
                        WaitForSingleObject(hTool, 0) == WAIT_OBJECT_0;
    if (!bEnded) TerminateProcess(hTool, 0xDEAD);
    WaitForSingleObject(hTool, INFINITE);
    SetConsoleCtrlHandler(Swallow, FALSE);
    DWORD dwStatus = 0;
    GetExitCodeProcess(hTool, &dwStatus);
    CloseHandle(hTool);
    EXPECT_TRUE(bEnded);
    EXPECT_EQ(dwStatus, 0xC000013Au);  // STATUS_CONTROL_C_EXIT, as Windows ends a program on Ctrl+C
    EXPECT_EQ(dir.List(), "big.tx_|big.txt");
    EXPECT_EQ(Read("big.txt"), "old");
}

class ToolVersions : public ToolHabits, public ::testing::WithParamInterface<const char*> {};

TEST_P(ToolVersions, ExpandsListsAndWritesToStandardOutput) {
    e2e::ReportedVersion version(GetParam(), "zvexpand.exe");
    ASSERT_TRUE(version.IsOk(GetParam()));
    std::string strData;
    for (int i = 0; i < 2000; ++i) strData += "line " + std::to_string(i % 37) + "\r\n\x1A";
    Write("szdd.ex_", SzddCompress(strData));
    Write("kwaj.tx_", KwajCompress(strData, 3));
    Write("short.dl_", ShortSzddCompress(strData));
    Write("acpi.sy_", CabCompress(strData, "ACPI.SYS", CabLzx(21)));
    MakeFolder("out");
    Write("out\\szdd.exe", "old, replaced");
    ToolResult r = Run({"-d", "out", "*.??_"});
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "acpi.sy_ -> out\\acpi.sys\nkwaj.tx_ -> out\\kwaj.txt\nshort.dl_ -> out\\short.dll\n"
                        "szdd.ex_ -> out\\szdd.exe\n");
    EXPECT_TRUE(Read("out\\kwaj.txt") == strData && Read("out\\short.dll") == strData && Read("out\\szdd.exe") == strData &&
                Read("out\\acpi.sys") == strData);

    // An archive's members in their folders below the destination.
    Write("disk.cab", CabArchive({{"i386\\a.txt", "a"}, {"b.txt", "b"}}, kCabMszip));
    r = Run({"-d", "out", "disk.cab"});
    EXPECT_EQ(r.strOut, "disk.cab -> out\\i386\\a.txt\ndisk.cab -> out\\b.txt\n") << r.strErr;
    EXPECT_EQ(Read("out\\i386\\a.txt") + Read("out\\b.txt"), "ab");

    r = Run({"-l", "kwaj.tx_"});
    EXPECT_NE(r.strOut.find("  txt      complete       kwaj.tx_\n"), std::string::npos) << r.strOut;
    r = Run({"-c", "short.dl_"});
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_TRUE(r.strOut == strData);  // as it is: no line ends added

    Write("cut.ex_", SzddCompress(strData).substr(0, 600));
    r = Run({"cut.ex_"});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strErr, "ZVEXPAND: cut.ex_: truncated: the data ends before its expanded length\n");
    EXPECT_EQ(dir.List(), "acpi.sy_|cut.ex_|disk.cab|kwaj.tx_|out|short.dl_|szdd.ex_");
}

INSTANTIATE_TEST_SUITE_P(Versions, ToolVersions, testing::ValuesIn(e2e::kReportedVersions), e2e::ReportedVersionName);

}  // namespace
