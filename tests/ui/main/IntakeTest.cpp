// Files entering the list: a folder opened with the command, files and folders
// dropped on the window, and the file-open dialog, each driven for real.
#include "tests/support/MainDlgHarness.h"
#include <algorithm>

namespace {

using Rows = std::vector<std::string>;

const char kPanda[] = "パンダ";  // its last byte is 0x5F

// A.EX_, B.TXT, C.DL_, パンダ and a subfolder SUB.EX_ with a compressed file in it.
struct SampleFolder {
    SampleFolder()
    {
        // The name rule sees bytes: ダ is 0x83 0x5F in code page 932.
        EXPECT_EQ(std::string(kPanda).substr(4), "\x83_");
        folder.File("A.EX_");
        folder.File("B.TXT");
        folder.File("C.DL_");
        folder.File(kPanda);
        folder.Folder("SUB.EX_");
        folder.File("SUB.EX_\\INNER.EX_");
    }

    // The full paths of the folder's entries that pass the test, in the file system's order.
    Rows InFileSystemOrder(const Rows& names) const
    {
        Rows paths;
        WIN32_FIND_DATAA found;
        HANDLE hFind = FindFirstFileA(folder.Path("*.*").c_str(), &found);
        EXPECT_NE(hFind, INVALID_HANDLE_VALUE);
        do {
            if (std::find(names.begin(), names.end(), found.cFileName) != names.end())
                paths.push_back(folder.Path(found.cFileName));
        } while (FindNextFileA(hFind, &found));
        FindClose(hFind);
        return paths;
    }

    CTempFolder folder;
};

TEST(IntakeTest, OpenFolderTakesTheCompressedFilesButNoSubfolder)
{
    SampleFolder sample;
    CCountingQueries queries;
    CDrivenMainDlg dlg;
    dlg.Run([&](CDrivenMainDlg& d) {
        const int nBefore = queries.m_nRefreshes;
        CBoxDriver driver(d, [&](HWND hWndPicker) { ChooseFolder(hWndPicker, sample.folder.m_strPath); });
        d.Command(ID_FILE_OPENFOLDER);
        driver.Join();
        EXPECT_TRUE(driver.Found());
        EXPECT_EQ(d.Column(0), sample.InFileSystemOrder({"A.EX_", "C.DL_", kPanda}));
        EXPECT_EQ(queries.m_nRefreshes, nBefore + 1);
        EXPECT_EQ(d.StatusText(0), "3 個のファイル");
    });
}

TEST(IntakeTest, CancelledFolderPickerAddsNothingAndDoesNotRefresh)
{
    CCountingQueries queries;
    CDrivenMainDlg dlg;
    dlg.Run([&](CDrivenMainDlg& d) {
        const int nBefore = queries.m_nRefreshes;
        CBoxDriver driver(d, &CancelBox);
        d.Command(ID_FILE_OPENFOLDER);
        driver.Join();
        EXPECT_TRUE(driver.Found());
        EXPECT_EQ(d.RowCount(), 0);
        EXPECT_EQ(queries.m_nRefreshes, nBefore);
    });
}

// Posts a drop as the shell does and waits until the window has handled it.
void Drop(CDrivenMainDlg& d, HDROP hDrop)
{
    PostMessageA(d.m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(hDrop), 0);
    EXPECT_TRUE(PumpPosted());
}

TEST(IntakeTest, DroppedFolderGivesItsCompressedEntriesSubfoldersIncluded)
{
    SampleFolder sample;
    CCountingQueries queries;
    CDrivenMainDlg dlg;
    dlg.Run([&](CDrivenMainDlg& d) {
        const int nBefore = queries.m_nRefreshes;
        const HDROP hDrop = MakeDrop({sample.folder.m_strPath});
        Drop(d, hDrop);
        EXPECT_EQ(d.Column(0), sample.InFileSystemOrder({"A.EX_", "C.DL_", kPanda, "SUB.EX_"}));
        EXPECT_EQ(queries.m_nRefreshes, nBefore + 1);
        // The window releases the drop block once it is done with it.
        EXPECT_EQ(GlobalSize(hDrop), 0u);
    });
}

TEST(IntakeTest, DroppedFilesAndFolderAreAddedInDropOrderWithOneRefresh)
{
    SampleFolder sample;
    CTempFolder other;
    const std::string text = other.File("B.TXT");
    const std::string compressed = other.File("Z.EX_");
    const std::string system = other.File("SYS.EX_");
    SetFileAttributesA(system.c_str(), FILE_ATTRIBUTE_SYSTEM);
    CCountingQueries queries;
    CDrivenMainDlg dlg;
    dlg.Run([&](CDrivenMainDlg& d) {
        const int nBefore = queries.m_nRefreshes;
        const HCURSOR hArrow = LoadCursorA(nullptr, IDC_ARROW);
        SetCursor(hArrow);
        Drop(d, MakeDrop({text, compressed, sample.folder.m_strPath, system, other.Path("MISSING.EX_")}));
        // The wait cursor shows while the drop is taken in, and the user's comes back after.
        EXPECT_EQ(queries.m_hCursorAtRefresh, LoadCursorA(nullptr, IDC_WAIT));
        EXPECT_EQ(GetCursor(), hArrow);
        Rows expected = {text, compressed};
        for (const std::string& path : sample.InFileSystemOrder({"A.EX_", "C.DL_", kPanda, "SUB.EX_"}))
            expected.push_back(path);
        // A dropped file needs no name rule; a system file or a missing path adds nothing.
        EXPECT_EQ(d.Column(0), expected);
        EXPECT_EQ(queries.m_nRefreshes, nBefore + 1);
        EXPECT_EQ(d.CellText(0, 1), "特定不可");
        EXPECT_EQ(d.CellText(1, 1), "exe");
        EXPECT_EQ(d.StatusText(0), std::to_string(expected.size()) + " 個のファイル");
    });
}

TEST(IntakeTest, WideDropBlockGivesTheSameRowsInTheAnsiCodePage)
{
    SampleFolder sample;
    const std::string japanese = sample.folder.File("ソフト.EX_");
    CDrivenMainDlg dlg;
    dlg.Run([&](CDrivenMainDlg& d) {
        Drop(d, MakeDrop({japanese, sample.folder.Path("A.EX_"), sample.folder.m_strPath}, true));
        Rows expected = {japanese, sample.folder.Path("A.EX_")};
        for (const std::string& path :
             sample.InFileSystemOrder({"A.EX_", "C.DL_", kPanda, "SUB.EX_", "ソフト.EX_"}))
            expected.push_back(path);
        EXPECT_EQ(d.Column(0), expected);
    });
}

TEST(IntakeTest, EmptyDropStillRefreshes)
{
    CCountingQueries queries;
    CDrivenMainDlg dlg;
    dlg.Run([&](CDrivenMainDlg& d) {
        SendMessageA(d.m_hWndStatus, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("stale"));
        const int nBefore = queries.m_nRefreshes;
        const HDROP hDrop = MakeDrop({});
        Drop(d, hDrop);
        EXPECT_EQ(d.RowCount(), 0);
        EXPECT_EQ(queries.m_nRefreshes, nBefore + 1);
        EXPECT_EQ(d.StatusText(0), "0 個のファイル");
        EXPECT_EQ(GlobalSize(hDrop), 0u);
    });
}

TEST(IntakeTest, ScannedPathsThatAnEntryCannotHoldAreSkipped)
{
    CTempFolder scratch;
    // A folder whose path is 200 bytes, so that the names below make paths of 259 and 260 bytes.
    const size_t nFolderLength = 200;
    ASSERT_LT(scratch.m_strPath.size() + 2, nFolderLength);
    const std::string folder =
        scratch.Folder(std::string(nFolderLength - scratch.m_strPath.size() - 1, 'D'));
    ASSERT_EQ(folder.size(), nFolderLength);
    const std::string fits = folder + "\\" + std::string(259 - nFolderLength - 5, 'F') + ".EX_";
    const std::string tooLong = folder + "\\" + std::string(260 - nFolderLength - 5, 'L') + ".EX_";
    ASSERT_EQ(fits.size(), 259u);
    ASSERT_EQ(tooLong.size(), 260u);
    HANDLE hFile = CreateFileA(fits.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(hFile, INVALID_HANDLE_VALUE);
    CloseHandle(hFile);
    hFile = CreateFileW((L"\\\\?\\" + Widen(tooLong)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(hFile, INVALID_HANDLE_VALUE);
    CloseHandle(hFile);
    const std::string shortName = scratch.File("OK.EX_");

    CDrivenMainDlg dlg;
    dlg.Run([&](CDrivenMainDlg& d) {
        Drop(d, MakeDrop({folder, shortName}));
        EXPECT_EQ(d.Column(0), (Rows{fits, shortName}));
    });
}

// The file-open dialog's controls, found from the thread that drives it.
std::string SelectedFilter(HWND hWndDialog)
{
    const HWND hWndCombo = GetDlgItem(hWndDialog, cmb1);
    const LRESULT nSelected = SendMessageA(hWndCombo, CB_GETCURSEL, 0, 0);
    char szText[256] = {};
    if (nSelected >= 0)
        SendMessageA(hWndCombo, CB_GETLBTEXT, static_cast<WPARAM>(nSelected), reinterpret_cast<LPARAM>(szText));
    return szText;
}

Rows ListedNames(HWND hWndDialog)
{
    HWND hWndView = FindWindowExA(hWndDialog, nullptr, "SHELLDLL_DefView", nullptr);
    HWND hWndList = hWndView ? FindWindowExA(hWndView, nullptr, "SysListView32", nullptr) : nullptr;
    return ListColumn(hWndList, 0);
}

void TypeFileName(HWND hWndDialog, const std::string& name)
{
    SendMessageA(hWndDialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageA(hWndDialog, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(name.c_str()));
    PostMessageA(hWndDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hWndDialog, IDOK)));
}

// Runs the open-file command with the dialog driven by act; the folder is where it opens.
void OpenFile(CDrivenMainDlg& d, const std::string& folder, const std::function<void(HWND)>& act)
{
    char szPrevious[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, szPrevious);
    SetCurrentDirectoryA(folder.c_str());
    CBoxDriver driver(d, act);
    d.Command(ID_FILE_OPEN);
    driver.Join();
    EXPECT_TRUE(driver.Found());
    EXPECT_FALSE(driver.Stuck());
    SetCurrentDirectoryA(szPrevious);
}

TEST(IntakeTest, OpenFileDialogListsCompressedFilesAndAddsTheChosenOne)
{
    SampleFolder sample;
    CCountingQueries queries;
    CDrivenMainDlg dlg;
    dlg.Run([&](CDrivenMainDlg& d) {
        const int nBefore = queries.m_nRefreshes;
        std::string title, filter;
        Rows listed;
        HWND hWndOwner = nullptr;
        OpenFile(d, sample.folder.m_strPath, [&](HWND hWndDialog) {
            hWndOwner = GetWindow(hWndDialog, GW_OWNER);
            title = WindowText(hWndDialog);
            filter = SelectedFilter(hWndDialog);
            listed = ListedNames(hWndDialog);
            TypeFileName(hWndDialog, "C.DL_");
        });
        EXPECT_EQ(title, "圧縮ファイルを開く");
        EXPECT_EQ(hWndOwner, d.m_hWnd);
        EXPECT_EQ(filter, "MS-EXPAND 圧縮ファイル (*.??_)");
        EXPECT_NE(std::find(listed.begin(), listed.end(), "A.EX_"), listed.end());
        EXPECT_NE(std::find(listed.begin(), listed.end(), "C.DL_"), listed.end());
        EXPECT_EQ(std::find(listed.begin(), listed.end(), "B.TXT"), listed.end());
        EXPECT_EQ(std::find(listed.begin(), listed.end(), "B"), listed.end());
        EXPECT_EQ(d.Column(0), (Rows{sample.folder.Path("C.DL_")}));
        EXPECT_EQ(queries.m_nRefreshes, nBefore + 1);
        EXPECT_EQ(d.StatusText(0), "1 個のファイル");
    });
}

TEST(IntakeTest, OpenFileTakesAMissingNameAndCancelChangesNothing)
{
    CTempFolder folder;
    CCountingQueries queries;
    CDrivenMainDlg dlg;
    dlg.Run([&](CDrivenMainDlg& d) {
        const int nBefore = queries.m_nRefreshes;
        OpenFile(d, folder.m_strPath, [&](HWND hWndDialog) { TypeFileName(hWndDialog, "NOTTHERE.EX_"); });
        EXPECT_EQ(d.Column(0), (Rows{folder.Path("NOTTHERE.EX_")}));
        EXPECT_EQ(queries.m_nRefreshes, nBefore + 1);

        OpenFile(d, folder.m_strPath, &CancelBox);
        EXPECT_EQ(d.RowCount(), 1);
        EXPECT_EQ(queries.m_nRefreshes, nBefore + 1);
    });
}

}  // namespace
