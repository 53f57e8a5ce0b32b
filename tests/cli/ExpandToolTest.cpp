// End-to-end tests of the command-line tool: the built tool run in a fresh folder on
// files made by the tests' own SZDD writer, natively and on Windows alike.
#include "core/ExtensionTable.h"
#include "tests/cli/ToolTest.h"
#include "tests/szdd/CabWriter.h"
#include "tests/szdd/KwajCorruptFiles.h"
#include "tests/szdd/KwajWriter.h"
#include "tests/szdd/SzddWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <regex>
#include <sstream>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
// Code page 932 characters whose second bytes are a '\\', an 'A' and an '_'.
const std::string kTo = "\x83\x5C";  // ソ
const std::string kMe = "\x83\x41";  // ア
const std::string kMo = "\x83\x5F";  // ダ
#else
// UTF-8 characters whose last bytes (0x80-0xBF) would be second bytes in code page 932.
const std::string kTo = "\xE3\x83\x88";    // ト
const std::string kMe = "\xE3\x83\xA1";    // メ
const std::string kMo = "\xE3\x83\xA2";    // モ
#endif

std::string Data(size_t nSize, unsigned nSeed) {
    std::mt19937 rng(nSeed);
    std::string s(nSize, '\0');
    // Runs and repeats, so that the writer makes matches as well as literals.
    for (size_t i = 0; i < nSize; ++i) s[i] = (rng() % 4 == 0) ? static_cast<char>(rng()) : "ab\0\n"[i % 4];
    return s;
}

class ExpandTool : public ToolTest {
protected:
    void Compress(const std::string& strName, const std::string& strData, char cLost = '\0') const {
        Write(strName, SzddCompress(strData, cLost));
    }
};

TEST_F(ExpandTool, HelpAndVersionGoToStandardOutput) {
    Compress("a.ex_", "x");
    for (const char* pszHelp : {"--help", "-h", "--he"}) {
        ToolResult r = Run({pszHelp, "a.ex_"});
        EXPECT_EQ(r.nStatus, 0) << pszHelp;
        EXPECT_EQ(r.strOut.rfind(std::string("Usage: ") + kToolName + " [OPTION]... FILE...\n", 0), 0u) << pszHelp;
        EXPECT_EQ(r.strErr, "") << pszHelp;
    }
    ToolResult r = Run({"--version"});
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_EQ(r.strOut, std::string(kToolName) + " 2.2\n");
    EXPECT_EQ(dir.List(), "a.ex_");  // asking for help expands nothing
}

TEST_F(ExpandTool, UsageErrorsExitWithTwoAndWriteNothing) {
    Compress("a.ex_", "x");
    Compress("b.ex_", "y");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"-q"},
        {"-x", "a.ex_"},
        {"--bogus", "a.ex_"},
        {"--re", "a.ex_"},  // --restore-extension or --recursive
        {"-d"},
        {"a.ex_", "-d"},
        {"--directory=", "a.ex_"},
        {"--list=yes", "a.ex_"},
        {"-c", "a.ex_", "b.ex_"},
        {"-cl", "a.ex_"},
        {"-c", "-d", ".", "a.ex_"},
        {"-cR", "."},
    };
    for (const auto& args : cases) {
        std::string strArgs;
        for (const std::string& s : args) strArgs += s + " ";
        ToolResult r = Run(args);
        EXPECT_EQ(r.nStatus, 2) << strArgs;
        EXPECT_EQ(r.strOut, "") << strArgs;
        EXPECT_EQ(r.strErr.rfind(std::string(kToolName) + ": ", 0), 0u) << strArgs << r.strErr;
        EXPECT_NE(r.strErr.find(std::string("Try '") + kToolName + " --help'"), std::string::npos) << strArgs;
    }
    EXPECT_EQ(Run({"-x"}).strErr.substr(0, Line("unknown option -x").size()), Line("unknown option -x"));
    EXPECT_EQ(dir.List(), "a.ex_|b.ex_");
}

#ifndef _WIN32
// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& strText) {
    std::vector<std::string> lines;
    for (size_t nStart = 0, nEnd; nStart < strText.size(); nStart = nEnd + 1) {
        nEnd = strText.find('\n', nStart);
        if (nEnd == std::string::npos) nEnd = strText.size();
        lines.push_back(strText.substr(nStart, nEnd - nStart));
    }
    return lines;
}

TEST_F(ExpandTool, ManualPageDescribesEveryOptionOfTheHelpAndTheTable) {
    std::string strPage;
    ASSERT_TRUE(SzddReadFile(ZV_MANUAL_PAGE, &strPage));
    // The heads of the page's option entries: the line after each ".TP".
    std::vector<std::string> heads;
    const std::vector<std::string> page = Lines(strPage);
    for (size_t i = 1; i < page.size(); ++i)
        if (page[i - 1].rfind(".TP", 0) == 0) heads.push_back(page[i]);
    const auto roff = [](const std::string& s) { return std::regex_replace(s, std::regex("-"), "\\-"); };

    // Option lines of the help: "  -d, --directory=DIR  ..." or "      --version  ...".
    const std::regex option("^  (?:(-\\w), |    )(--[\\w-]+)");
    int nOptions = 0;
    for (const std::string& strLine : Lines(Run({"--help"}).strOut)) {
        std::smatch m;
        if (!std::regex_search(strLine, m, option)) continue;
        ++nOptions;
        const std::string strShort = m[1].matched ? roff(m[1].str()) + " " : std::string();
        const std::string strLong = roff(m[2].str());
        bool bDescribed = false;
        for (const std::string& strHead : heads)
            bDescribed = bDescribed || ((strShort.empty() || strHead.find(strShort) != std::string::npos) &&
                                        strHead.find(strLong) != std::string::npos);
        EXPECT_TRUE(bDescribed) << strLine;
    }
    EXPECT_EQ(nOptions, 11);

    for (const ExtensionPair& row : g_aExtensionTable) {
        std::string strCompressed = row.pszCompressed;
        for (char& c : strCompressed) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_NE(strPage.find(strCompressed + "\t" + row.pszRestored), std::string::npos) << strCompressed;
    }
    for (const char* pszSection : {".SH NAMES", ".SH LISTING", ".SH \"EXIT STATUS\"", ".SH EXAMPLES"})
        EXPECT_NE(strPage.find(pszSection), std::string::npos) << pszSection;
}
#endif

TEST_F(ExpandTool, ExpandsBesideTheSourceOrIntoAFolderAndSaysWhetherAllWereDone) {
    const std::string strData = Data(200000, 1);
    Compress("SETUP.EX_", strData);
    Compress("readme.tx_", "read me\n");
    ToolResult r = Run({"SETUP.EX_", "readme.tx_"});
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_EQ(r.strOut, "SETUP.EX_ -> SETUP.exe\nreadme.tx_ -> readme.txt\n");
    EXPECT_EQ(r.strErr, "");
    EXPECT_TRUE(Read("SETUP.exe") == strData);
    EXPECT_EQ(Read("readme.txt"), "read me\n");

    // Options may follow the files; a file that fails does not stop the others.
    MakeFolder("out");
    r = Run({"missing.ex_", "readme.tx_", "-d", "out/"});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strOut, "readme.tx_ -> out/readme.txt\n");
    EXPECT_EQ(r.strErr, Line("missing.ex_: No such file or directory"));
    EXPECT_EQ(Read("out/readme.txt"), "read me\n");

    // A missing destination is not made: nothing is written at all.
    r = Run({"--directory=nowhere", "readme.tx_"});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strOut, "");
    EXPECT_EQ(r.strErr, Line("nowhere: no such folder"));
    EXPECT_EQ(dir.List(), "SETUP.EX_|SETUP.exe|out|readme.tx_|readme.txt");

    Write("cut.ex_", SzddCompress(strData).substr(0, 5000));
    r = Run({"cut.ex_"});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strErr, Line("cut.ex_: truncated: the data ends before its expanded length"));
    EXPECT_EQ(Read("cut.exe"), "<missing>");
}

TEST_F(ExpandTool, DoubleDashNamesAFileThatLooksLikeAnOption) {
    Compress("-x.ex_", "dashed");
    ToolResult r = Run({"-x.ex_"});
    EXPECT_EQ(r.nStatus, 2);
    EXPECT_EQ(dir.List(), "-x.ex_");
    r = Run({"-q", "--", "-x.ex_"});
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_EQ(r.strErr, "");
    EXPECT_EQ(Read("-x.exe"), "dashed");
}

TEST_F(ExpandTool, DoubleByteNamesAreCutAtTheirOwnDotsAndSeparators) {
    Compress(kTo + ".TX_", "to");
    MakeFolder(kTo);
    Compress(kTo + "/A.TX_", "in a folder");
    Compress(kMe + kMo + "." + kTo + "_", "memo", 'x');
    MakeFolder("out");

    ToolResult r = Run({kTo + ".TX_"});
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(Read(kTo + ".txt"), "to");
    r = Run({"-d", "out", kTo + "/A.TX_"});
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, kTo + "/A.TX_ -> " + P("out/A.txt\n"));
    EXPECT_EQ(Read("out/A.txt"), "in a folder");
    // The '_' after a UTF-8 character is found, and the header completes the extension.
    r = Run({"-r", kMe + kMo + "." + kTo + "_"});
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(Read(kMe + kMo + "." + kTo + "x"), "memo");
    r = Run({"-l", "-R", "."});
    EXPECT_NE(r.strOut.find("complete       " + P("./") + kMe + kMo + "." + kTo + "_\n"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("complete       " + P("./") + kTo + P("/A.TX_\n")), std::string::npos) << r.strOut;
}

TEST_F(ExpandTool, RestoreTakesTheLostCharacterFromTheHeaderOrSaysItCannot) {
    Compress("setup.in_", "[setup]", 'i');
    Compress("none.in_", "nothing recorded");
    Compress("table.ex_", "the table wins", 'z');
    ToolResult r = Run({"-r", "setup.in_", "none.in_", "table.ex_"});
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_EQ(r.strOut,
              "setup.in_ -> setup.ini (extension completed from the header)\n"
              "none.in_ -> none..in_ (extension unknown: fallback name)\n"
              "table.ex_ -> table.exe\n");
    EXPECT_EQ(Read("setup.ini"), "[setup]");
    EXPECT_EQ(Read("none..in_"), "nothing recorded");

    // Without -r the header is not read.
    r = Run({"setup.in_"});
    EXPECT_EQ(r.strOut, "setup.in_ -> setup..in_ (extension unknown: fallback name)\n");
    EXPECT_EQ(Read("setup..in_"), "[setup]");
}

TEST_F(ExpandTool, ReadsTheShortHeaderVariantAndKwajWithTheExtensionItRecords) {
    const std::string strData = Data(70000, 11);
    Write("short.ex_", ShortSzddCompress(strData));
    KwajOptions recorded;
    recorded.nFlags = kKwajLength | kKwajName | kKwajExt;
    recorded.strExt = "INI";
    Write("setup.kw_", KwajCompress(strData, 3, recorded));
    Write("plain.tx_", KwajCompress(strData, 4));  // records no extension: the table decides
    ToolResult r = Run({"short.ex_", "setup.kw_", "plain.tx_"});
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "short.ex_ -> short.exe\nsetup.kw_ -> setup.ini\nplain.tx_ -> plain.txt\n");
    EXPECT_EQ(Read("short.exe"), strData);
    EXPECT_EQ(Read("setup.ini"), strData);
    EXPECT_EQ(Read("plain.txt"), strData);
}

TEST_F(ExpandTool, ListDecodesWithoutWritingAndReportsDamage) {
    const std::string strData = Data(50000, 2);
    const std::string strPacked = SzddCompress(strData, 'i');
    Write("good.ex_", strPacked);
    Write("cut.ex_", strPacked.substr(0, strPacked.size() / 2));
    Write("odd.in_", strPacked);
    std::string strMethod = strPacked;
    strMethod[8] = 'B';
    Write("method.dl_", strMethod);
    Write("empty.tx_", SzddHeader(0));

    ToolResult r = Run({"-l", "good.ex_", "cut.ex_", "odd.in_", "method.dl_", "empty.tx_"});
    EXPECT_EQ(r.nStatus, 1);
    char szRatio[32];
    std::snprintf(szRatio, sizeof szRatio, "%.1f%%", strPacked.size() * 100.0 / strData.size());
    char szGood[160], szCut[160];
    std::snprintf(szGood, sizeof szGood, "%10zu %10zu %7s  exe      complete       good.ex_\n", strPacked.size(),
                  strData.size(), szRatio);
    std::snprintf(szCut, sizeof szCut, "%10zu %10zu", strPacked.size() / 2, strData.size());
    EXPECT_EQ(r.strOut.find(szGood), 0u) << r.strOut;
    EXPECT_NE(r.strOut.find(std::string(szCut) + " "), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("  exe      truncated      cut.ex_\n"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("  unknown  complete       odd.in_\n"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("  dll      unknown-method method.dl_\n"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("    ---  txt      complete       empty.tx_\n"), std::string::npos) << r.strOut;
    EXPECT_EQ(r.strErr, Line("cut.ex_: truncated: the data ends before its expanded length") +
                            Line("method.dl_: unknown compression method"));
    EXPECT_EQ(dir.List(), "cut.ex_|empty.tx_|good.ex_|method.dl_|odd.in_");

    // -r names what the header completes; -q leaves the damaged files alone to be told.
    r = Run({"-lr", "odd.in_"});
    EXPECT_NE(r.strOut.find("  ini      complete       odd.in_\n"), std::string::npos) << r.strOut;
    r = Run({"-lq", "good.ex_", "cut.ex_"});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strOut, "");
    EXPECT_EQ(r.strErr, Line("cut.ex_: truncated: the data ends before its expanded length"));
    EXPECT_EQ(Run({"--list", "good.ex_"}).nStatus, 0);
}

#ifndef _WIN32
// The state words of the manual's LISTING section, in its order.
std::vector<std::string> ManualStates() {
    std::string strPage;
    EXPECT_TRUE(SzddReadFile(ZV_MANUAL_PAGE, &strPage));
    const std::vector<std::string> page = Lines(strPage.substr(strPage.find(".SH LISTING")));
    std::vector<std::string> states;
    for (size_t i = 1; i < page.size() && page[i].rfind(".SH", 0) != 0; ++i)
        if (page[i - 1].rfind(".TP", 0) == 0 && page[i].rfind(".B ", 0) == 0)
            states.push_back(std::regex_replace(page[i].substr(3), std::regex("\\\\-"), "-"));
    return states;
}
#endif

TEST_F(ExpandTool, ListTellsEveryStateAsTheManualDefinesIt) {
    const std::string strData = Data(30000, 5);
    const std::string strPacked = SzddCompress(strData);
    std::string strMethod = strPacked;
    strMethod[8] = 'B';
    KwajOptions noLength;
    noLength.nFlags = 0;
    std::string strFieldCut = KwajHeader(0, noLength);
    strFieldCut[12] = kKwajName;  // a name that the end of the file cuts off
    struct Case {
        const char* pszFile;
        std::string strBytes;  // the file's content; empty: a file the system provides
        const char* pszState;
        uint64_t nExpanded;
    };
    const Case cases[] = {
        {"good.ex_", strPacked, "complete", strData.size()},
        {"nolength.ex_", KwajCompress(strData, 3, noLength), "complete", strData.size()},  // as long as its data
        {"cut.ex_", strPacked.substr(0, 1000), "truncated", strData.size()},
        {"cutdeflate.ex_", KwajCompress(strData, 4).substr(0, 500), "truncated", strData.size()},
        {"method.ex_", strMethod, "unknown-method", strData.size()},
        {"tables.ex_", LzhTables({{4, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}}), "corrupt", 0},
        {"deflate.ex_", KwajHeader(4, noLength) + std::string("\x06\x00" "CK\xFF\xFF\xFF\xFF\x00\x00", 10), "corrupt", 0},
        {"offset.ex_", KwajHeader(0, noLength, 3) + "data", "corrupt", 0},
        {"field.ex_", strFieldCut + "NAME", "corrupt", 0},
#ifndef _WIN32
        {"/proc/self/mem", "", "read-error", 0},  // the kernel refuses to read it at offset 0
#endif
        {"plain.tx_", "not compressed at all", "uncompressed", 21},
        {"set.cab", CabArchive({{"a.txt", "ab"}, {"b.txt", "cde"}}, kCabMszip), "archive", 5},
        {"next.tx_", CabArchive({{"a.txt", "ab"}}, kCabMszip, kCabHasNext), "spanned", 2},
    };
    std::vector<std::string> seen;
    for (const Case& c : cases) {
        if (!c.strBytes.empty()) Write(c.pszFile, c.strBytes);
        ToolResult r = Run({"-l", c.pszFile});
        std::istringstream line(r.strOut);
        std::string strCompressed, strExpanded, strRatio, strExt, strState;
        line >> strCompressed >> strExpanded >> strRatio >> strExt >> strState;
        EXPECT_EQ(strState, c.pszState) << c.pszFile << ": " << r.strOut;
        EXPECT_EQ(strExpanded, std::to_string(c.nExpanded)) << c.pszFile;
        const bool bDamaged = r.nStatus != 0;
        EXPECT_EQ(bDamaged, !r.strErr.empty()) << c.pszFile << ": " << r.strErr;
        EXPECT_EQ(bDamaged, strState != "complete" && strState != "uncompressed" && strState != "archive") << c.pszFile;
        if (std::find(seen.begin(), seen.end(), c.pszState) == seen.end()) seen.push_back(c.pszState);
    }
#ifndef _WIN32
    EXPECT_EQ(seen, ManualStates());
#endif
}

TEST_F(ExpandTool, SalvageWritesWhatADamagedFileYieldsAndStillFails) {
    const std::string strData = Data(40000, 6);
    // A header that promises more than its data holds, and KWAJ data malformed after its first block.
    std::string strCut = SzddHeader(5237) + SzddStreamBuilder().Literals("twenty bytes of data").Body();
    KwajOptions noLength;
    noLength.nFlags = 0;
    std::string strBadBlock = KwajCompress(strData, 4, noLength);
    const size_t nSecond = 14 + 2 + (uint8_t(strBadBlock[14]) | uint8_t(strBadBlock[15]) << 8);
    strBadBlock.replace(nSecond + 4, 4, "\xFF\xFF\xFF\xFF");
    struct Case {
        const char* pszFile;
        std::string strBytes;
        const char* pszOutput;
        std::string strYield;
        const char* pszReason;
    };
    const Case cases[] = {
        {"cut.tx_", strCut, "cut.txt", "twenty bytes of data", "truncated: the data ends before its expanded length"},
        {"block.dl_", strBadBlock, "block.dll", strData.substr(0, 32768), "corrupt data"},
    };
    for (const Case& c : cases) {
        Write(c.pszFile, c.strBytes);
        Write(c.pszOutput, "kept");
        ToolResult r = Run({c.pszFile});  // refused by default: the old file stays
        EXPECT_EQ(r.nStatus, 1);
        EXPECT_EQ(r.strErr, std::string(kToolName) + ": " + c.pszFile + ": " + c.pszReason + "\n");
        EXPECT_EQ(Read(c.pszOutput), "kept");
        r = Run({"--salvage", c.pszFile});  // nor over an existing file
        EXPECT_EQ(r.strErr, std::string(kToolName) + ": " + c.pszFile + ": " + c.pszOutput +
                                " exists; not replaced (--salvage never replaces a file)\n");
        EXPECT_EQ(Read(c.pszOutput), "kept");

        ASSERT_EQ(::unlink((dir / c.pszOutput).c_str()), 0);
        r = Run({"--salvage", c.pszFile});
        EXPECT_EQ(r.nStatus, 1);
        EXPECT_EQ(r.strOut, std::string(c.pszFile) + " -> " + c.pszOutput + " (damaged)\n");
        EXPECT_EQ(r.strErr, std::string(kToolName) + ": " + c.pszFile +
                                ": damaged, written as far as its data goes: " + c.pszReason + "\n");
        EXPECT_TRUE(Read(c.pszOutput) == c.strYield) << c.pszFile;
    }
    // An unknown method yields nothing to salvage.
    std::string strMethod = SzddCompress(strData);
    strMethod[8] = 'B';
    Write("method.ex_", strMethod);
    EXPECT_EQ(Run({"--salvage", "method.ex_"}).strErr, Line("method.ex_: unknown compression method"));
    EXPECT_EQ(Read("method.exe"), "<missing>");
}

TEST_F(ExpandTool, RecordedExtensionsThatCannotNameAFileAreRefusedAndNothingLeavesTheFolder) {
    const std::string strNote = " (recorded extension refused) (extension unknown: fallback name)\n";
    MakeFolder("in");
    MakeFolder("out");
    std::vector<std::string> args = {"-d", "out"};
    std::string strLines, strTreeLines, strFolders;
    for (const char* pszRecorded : {"/ab", "\\ab", "..", "\x1B\n", ":x", "a.b"}) {
        const std::string strSub = std::to_string(args.size() - 2);
        KwajOptions o;
        o.nFlags = kKwajExt;
        o.strExt = pszRecorded;
        MakeFolder("in/" + strSub);
        Write("in/" + strSub + "/..x_", KwajCompress("data", 0, o));
        args.push_back("in/" + strSub + "/..x_");
        strLines += args.back() + " -> " + P("out/...x_") + strNote;
        strTreeLines += P(args.back() + " -> out/" + strSub + "/...x_") + strNote;
        strFolders += "|" + strSub;
    }
    ToolResult r = Run(args);
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, strLines);
    r = Run({"-R", "-d", "out", "in"});
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, strTreeLines);
    EXPECT_EQ(dir.List() + "," + dir.List("out") + "," + dir.List("out/5") + "," + dir.List("in/5"),
              "in|out,...x_" + strFolders + ",...x_,..x_");
}

#ifndef _WIN32
TEST_F(ExpandTool, ABackslashIsPartOfANameAndNamesKeepTheirCase) {
    Compress("p\\a.ex_", "p");
    Compress("q\\a.ex_", "q");
    KwajOptions o;
    o.nFlags = kKwajExt;
    o.strExt = "EXE";
    Write("X.EXE", KwajCompress("x", 0, o));
    MakeFolder("out");
    ToolResult r = Run({"-d", "out", "p\\a.ex_", "q\\a.ex_", "X.EXE"});
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "p\\a.ex_ -> out/p\\a.exe\nq\\a.ex_ -> out/q\\a.exe\nX.EXE -> out/X.exe\n");
    EXPECT_EQ(Read("out/p\\a.exe") + Read("out/q\\a.exe"), "pq");
    r = Run({"X.EXE"});
    EXPECT_EQ(r.strOut, "X.EXE -> X.exe\n") << r.strErr;
    EXPECT_EQ(Read("X.exe"), "x");
}
#endif

TEST_F(ExpandTool, RecursiveTakesTheCompressedFilesOfTheWholeTree) {
    MakeFolder("disk");
    MakeFolder("disk/sub");
    MakeFolder("disk/sub/deeper");
    MakeFolder("disk/sub/x.ex_");  // a folder, whatever its name
    Compress("disk/a.ex_", "a");
    Write("disk/readme.txt", "not compressed, not taken");
    Compress("disk/sub/b.tx_", "b");
    Compress("disk/sub/deeper/c.dl_", "c");
    Compress("disk/sub/x.ex_/d.ex_", "d");
#ifndef _WIN32
    ASSERT_EQ(::symlink(".", (dir / "disk/sub/loop").c_str()), 0);  // never followed
#endif

    ToolResult r = Run({"disk"});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strErr, Line("disk: is a folder (-R takes the compressed files in it)"));

    MakeFolder("out");
    r = Run({"-R", "-d", "out", "disk"});
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, P("disk/a.ex_ -> out/a.exe\n"
                          "disk/sub/b.tx_ -> out/sub/b.txt\n"
                          "disk/sub/deeper/c.dl_ -> out/sub/deeper/c.dll\n"
                          "disk/sub/x.ex_/d.ex_ -> out/sub/x.ex_/d.exe\n"));
    EXPECT_EQ(Read("out/sub/deeper/c.dll"), "c");
    EXPECT_EQ(Read("out/sub/x.ex_/d.exe"), "d");

    r = Run({"--recursive", "-q", "disk/"});
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "");
    EXPECT_EQ(Read("disk/a.exe"), "a");
    EXPECT_EQ(Read("disk/sub/b.txt"), "b");
    EXPECT_EQ(Read("disk/sub/deeper/c.dll"), "c");
    EXPECT_EQ(Read("disk/sub/x.ex_/d.exe"), "d");
}

TEST_F(ExpandTool, NoClobberKeepsExistingFilesAndGoesOn) {
    Compress("a.ex_", "new a");
    Compress("b.ex_", "new b");
    Write("a.exe", "old a");
    ToolResult r = Run({"-n", "a.ex_", "b.ex_"});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strOut, "b.ex_ -> b.exe\n");
    EXPECT_EQ(r.strErr, Line("a.ex_: a.exe exists; not replaced"));
    EXPECT_EQ(Read("a.exe"), "old a");
    EXPECT_EQ(Read("b.exe"), "new b");
    EXPECT_EQ(dir.List(), "a.ex_|a.exe|b.ex_|b.exe");

    EXPECT_EQ(Run({"-f", "--no-clobber", "a.ex_"}).nStatus, 1);
    EXPECT_EQ(Read("a.exe"), "old a");
    // The last of -n and -f counts; replacing is the default.
    EXPECT_EQ(Run({"-nf", "a.ex_"}).nStatus, 0);
    EXPECT_EQ(Read("a.exe"), "new a");
    Write("b.exe", "old b");
    EXPECT_EQ(Run({"b.ex_"}).nStatus, 0);
    EXPECT_EQ(Read("b.exe"), "new b");
}

TEST_F(ExpandTool, StdoutCarriesTheExpandedDataByteForByte) {
    std::string strData = Data(300000, 3);
    for (int c = 0; c < 256; ++c) strData.push_back(static_cast<char>(c));
    Compress("a.ex_", strData);
    ToolResult r = Run({"-c", "a.ex_"});
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_TRUE(r.strOut == strData);
    EXPECT_EQ(r.strErr, "");
    r = Run({"--stdout", "a.ex_"});
    EXPECT_TRUE(r.strOut == strData);
    EXPECT_EQ(dir.List(), "a.ex_");

    r = Run({"-c", "a.ex_"}, Terminal::kStdout);
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strOut, "");
    EXPECT_NE(r.strErr.find(Line("a.ex_: not written to a terminal").substr(0, 40)), std::string::npos) << r.strErr;

    Write("cut.ex_", SzddCompress(strData).substr(0, 20000));
    r = Run({"-c", "cut.ex_"});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strErr, Line("cut.ex_: truncated: the data ends before its expanded length"));
    EXPECT_TRUE(strData.compare(0, r.strOut.size(), r.strOut) == 0);
}

TEST_F(ExpandTool, QuietKeepsOnlyErrorsAndProgressIsForLargeFilesOnATerminal) {
    Compress("small.tx_", "small");
    ToolResult r = Run({"-q", "small.tx_", "gone.tx_"});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strOut, "");
    EXPECT_EQ(r.strErr, Line("gone.tx_: No such file or directory"));

    const std::string strBig = Data(6 << 20, 4);
    Compress("big.ex_", strBig);
    EXPECT_EQ(Run({"big.ex_"}).strErr, "");  // not on a pipe
    EXPECT_TRUE(Read("big.exe") == strBig);
#ifndef _WIN32
    // What a console shows cannot be read back, only a terminal's stream.
    r = Run({"big.ex_"}, Terminal::kStderr);
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_EQ(r.strOut, "big.ex_ -> big.exe\n");
    EXPECT_NE(r.strErr.find("\rzorvane-expand: big.ex_: "), std::string::npos) << r.strErr;
    EXPECT_NE(r.strErr.find("%"), std::string::npos) << r.strErr;
    // Not with -q, not for a small file.
    EXPECT_EQ(Run({"-q", "big.ex_"}, Terminal::kStderr).strErr, "");
    EXPECT_EQ(Run({"small.tx_"}, Terminal::kStderr).strErr, "");
    r = Run({"-l", "big.ex_"}, Terminal::kStderr);
    EXPECT_NE(r.strErr.find("zorvane-expand: big.ex_: "), std::string::npos) << r.strErr;
#endif
}

}  // namespace
