// The main window's expand command and the opening of a row through the temporary folder.
#include "tests/szdd/SzddWriter.h"
#include "tests/ui/main/MainDlgTestHarness.h"

namespace {

const char kExpandCaption[] = "ファイル展開エラー";
const char kNoExtensionText[] = "展開するファイルの拡張子が特定されていません。\n拡張子を特定してからやり直してください。";
const char kFailedText[] = "展開できなかったファイルがあります。\nそれらのファイルはリストに残っています。";

std::string ReadAll(const std::string& path)
{
    std::string bytes;
    return SzddReadFile(path, &bytes) ? bytes : std::string("<no file>");
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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
    CScriptedMainDlg dlg;
    dlg.m_arrStartFiles = paths;
    dlg.Run([&](CScriptedMainDlg& d) {
        d.Select({0, 2});
        d.Click(IDC_EXPAND);
        EXPECT_EQ(d.Column(0), (std::vector<std::string>{paths[1]}));
        ASSERT_EQ(d.m_apFiles.size(), 1u);
        EXPECT_STREQ(d.m_apFiles[0]->m_szPath, paths[1].c_str());
    });
    EXPECT_TRUE(dlg.m_boxes.empty());
    EXPECT_EQ(ReadAll(m_src.Path("A.exe")), Content(0));
    EXPECT_EQ(ReadAll(m_src.Path("C.dll")), Content(2));
    EXPECT_FALSE(Exists(m_src.Path("B.txt")));
}

TEST_F(MainDlgExpandTest, DestinationFolderGetsABackslashUnlessItIsADriveRoot)
{
    const auto paths = Make({"A.EX_", "ZVROOT" + std::to_string(GetCurrentProcessId()) + ".EX_"});
    const std::string rootCopy = "C:\\ZVROOT" + std::to_string(GetCurrentProcessId()) + ".exe";
    CScriptedMainDlg dlg;
    dlg.m_arrStartFiles = paths;
    dlg.Run([&](CScriptedMainDlg& d) {
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
    EXPECT_FALSE(Exists(m_src.Path("A.exe")));
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
    // A marker with anything added is a folder name like any other.
    dlg.m_strDestination = std::string(CMainDlg::kSameFolderMarker) + " ";
    EXPECT_EQ(dlg.DestinationPrefix(), dlg.m_strDestination + "\\");
}

TEST_F(MainDlgExpandTest, StopsAtAnEntryWithoutExtensionAndLeavesTheRestSelected)
{
    const auto paths = Make({"A.EX_", "B.QQ_", "C.EX_", "D.EX_"});
    CScriptedMainDlg dlg;
    dlg.m_arrStartFiles = paths;
    dlg.Run([&](CScriptedMainDlg& d) {
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
    EXPECT_FALSE(Exists(m_src.Path("C.exe")));
}

TEST_F(MainDlgExpandTest, FailedExpansionKeepsItsRowSelectedAndTheOthersGoOn)
{
    auto paths = Make({"A.EX_", "C.EX_"});
    const std::string missing = m_src.Path("MISSING.EX_");
    CScriptedMainDlg dlg;
    dlg.m_arrStartFiles = {paths[0], missing, missing, paths[1]};
    dlg.Run([&](CScriptedMainDlg& d) {
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
    CScriptedMainDlg dlg;
    dlg.m_arrStartFiles = {m_src.Path("MISSING.EX_"), paths[0]};
    dlg.Run([&](CScriptedMainDlg& d) {
        d.Select({0, 1});
        d.Click(IDC_EXPAND);
        EXPECT_EQ(d.RowCount(), 2);
    });
    ASSERT_EQ(dlg.m_boxes.size(), 2u);
    EXPECT_TRUE(dlg.m_boxes[0].HasText(kNoExtensionText));
    EXPECT_TRUE(dlg.m_boxes[1].HasText(kFailedText));
    EXPECT_EQ(dlg.m_boxes[1].caption, kExpandCaption);
}

TEST_F(MainDlgExpandTest, ExpandWithoutSelectionWarns)
{
    const auto paths = Make({"A.EX_"});
    CScriptedMainDlg dlg;
    dlg.m_arrStartFiles = paths;
    HWND hWndMain = nullptr;
    dlg.Run([&](CScriptedMainDlg& d) {
        hWndMain = d.m_hWnd;
        d.Select({});
        d.Command(IDC_EXPAND);
        EXPECT_EQ(d.RowCount(), 1);
    });
    ASSERT_EQ(dlg.m_boxes.size(), 1u);
    EXPECT_EQ(dlg.m_boxes[0].caption, kExpandCaption);
    EXPECT_TRUE(dlg.m_boxes[0].HasText("展開するファイルが選択されていません。\nファイルを選択してからやり直してください。"));
    EXPECT_EQ(dlg.m_boxes[0].hWndOwner, hWndMain);
    EXPECT_FALSE(Exists(m_src.Path("A.exe")));
}

TEST_F(MainDlgExpandTest, ActivationExpandsIntoTheTemporaryFolderAndOpensTheCopyEachTime)
{
    const std::string name = "ZVOPEN" + std::to_string(GetCurrentProcessId());
    const auto paths = Make({"A.EX_", name + ".tx_"});
    char szTemp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, szTemp);
    const std::string copy = std::string(szTemp) + name + ".txt";

    CScriptedMainDlg dlg;
    dlg.m_arrStartFiles = paths;
    std::string firstCopy;
    dlg.Run([&](CScriptedMainDlg& d) {
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
    EXPECT_EQ(firstCopy, Content(1));
    EXPECT_EQ(ReadAll(copy), Content(1));
    DeleteFileA(copy.c_str());
}

TEST_F(MainDlgExpandTest, DoubleClickOnARowOpensIt)
{
    const std::string name = "ZVDBL" + std::to_string(GetCurrentProcessId());
    const auto paths = Make({name + ".EX_"});
    char szTemp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, szTemp);
    const std::string copy = std::string(szTemp) + name + ".exe";

    CScriptedMainDlg dlg;
    dlg.m_arrStartFiles = paths;
    dlg.Run([&](CScriptedMainDlg& d) {
        RECT rc = {};
        rc.left = LVIR_LABEL;
        ASSERT_TRUE(SendMessageA(d.List(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rc)));
        const LPARAM at = MAKELPARAM(rc.left + 5, (rc.top + rc.bottom) / 2);
        SendMessageA(d.List(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(d.List(), WM_LBUTTONUP, 0, at);
        SendMessageA(d.List(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        SendMessageA(d.List(), WM_LBUTTONUP, 0, at);
        CScriptedMainDlg::PumpMessages();
    });
    EXPECT_EQ(dlg.m_opened, (std::vector<std::string>{copy}));
    DeleteFileA(copy.c_str());
}

TEST_F(MainDlgExpandTest, ActivationThatCannotExpandWarnsAndOpensNothing)
{
    CScriptedMainDlg dlg;
    dlg.m_arrStartFiles = {m_src.Path("MISSING.EX_")};
    dlg.Run([&](CScriptedMainDlg& d) {
        d.Select({0});
        d.Activate();
        EXPECT_EQ(d.RowCount(), 1);
    });
    EXPECT_TRUE(dlg.m_opened.empty());
    ASSERT_EQ(dlg.m_boxes.size(), 1u);
    EXPECT_EQ(dlg.m_boxes[0].caption, kExpandCaption);
    EXPECT_TRUE(dlg.m_boxes[0].HasText(kFailedText));
}

TEST_F(MainDlgExpandTest, ActivationWithoutSelectionDoesNothing)
{
    const auto paths = Make({"A.EX_"});
    CScriptedMainDlg dlg;
    dlg.m_arrStartFiles = paths;
    dlg.Run([&](CScriptedMainDlg& d) {
        d.Select({});
        d.Activate();
    });
    EXPECT_TRUE(dlg.m_opened.empty());
    EXPECT_TRUE(dlg.m_boxes.empty());
}

}  // namespace
