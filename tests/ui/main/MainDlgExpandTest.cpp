// The main window's expand command and the opening of a row through the temporary folder.
#include "tests/szdd/CabWriter.h"
#include "tests/szdd/SzddWriter.h"
#include "tests/support/MainDlgHarness.h"
#include <shellapi.h>

namespace {

const char kExpandCaption[] = "ファイル展開エラー";
const char kNoExtensionText[] = "展開するファイルの拡張子が特定されていません。\n拡張子を特定してからやり直してください。";
const char kFailedText[] = "展開できなかったファイルがあります。\nそれらのファイルはリストに残っています。";
const char kOpenFailedText[] = "ファイルを開けませんでした。\nこのファイルを開くプログラムを確認してください。";

std::string ReadAll(const std::string& path)
{
    std::string bytes;
    return SzddReadFile(path, &bytes) ? bytes : std::string("<no file>");
}

std::string Content(int i)
{
    return "expanded content of file " + std::to_string(i) + std::string(300, static_cast<char>('a' + i));
}

class MainDlgExpandTest : public testing::Test {
protected:
    // Writes compressed files named after the list: "A.EX_" holds Content(0) and so on.
    std::vector<std::string> Make(const std::vector<std::string>& names)
    {
        std::vector<std::string> paths;
        for (size_t i = 0; i < names.size(); ++i) {
            paths.push_back(m_src.Path(names[i]));
            EXPECT_TRUE(SzddWriteCompressedFile(paths.back(), Content(static_cast<int>(i))));
        }
        return paths;
    }

    CTempFolder m_src;
    CTempFolder m_dest;
};

TEST_F(MainDlgExpandTest, SameFolderMarkerExpandsBesideTheSourcesAndRemovesTheRows)
{
    const auto paths = Make({"A.EX_", "B.tx_", "C.DL_"});
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = paths;
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({0, 2});
        d.Click(IDC_EXPAND);
        EXPECT_EQ(d.Column(0), (std::vector<std::string>{paths[1]}));
        ASSERT_EQ(d.m_apFiles.size(), 1u);
        EXPECT_STREQ(d.m_apFiles[0]->m_szPath, paths[1].c_str());
    });
    EXPECT_TRUE(dlg.m_boxes.empty());
    EXPECT_EQ(ReadAll(m_src.Path("A.exe")), Content(0));
    EXPECT_EQ(ReadAll(m_src.Path("C.dll")), Content(2));
    EXPECT_FALSE(FileExists(m_src.Path("B.txt")));
}

TEST_F(MainDlgExpandTest, DestinationFolderGetsABackslashUnlessItIsADriveRoot)
{
    const auto paths = Make({"A.EX_", "ZVROOT" + std::to_string(GetCurrentProcessId()) + ".EX_"});
    const std::string rootCopy = "C:\\ZVROOT" + std::to_string(GetCurrentProcessId()) + ".exe";
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = paths;
    dlg.Run([&](CDrivenMainDlg& d) {
        d.m_strDestination = m_dest.m_strPath;
        d.Select({0});
        d.Click(IDC_EXPAND);
        d.m_strDestination = "C:\\";
        d.Select({0});
        d.Click(IDC_EXPAND);
        EXPECT_EQ(d.RowCount(), 0);
    });
    EXPECT_TRUE(dlg.m_boxes.empty());
    EXPECT_EQ(ReadAll(m_dest.Path("A.exe")), Content(0));
    EXPECT_FALSE(FileExists(m_src.Path("A.exe")));
    EXPECT_EQ(ReadAll(rootCopy), Content(1));
    DeleteFileA(rootCopy.c_str());
}

TEST(MainDlgDestinationPrefixTest, OnlyADriveRootIsUsedAsItStands)
{
    CMainDlg dlg;
    EXPECT_EQ(dlg.DestinationPrefix(), "");
    dlg.m_strDestination = "C:\\";
    EXPECT_EQ(dlg.DestinationPrefix(), "C:\\");
    dlg.m_strDestination = "D:\\DATA";
    EXPECT_EQ(dlg.DestinationPrefix(), "D:\\DATA\\");
    // The same-folder text that the button shows is a folder name like any other.
    dlg.m_strDestination = "圧縮ファイルと同じフォルダへ展開します。";
    EXPECT_EQ(dlg.DestinationPrefix(), dlg.m_strDestination + "\\");
}

TEST_F(MainDlgExpandTest, StopsAtAnEntryWithoutExtensionAndLeavesTheRestSelected)
{
    const auto paths = Make({"A.EX_", "B.QQ_", "C.EX_", "D.EX_"});
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = paths;
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({0, 1, 2});
        d.Click(IDC_EXPAND);
        EXPECT_EQ(d.Column(0), (std::vector<std::string>{paths[1], paths[2], paths[3]}));
        EXPECT_EQ(d.SelectedRows(), (std::vector<int>{0, 1}));
        EXPECT_EQ(d.m_apFiles.size(), 3u);
    });
    ASSERT_EQ(dlg.m_boxes.size(), 1u);
    EXPECT_EQ(dlg.m_boxes[0].caption, kExpandCaption);
    EXPECT_TRUE(dlg.m_boxes[0].HasText(kNoExtensionText));
    EXPECT_EQ(ReadAll(m_src.Path("A.exe")), Content(0));
    EXPECT_FALSE(FileExists(m_src.Path("C.exe")));
}

TEST_F(MainDlgExpandTest, FailedExpansionKeepsItsRowSelectedAndTheOthersGoOn)
{
    auto paths = Make({"A.EX_", "C.EX_"});
    const std::string missing = m_src.Path("MISSING.EX_");
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {paths[0], missing, missing, paths[1]};
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({0, 1, 2, 3});
        d.Click(IDC_EXPAND);
        EXPECT_EQ(d.Column(0), (std::vector<std::string>{missing, missing}));
        EXPECT_EQ(d.SelectedRows(), (std::vector<int>{0, 1}));
        EXPECT_EQ(d.m_apFiles.size(), 2u);
    });
    ASSERT_EQ(dlg.m_boxes.size(), 1u);
    EXPECT_EQ(dlg.m_boxes[0].caption, kExpandCaption);
    EXPECT_TRUE(dlg.m_boxes[0].HasText(kFailedText));
    EXPECT_EQ(ReadAll(m_src.Path("A.exe")), Content(0));
    EXPECT_EQ(ReadAll(m_src.Path("C.exe")), Content(1));
}

TEST_F(MainDlgExpandTest, FailureWarningFollowsTheMissingExtensionWarning)
{
    const auto paths = Make({"B.QQ_"});
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {m_src.Path("MISSING.EX_"), paths[0]};
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({0, 1});
        d.Click(IDC_EXPAND);
        EXPECT_EQ(d.RowCount(), 2);
    });
    ASSERT_EQ(dlg.m_boxes.size(), 2u);
    EXPECT_TRUE(dlg.m_boxes[0].HasText(kNoExtensionText));
    EXPECT_TRUE(dlg.m_boxes[1].HasText(kFailedText));
    EXPECT_EQ(dlg.m_boxes[1].caption, kExpandCaption);
}

TEST_F(MainDlgExpandTest, ACabinetOfOneFileExpandsAndAnArchiveStaysWithAWarningOfItsOwn)
{
    // ソ of the archive's name ends in the byte 0x5C, which must not cut the name.
    const std::string one = m_src.Path("ACPI.SY_"), archive = m_src.Path("\x83\x5C\x83\x74\x83\x67.CAB");
    ASSERT_TRUE(SzddWriteFile(one, CabCompress(Content(0), "acpi.sys", CabLzx(21))));
    ASSERT_TRUE(SzddWriteFile(archive, CabArchive({{"a.txt", "a"}, {"i386\\b.txt", "bc"}}, kCabMszip)));
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {one, archive};
    dlg.Run([&](CDrivenMainDlg& d) {
        EXPECT_EQ(d.Column(1), (std::vector<std::string>{"sys", "特定不可"}));
        EXPECT_EQ(d.Column(3), (std::vector<std::string>{std::to_string(Content(0).size()) + " Byte", "3 Byte"}));
        d.Select({0, 1});
        d.Click(IDC_EXPAND);
        EXPECT_EQ(d.Column(0), (std::vector<std::string>{archive}));
        // Opening it says the same, and opens nothing.
        d.Select({0});
        d.Activate();
    });
    const char kArchiveText[] = "ソフト.CAB は 2 個のファイルを収めたキャビネットです。\nコマンドライン ツールで展開してください。";
    ASSERT_EQ(dlg.m_boxes.size(), 2u);
    for (const SeenBox& box : dlg.m_boxes) {
        EXPECT_EQ(box.caption, kExpandCaption);
        EXPECT_TRUE(box.HasText(kArchiveText));
    }
    EXPECT_TRUE(dlg.m_opened.empty());
    EXPECT_EQ(ReadAll(m_src.Path("ACPI.sys")), Content(0));
    EXPECT_FALSE(FileExists(m_src.Path("a.txt")));
}

TEST_F(MainDlgExpandTest, ExpandWithoutSelectionWarns)
{
    const auto paths = Make({"A.EX_"});
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = paths;
    HWND hWndMain = nullptr;
    dlg.Run([&](CDrivenMainDlg& d) {
        hWndMain = d.m_hWnd;
        d.Select({});
        d.Command(IDC_EXPAND);
        EXPECT_EQ(d.RowCount(), 1);
    });
    ASSERT_EQ(dlg.m_boxes.size(), 1u);
    EXPECT_EQ(dlg.m_boxes[0].caption, kExpandCaption);
    EXPECT_TRUE(dlg.m_boxes[0].HasText("展開するファイルが選択されていません。\nファイルを選択してからやり直してください。"));
    EXPECT_EQ(dlg.m_boxes[0].hWndOwner, hWndMain);
    EXPECT_FALSE(FileExists(m_src.Path("A.exe")));
}

TEST_F(MainDlgExpandTest, ActivationExpandsIntoTheTemporaryFolderAndOpensTheCopyEachTime)
{
    const std::string name = "ZVOPEN" + std::to_string(GetCurrentProcessId());
    const auto paths = Make({"A.EX_", name + ".tx_"});
    const std::string copy = TempPath() + name + ".txt";

    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = paths;
    std::string firstCopy;
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({1});
        d.Activate();
        firstCopy = ReadAll(copy);
        DeleteFileA(copy.c_str());
        d.Activate();
        EXPECT_EQ(d.Column(0), paths);
        EXPECT_EQ(d.SelectedRows(), (std::vector<int>{1}));
    });
    EXPECT_TRUE(dlg.m_boxes.empty());
    EXPECT_EQ(dlg.m_opened, (std::vector<std::string>{copy, copy}));
    EXPECT_TRUE(dlg.m_openedWith.empty());
    EXPECT_EQ(firstCopy, Content(1));
    EXPECT_EQ(ReadAll(copy), Content(1));
    DeleteFileA(copy.c_str());
}

TEST_F(MainDlgExpandTest, DoubleClickOnARowOpensIt)
{
    const std::string name = "ZVDBL" + std::to_string(GetCurrentProcessId());
    const auto paths = Make({name + ".EX_"});
    const std::string copy = TempPath() + name + ".exe";

    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = paths;
    dlg.Run([&](CDrivenMainDlg& d) {
        RECT rc = {};
        rc.left = LVIR_LABEL;
        ASSERT_TRUE(SendMessageA(d.List(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rc)));
        const LPARAM at = MAKELPARAM(rc.left + 5, (rc.top + rc.bottom) / 2);
        SendMessageA(d.List(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(d.List(), WM_LBUTTONUP, 0, at);
        SendMessageA(d.List(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        SendMessageA(d.List(), WM_LBUTTONUP, 0, at);
        PumpPendingMessages();
    });
    EXPECT_EQ(dlg.m_opened, (std::vector<std::string>{copy}));
    DeleteFileA(copy.c_str());
}

// The list of the first Windows 95 and NT 4.0 reports a double-click on a row only as
// NM_DBLCLK; a newer list reports the activation too, which must not open it twice.
TEST_F(MainDlgExpandTest, PlainDoubleClickNoticeOpensTheRowOnlyWhereTheListSendsNoActivation)
{
    const std::string name = "ZVOLD" + std::to_string(GetCurrentProcessId());
    const auto paths = Make({name + ".EX_"});
    const std::string copy = TempPath() + name + ".exe";

    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = paths;
    bool bOpensOnDoubleClick = true;
    size_t nOpenedByNewerList = 0;
    dlg.Run([&](CDrivenMainDlg& d) {
        const auto doubleClick = [&] {
            NMITEMACTIVATE notify = {};
            notify.hdr.hwndFrom = d.List();
            notify.hdr.idFrom = IDC_FILELIST;
            notify.hdr.code = NM_DBLCLK;
            notify.iItem = 0;
            SendMessageA(d.m_hWnd, WM_NOTIFY, IDC_FILELIST, reinterpret_cast<LPARAM>(&notify));
        };
        d.Select({0});
        bOpensOnDoubleClick = d.m_bDoubleClickActivates;
        doubleClick();
        nOpenedByNewerList = d.m_opened.size();
        d.m_bDoubleClickActivates = true;
        doubleClick();
    });
    EXPECT_FALSE(bOpensOnDoubleClick) << "this system's list sends the activation";
    EXPECT_EQ(nOpenedByNewerList, 0u);
    EXPECT_EQ(dlg.m_opened, (std::vector<std::string>{copy}));
    EXPECT_TRUE(dlg.m_boxes.empty());
    DeleteFileA(copy.c_str());
}

TEST_F(MainDlgExpandTest, ActivationThatCannotExpandWarnsAndOpensNothing)
{
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {m_src.Path("MISSING.EX_")};
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({0});
        d.Activate();
        EXPECT_EQ(d.RowCount(), 1);
    });
    EXPECT_TRUE(dlg.m_opened.empty());
    ASSERT_EQ(dlg.m_boxes.size(), 1u);
    EXPECT_EQ(dlg.m_boxes[0].caption, kExpandCaption);
    EXPECT_TRUE(dlg.m_boxes[0].HasText(kFailedText));
}

// Runs the window on the files and activates the first row; returns the copy's path.
std::string ActivateFirstRow(CDrivenMainDlg& dlg, const std::vector<std::string>& paths)
{
    dlg.m_arrStartFiles = paths;
    std::string copy;
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({0});
        d.Activate();
        copy = d.m_apFiles[0]->m_szOutputPath;
    });
    return copy;
}

void ExpectOneOpenFailedWarning(const std::vector<SeenBox>& boxes)
{
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, kExpandCaption);
    EXPECT_TRUE(boxes[0].HasText(kOpenFailedText));
}

TEST_F(MainDlgExpandTest, ActivationOfATypeNoProgramClaimsOffersTheSystemsOpenWith)
{
    CDrivenMainDlg dlg;
    dlg.m_nOpenResult = SE_ERR_NOASSOC;
    const std::string copy = ActivateFirstRow(dlg, Make({"ZVNOASSOC" + std::to_string(GetCurrentProcessId()) + ".tx_"}));
    EXPECT_EQ(dlg.m_opened, (std::vector<std::string>{copy}));
    EXPECT_EQ(dlg.m_openedWith, (std::vector<std::string>{copy}));
    EXPECT_TRUE(dlg.m_boxes.empty());
    DeleteFileA(copy.c_str());
}

TEST_F(MainDlgExpandTest, ActivationWarnsWhenNoProgramClaimsTheTypeAndTheSystemOffersNoOpenWith)
{
    CDrivenMainDlg dlg;
    dlg.m_nOpenResult = SE_ERR_NOASSOC;
    dlg.m_bOpenWithOffered = false;
    const std::string copy = ActivateFirstRow(dlg, Make({"ZVNOCHOICE" + std::to_string(GetCurrentProcessId()) + ".tx_"}));
    EXPECT_EQ(dlg.m_openedWith, (std::vector<std::string>{copy}));
    ExpectOneOpenFailedWarning(dlg.m_boxes);
    // The copy stays, as after an open that worked.
    EXPECT_EQ(ReadAll(copy), Content(0));
    DeleteFileA(copy.c_str());
}

TEST_F(MainDlgExpandTest, ActivationWarnsOnEveryOtherFailureOfTheOpenWithoutOfferingOpenWith)
{
    const auto paths = Make({"ZVOPENFAIL" + std::to_string(GetCurrentProcessId()) + ".tx_"});
    // 32 is the last value that means failure.
    const std::vector<INT_PTR> failures = {0, SE_ERR_FNF, SE_ERR_ACCESSDENIED, SE_ERR_DDEFAIL, SE_ERR_DLLNOTFOUND};
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = paths;
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({0});
        for (INT_PTR nFailure : failures) {
            d.m_nOpenResult = nFailure;
            d.Activate();
        }
    });
    EXPECT_EQ(dlg.m_opened.size(), failures.size());
    EXPECT_TRUE(dlg.m_openedWith.empty());
    ASSERT_EQ(dlg.m_boxes.size(), failures.size());
    for (const SeenBox& box : dlg.m_boxes)
        EXPECT_TRUE(box.HasText(kOpenFailedText));
    DeleteFileA(dlg.m_opened.empty() ? "" : dlg.m_opened[0].c_str());
}

// The main window with the real shell calls behind activation.
class CRealShellMainDlg : public CDrivenMainDlg {
protected:
    INT_PTR OpenWithShell(const char* pszPath) override { return CMainDlg::OpenWithShell(pszPath); }
    bool OfferOpenWith(const char* pszPath) override { return CMainDlg::OfferOpenWith(pszPath); }
};

bool SystemRegistersOpenWith()
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "Unknown\\shell\\openas", 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

// An "open with" of the class of unclaimed types, registered for one test: it copies
// the file it is given to a marker file.
class CRegisteredOpenWith {
public:
    explicit CRegisteredOpenWith(const std::string& marker)
    {
        const std::string command = "cmd.exe /c copy \"%1\" \"" + marker + "\"";
        HKEY hKey = nullptr;
        m_bMade = RegCreateKeyExA(HKEY_CLASSES_ROOT, "Unknown\\shell\\openas\\command", 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &hKey, nullptr) == ERROR_SUCCESS;
        if (m_bMade) {
            RegSetValueExA(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                           static_cast<DWORD>(command.size() + 1));
            RegCloseKey(hKey);
        }
    }
    ~CRegisteredOpenWith()
    {
        for (const char* pszKey : {"Unknown\\shell\\openas\\command", "Unknown\\shell\\openas", "Unknown\\shell", "Unknown"})
            RegDeleteKeyA(HKEY_CLASSES_ROOT, pszKey);
    }
    CRegisteredOpenWith(const CRegisteredOpenWith&) = delete;
    CRegisteredOpenWith& operator=(const CRegisteredOpenWith&) = delete;

    bool m_bMade = false;
};

TEST_F(MainDlgExpandTest, UnclaimedTypeEndsInTheWarningWhereTheSystemRegistersNoOpenWith)
{
    if (SystemRegistersOpenWith())
        GTEST_SKIP() << "this system registers an \"open with\"; it would be shown";
    CRealShellMainDlg dlg;
    const std::string copy = ActivateFirstRow(dlg, Make({"ZVUNCLAIMED" + std::to_string(GetCurrentProcessId()) + ".qq_"}));
    ExpectOneOpenFailedWarning(dlg.m_boxes);
    EXPECT_EQ(ReadAll(copy), Content(0));
    DeleteFileA(copy.c_str());
}

TEST_F(MainDlgExpandTest, UnclaimedTypeGoesToTheOpenWithThatTheSystemRegisters)
{
    if (SystemRegistersOpenWith())
        GTEST_SKIP() << "this system's own \"open with\" would be shown";
    const std::string marker = m_src.Path("opened-with.txt");
    CRegisteredOpenWith openWith(marker);
    ASSERT_TRUE(openWith.m_bMade);
    CRealShellMainDlg dlg;
    const std::string copy = ActivateFirstRow(dlg, Make({"ZVUNCLAIMED" + std::to_string(GetCurrentProcessId()) + ".qq_"}));
    EXPECT_TRUE(dlg.m_boxes.empty());
    // The registered command runs apart from the window; its copy shows that it got the file.
    const DWORD nStart = GetTickCount();
    while (ReadAll(marker) != Content(0) && GetTickCount() - nStart < ScaledMs(30000))
        Sleep(20);
    EXPECT_EQ(ReadAll(marker), Content(0));
    DeleteFileA(copy.c_str());
}

TEST_F(MainDlgExpandTest, ActivationWithoutSelectionDoesNothing)
{
    const auto paths = Make({"A.EX_"});
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = paths;
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({});
        d.Activate();
    });
    EXPECT_TRUE(dlg.m_opened.empty());
    EXPECT_TRUE(dlg.m_boxes.empty());
}

}  // namespace
