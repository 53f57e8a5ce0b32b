// Choosing the destination folder with the real folder picker, and going back
// to expanding beside the compressed files.
#include "tests/szdd/SzddWriter.h"
#include "tests/support/MainDlgHarness.h"

namespace {


const char kContent[] = "the expanded bytes of a file that went to the chosen folder";

bool ReadsBack(const std::string& path, const std::string& expected)
{
    std::string bytes;
    return SzddReadFile(path, &bytes) && bytes == expected;
}

TEST(StatusBarDestinationTest, BrowsedFolderBecomesCaptionDriveAndExpandTarget)
{
    CTempFolder sources;
    CTempFolder target;
    const std::string source = sources.Path("SETUP.EX_");
    ASSERT_TRUE(SzddWriteCompressedFile(source, kContent));
    CCountingQueries queries;
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {source};
    dlg.Run([&](CDrivenMainDlg& d) {
        SendMessageA(d.m_hWndStatus, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>("stale"));
        const int nBefore = queries.m_nRefreshes;
        {
            CBoxDriver driver(d, [&](HWND hWndPicker) { ChooseFolder(hWndPicker, target.m_strPath); });
            d.Command(IDC_BROWSE_DEST);
            driver.Join();
            EXPECT_TRUE(driver.Found());
            EXPECT_FALSE(driver.Stuck());
        }
        EXPECT_EQ(d.m_strDestination, target.m_strPath);
        EXPECT_EQ(d.DestinationCaption(), target.m_strPath);
        EXPECT_EQ(queries.m_nRefreshes, nBefore + 1);
        EXPECT_EQ(d.StatusText(1).rfind(target.m_strPath.substr(0, 1) + " ドライブ : ", 0), 0u) << d.StatusText(1);
        EXPECT_EQ(queries.m_roots.back(), target.m_strPath.substr(0, 3));

        d.SelectAll();
        d.Command(IDC_EXPAND);
        EXPECT_EQ(d.RowCount(), 0);
    });
    EXPECT_TRUE(ReadsBack(target.Path("SETUP.exe"), kContent));
    EXPECT_EQ(GetFileAttributesA(sources.Path("SETUP.exe").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(StatusBarDestinationTest, ADriveRootIsUsedAsItsOwnPrefix)
{
    CTempFolder sources;
    const std::string name = "ZV" + std::to_string(GetCurrentProcessId() % 100000);
    const std::string source = sources.Path(name + ".EX_");
    ASSERT_TRUE(SzddWriteCompressedFile(source, kContent));
    const std::string root = sources.m_strPath.substr(0, 3);
    const std::string output = root + name + ".exe";
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {source};
    dlg.Run([&](CDrivenMainDlg& d) {
        CBoxDriver driver(d, [&](HWND hWndPicker) { ChooseFolder(hWndPicker, root); });
        d.Command(IDC_BROWSE_DEST);
        driver.Join();
        EXPECT_EQ(d.m_strDestination, root);
        EXPECT_EQ(d.DestinationCaption(), root);
        d.SelectAll();
        d.Command(IDC_EXPAND);
    });
    EXPECT_TRUE(ReadsBack(output, kContent)) << output;
    DeleteFileA(output.c_str());
}

TEST(StatusBarDestinationTest, CancelledPickerChangesNothing)
{
    CCountingQueries queries;
    CDrivenMainDlg dlg;
    dlg.Run([&](CDrivenMainDlg& d) {
        d.m_strDestination = "C:\\EARLIER";
        d.m_btnDestination.SetWindowText("C:\\EARLIER");
        d.UpdateStatusBar();
        const std::string driveText = d.StatusText(1);
        const int nBefore = queries.m_nRefreshes;
        std::string title;
        HWND hWndOwner = nullptr;
        CBoxDriver driver(d, [&](HWND hWndPicker) {
            hWndOwner = GetWindow(hWndPicker, GW_OWNER);
            // The title string sits in a static of the picker.
            if (HWND hWndTitle = FindChildWithText(hWndPicker, "展開先フォルダを指定してください。"))
                title = WindowText(hWndTitle);
            CancelBox(hWndPicker);
        });
        d.Command(IDC_BROWSE_DEST);
        driver.Join();
        EXPECT_TRUE(driver.Found());
        EXPECT_EQ(title, "展開先フォルダを指定してください。");
        EXPECT_EQ(hWndOwner, d.m_hWnd);
        EXPECT_EQ(d.m_strDestination, "C:\\EARLIER");
        EXPECT_EQ(d.DestinationCaption(), "C:\\EARLIER");
        EXPECT_EQ(queries.m_nRefreshes, nBefore);
        EXPECT_EQ(d.StatusText(1), driveText);
    });
}

TEST(StatusBarDestinationTest, ResetGoesBackToTheMarkerAndRefreshesEachTime)
{
    CCountingQueries queries;
    CDrivenMainDlg dlg;
    dlg.Run([&](CDrivenMainDlg& d) {
        d.m_strDestination = "Z:\\ELSEWHERE";
        d.m_btnDestination.SetWindowText("Z:\\ELSEWHERE");
        const int nBefore = queries.m_nRefreshes;
        d.Command(IDC_RESET_DEST);
        EXPECT_EQ(d.m_strDestination, "");
        EXPECT_EQ(d.DestinationCaption(), "圧縮ファイルと同じフォルダへ展開します。");
        EXPECT_EQ(queries.m_nRefreshes, nBefore + 1);
        SendMessageA(d.m_hWndStatus, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("stale"));
        d.Command(IDC_RESET_DEST);
        EXPECT_EQ(d.m_strDestination, "");
        EXPECT_EQ(queries.m_nRefreshes, nBefore + 2);
        EXPECT_EQ(d.StatusText(0), "0 個のファイル");
    });
}

}  // namespace
