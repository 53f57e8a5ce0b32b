// End-to-end tests of the command-line tool on cabinets made by the tests' own writer,
// natively and on Windows alike: one file expands like any compressed file, the
// members of an archive are extracted into the destination and never outside it.
#include "tests/cli/ToolTest.h"
#include "tests/szdd/CabWriter.h"
#include "tests/szdd/KwajCorruptFiles.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

using CabinetTool = ToolTest;

TEST_F(CabinetTool, OneFileExpandsListsAndStreamsLikeAnyCompressedFile) {
    const std::string data = TextLike(60000, 8);
    Write("ACPI.SY_", CabCompress(data, "acpi.sys", CabLzx(21)));
    ToolResult r = Run({"ACPI.SY_"});
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "ACPI.SY_ -> ACPI.sys\n");
    EXPECT_TRUE(Read("ACPI.sys") == data);

    r = Run({"-l", "ACPI.SY_"});
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_NE(r.strOut.find(" 60000 "), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("  sys      complete       ACPI.SY_ (cabinet, LZX:21)\n"), std::string::npos) << r.strOut;
    r = Run({"-c", "ACPI.SY_"});
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_TRUE(r.strOut == data);
}

TEST_F(CabinetTool, ArchiveMembersGoIntoTheirFoldersUnderTheDestination) {
    MakeFolder("out");
    Write("DRIVERS.CAB", CabArchive({{"readme.txt", "top"}, {"i386\\acpi.sys", "acpi"}, {"i386\\sub\\k.dll", "k"}},
                                    CabLzx(16)));
    ToolResult r = Run({"-d", "out", "DRIVERS.CAB"});
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, P("DRIVERS.CAB -> out/readme.txt\nDRIVERS.CAB -> out/i386/acpi.sys\n"
                          "DRIVERS.CAB -> out/i386/sub/k.dll\n"));
    EXPECT_EQ(Read("out/i386/acpi.sys") + Read("out/i386/sub/k.dll") + Read("out/readme.txt"), "acpiktop");

    // Beside the archive without -d; -n keeps what is there and goes on.
    Write("readme.txt", "mine");
    r = Run({"-n", "DRIVERS.CAB"});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strErr, Line("DRIVERS.CAB: readme.txt exists; not replaced"));
    EXPECT_EQ(Read("readme.txt") + Read("i386/sub/k.dll"), "minek");

    r = Run({"-l", "DRIVERS.CAB"});
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_NE(r.strOut.find("archive        DRIVERS.CAB (cabinet of 3 files)\n"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find(P("         -          4     ---  sys      complete         i386/acpi.sys (LZX:16)\n")),
              std::string::npos)
        << r.strOut;
    r = Run({"-c", "DRIVERS.CAB"});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strErr, Line("DRIVERS.CAB: a cabinet of several files: extract them without -c"));
}

TEST_F(CabinetTool, RecordedNamesAreSpelledAsTheSystemsPathsAre) {
    MakeFolder("out");
    const struct {
        const char* pszName;
        bool bUtf8;         // the name carries the UTF-8 mark
        const char* pszAs;  // the name written, or null: refused for pszWhy
        const char* pszWhy;
    } aCases[] = {
#ifdef _WIN32
        // In the ANSI code page (932 here) as recorded; a marked name spelled in it, exactly or not at all.
        {"\x83\x41.txt", false, "\x83\x41.txt", nullptr},
        {"\xE6\x96\x87.txt", true, "\x95\xB6.txt", nullptr},
        {"caf\xC3\xA9.txt", true, nullptr, "its name has no spelling in the system's code page"},
#else
        // ISO-8859-1 without the mark.
        {"caf\xE9.txt", false, "caf\xC3\xA9.txt", nullptr},
        {"\xE6\x96\x87.txt", true, "\xE6\x96\x87.txt", nullptr},
#endif
        // Cut, an overlong "..", a surrogate, above U+10FFFF, a second byte alone.
        {"\xE6\x96.txt", true, nullptr, "its name is not valid UTF-8"},
        {"\xC0\xAE\xC0\xAE\\up.txt", true, nullptr, "its name is not valid UTF-8"},
        {"\xED\xA0\x80.txt", true, nullptr, "its name is not valid UTF-8"},
        {"\xF4\x90\x80\x80.txt", true, nullptr, "its name is not valid UTF-8"},
        {"\x80.txt", true, nullptr, "its name is not valid UTF-8"},
    };
    std::vector<CabMember> members;
    std::string strOut, strErr;
    for (const auto& c : aCases) {
        members.push_back({c.pszName, "member " + std::to_string(members.size() + 1)});
        members.back().nAttributes = c.bUtf8 ? 0xA0 : 0x20;
        if (c.pszAs)
            strOut += P("NAMES.CAB -> out/") + c.pszAs + "\n";
        else
            strErr += Line("NAMES.CAB: member " + std::to_string(members.size()) + ": " + c.pszWhy + "; not written");
    }
    Write("NAMES.CAB", CabArchive(members, kCabStored));
    const ToolResult r = Run({"-d", "out", "NAMES.CAB"});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strOut, strOut);
    EXPECT_EQ(r.strErr, strErr);
    EXPECT_EQ(Read(std::string("out/") + aCases[0].pszAs) + Read(std::string("out/") + aCases[1].pszAs),
              "member 1member 2");
    EXPECT_EQ(dir.List("out"), std::string(aCases[0].pszAs) + "|" + aCases[1].pszAs);
}

TEST_F(CabinetTool, MemberNamesThatWouldLeaveTheDestinationAreRefused) {
    MakeFolder("out");
    MakeFolder("elsewhere");
    std::vector<std::string> hostile = {
        "..\\up.txt", "\\root.txt", "/root.txt", "C:\\drive.txt", "a\\..\\..\\up.txt", "ok\\.\\dot.txt",
        "con.txt",    "tab\tname",  "nl\n.txt",  "trailing. ",    "empty\\\\part.txt",  "folder\\",
    };
    std::string strOut = "ok";
#ifndef _WIN32
    ASSERT_EQ(::symlink("../elsewhere", (dir / "out/link").c_str()), 0);
    hostile.push_back("link\\through.txt");
    strOut = "link|ok";
#endif
    std::vector<CabMember> members = {{"ok\\good.txt", "good"}};
    for (const std::string& strName : hostile) members.push_back({strName, "bad"});
    Write("EVIL.CAB", CabArchive(members, kCabMszip));
    ToolResult r = Run({"-d", "out", "EVIL.CAB"});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strOut, P("EVIL.CAB -> out/ok/good.txt\n"));
    EXPECT_EQ(dir.List() + "," + dir.List("out") + "," + dir.List("out/ok") + "," + dir.List("elsewhere"),
              "EVIL.CAB|elsewhere|out," + strOut + ",good.txt,");
    // One line per refused member, and never its name, which may hold control bytes.
    EXPECT_EQ(std::count(r.strErr.begin(), r.strErr.end(), '\n'), static_cast<long>(hostile.size())) << r.strErr;
    EXPECT_EQ(r.strErr.find('\t'), std::string::npos);
    EXPECT_NE(r.strErr.find("EVIL.CAB: member 2: its name would leave the destination"), std::string::npos);
#ifndef _WIN32
    EXPECT_NE(r.strErr.find("out/link is a symbolic link; not followed"), std::string::npos) << r.strErr;
#endif
}

TEST_F(CabinetTool, SetsAndDamagedCabinetsAreRefusedOrSalvaged) {
    const std::string data = TextLike(70000, 2);
    const std::string whole = CabCompress(data, "big.txt", kCabStored);
    Write("NEXT.TX_", CabArchive({{"big.txt", data}}, kCabMszip, kCabHasNext));
    Write("SET.CAB", CabArchive({{"a.txt", "a"}, {"b.txt", "b"}}, kCabMszip, kCabHasPrevious));
    Write("CUT.TX_", whole.substr(0, 40000));
    Write("HEAD.TX_", whole.substr(0, 60));
    ToolResult r = Run({"NEXT.TX_", "SET.CAB", "CUT.TX_", "HEAD.TX_"});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strOut, "");
    EXPECT_EQ(r.strErr, Line("NEXT.TX_: one cabinet of a set: its data continues in another cabinet") +
                            Line("SET.CAB: one cabinet of a set: its data continues in another cabinet") +
                            Line("CUT.TX_: truncated: the data ends before its expanded length") +
                            Line("HEAD.TX_: truncated: the data ends before its expanded length"));
    EXPECT_EQ(dir.List(), "CUT.TX_|HEAD.TX_|NEXT.TX_|SET.CAB");

    // What a cut cabinet's data yields is kept; without its entries there is nothing to keep.
    r = Run({"--salvage", "CUT.TX_", "HEAD.TX_"});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strOut, "CUT.TX_ -> CUT.txt (damaged)\n");
    const std::string salvaged = Read("CUT.txt");
    EXPECT_GE(salvaged.size(), 32768u);
    EXPECT_TRUE(salvaged == data.substr(0, salvaged.size()));
    EXPECT_EQ(dir.List(), "CUT.TX_|CUT.txt|HEAD.TX_|NEXT.TX_|SET.CAB");
}

}  // namespace
