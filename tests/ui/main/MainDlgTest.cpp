// The main window's list, its remove command, the About box and how the window ends.
#include "tests/support/TestDialog.h"
#include "tests/szdd/KwajWriter.h"
#include "tests/szdd/SzddWriter.h"
#include "tests/support/MainDlgHarness.h"

#include <cstdio>

namespace {

using Cells = std::vector<std::string>;

// A file of nFileSize bytes whose header records nExpandedSize.
void WriteSizedFile(const std::string& path, uint32_t nExpandedSize, uint32_t nFileSize)
{
    ASSERT_TRUE(SzddWriteFile(path, SzddHeader(nExpandedSize)));
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hFile, INVALID_HANDLE_VALUE);
    SetFilePointer(hFile, static_cast<LONG>(nFileSize), nullptr, FILE_BEGIN);
    SetEndOfFile(hFile);
    CloseHandle(hFile);
}

TEST(MainDlgTest, ListsTheStartFilesWithTheirSizesAndRatios)
{
    CTempFolder folder;
    const std::string small = folder.Path("SMALL.EX_");
    const std::string large = folder.Path("LARGE.tx_");
    const std::string unknown = folder.Path("DATA.QQ_");
    const std::string missing = folder.Path("MISSING.DL_");
    WriteSizedFile(small, 200, 50);
    WriteSizedFile(large, 3000000000u, 60000000);
    WriteSizedFile(unknown, 3, 20);

    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {small, large, unknown, missing, small};
    std::vector<Cells> rows;
    std::string destinationCaption;
    dlg.Run([&](CDrivenMainDlg& d) {
        for (int i = 0; i < d.RowCount(); ++i)
            rows.push_back(d.Row(i));
        destinationCaption = d.m_btnDestination.GetWindowText();
        EXPECT_EQ(d.m_apFiles.size(), 5u);
    });

    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], (Cells{small, "exe", "50 Byte", "200 Byte", "25.0 %"}));
    EXPECT_EQ(rows[1], (Cells{large, "txt", "60000000 Byte", "3000000000 Byte", "2.0 %"}));
    EXPECT_EQ(rows[2], (Cells{unknown, "特定不可", "20 Byte", "3 Byte", "666.7 %"}));
    // The size query's failure value is shown as it comes, and no ratio without an expanded size.
    EXPECT_EQ(rows[3], (Cells{missing, "dll", "-1 Byte", "0 Byte", "---"}));
    // The same path twice gives two rows.
    EXPECT_EQ(rows[4], rows[0]);
    EXPECT_EQ(destinationCaption, "圧縮ファイルと同じフォルダへ展開します。");
}

TEST(MainDlgTest, ListsKwajAndShortHeaderFilesWithTheirOwnSizesAndARecordedExtension)
{
    CTempFolder folder;
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "line " + std::to_string(i % 37) + "\r\n";
    KwajOptions noLength;
    noLength.nFlags = kKwajExt;
    noLength.strExt = "DOC";
    const std::string kwaj = folder.Path("REPORT.QQ_");
    const std::string variant = folder.Path("NOTES.TX_");
    ASSERT_TRUE(SzddWriteFile(kwaj, KwajCompress(text, 3, noLength)));
    ASSERT_TRUE(SzddWriteFile(variant, ShortSzddCompress(text)));

    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {kwaj, variant};
    std::vector<Cells> rows;
    dlg.Run([&](CDrivenMainDlg& d) {
        for (int i = 0; i < d.RowCount(); ++i)
            rows.push_back(d.Row(i));
    });

    auto expected = [&](const std::string& path, const char* pszExt) {
        std::string packed;
        SzddReadFile(path, &packed);
        char szRatio[32];
        std::snprintf(szRatio, sizeof szRatio, "%.1f %%", packed.size() * 100.0 / text.size());
        return Cells{path, pszExt, std::to_string(packed.size()) + " Byte", std::to_string(text.size()) + " Byte", szRatio};
    };
    ASSERT_EQ(rows.size(), 2u);
    // The KWAJ file records no length: its size is what its data produces.
    EXPECT_EQ(rows[0], expected(kwaj, "doc"));
    EXPECT_EQ(rows[1], expected(variant, "txt"));
}

TEST(MainDlgTest, SetsUpColumnsStylesIconsAndTheSystemMenu)
{
    CDrivenMainDlg dlg;
    dlg.Run([](CDrivenMainDlg& d) {
        const char* const titles[] = {"ファイル名", "拡張子", "展開前のサイズ", "展開後のサイズ", "圧縮率"};
        const int widths[] = {250, 80, 100, 100, 60};
        const int formats[] = {LVCFMT_LEFT, LVCFMT_CENTER, LVCFMT_RIGHT, LVCFMT_RIGHT, LVCFMT_RIGHT};
        for (int i = 0; i < 5; ++i) {
            char szTitle[64] = {};
            LVCOLUMNA column = {};
            column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
            column.pszText = szTitle;
            column.cchTextMax = sizeof szTitle;
            ASSERT_TRUE(SendMessageA(d.List(), LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)));
            EXPECT_STREQ(szTitle, titles[i]);
            EXPECT_EQ(column.cx, widths[i]);
            EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, formats[i]);
            EXPECT_EQ(column.iSubItem, i);
        }
        EXPECT_EQ(SendMessageA(d.List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), 0x8A0);

        ASSERT_NE(d.m_hIcon, nullptr);
        EXPECT_EQ(SendMessageA(d.m_hWnd, WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(d.m_hIcon));
        EXPECT_EQ(SendMessageA(d.m_hWnd, WM_GETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(d.m_hIcon));
        EXPECT_EQ(SendMessageA(d.m_hWnd, WM_QUERYDRAGICON, 0, 0), reinterpret_cast<LRESULT>(d.m_hIcon));

        // Even with an empty list the system menu ends with a separator and the About item.
        HMENU hSysMenu = GetSystemMenu(d.m_hWnd, FALSE);
        ASSERT_NE(hSysMenu, nullptr);
        const int nLast = GetMenuItemCount(hSysMenu) - 1;
        ASSERT_GE(nLast, 1);
        EXPECT_EQ(GetMenuItemID(hSysMenu, nLast), static_cast<UINT>(IDM_ABOUTBOX));
        EXPECT_TRUE(GetMenuState(hSysMenu, nLast - 1, MF_BYPOSITION) & MF_SEPARATOR);
        char szItem[128] = {};
        GetMenuStringA(hSysMenu, nLast, szItem, sizeof szItem, MF_BYPOSITION);
        EXPECT_STREQ(szItem, "Zorvane のﾊﾞｰｼﾞｮﾝ情報(&A)...");
    });
}

TEST(MainDlgTest, RemoveTakesOutExactlyTheSelectedRowsAndKeepsEveryRowsIcon)
{
    CTempFolder folder;
    CDrivenMainDlg dlg;
    std::vector<std::string> paths;
    for (int i = 0; i < 6; ++i) {
        paths.push_back(folder.Path("F" + std::to_string(i) + ".EX_"));
        ASSERT_TRUE(SzddWriteCompressedFile(paths.back(), "row " + std::to_string(i)));
    }
    // Rows of other icons: a folder, a file that does not exist, and a program with an icon of its own.
    paths[2] = folder.Path("SUB2.EX_");
    DeleteFileA(paths[2].c_str());
    ASSERT_TRUE(CreateDirectoryA(paths[2].c_str(), nullptr));
    paths[3] = folder.Path("GONE3.EX_");
    DeleteFileA(paths[3].c_str());
    char szProgram[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, szProgram, MAX_PATH);
    paths[4] = szProgram;
    dlg.m_arrStartFiles = paths;

    dlg.Run([&](CDrivenMainDlg& d) {
        ASSERT_EQ(d.RowCount(), 6);
        std::vector<int> images;
        for (int i = 0; i < 6; ++i)
            images.push_back(d.ImageOf(i));
        // Rows with the same icon share one image.
        EXPECT_EQ(images[1], images[0]);
        EXPECT_EQ(images[5], images[0]);
        EXPECT_EQ(images[3], -1);
        EXPECT_GE(images[0], 0);
        EXPECT_GE(images[2], 0);
        EXPECT_GE(images[4], 0);
        EXPECT_NE(images[2], images[0]);
        EXPECT_NE(images[4], images[0]);
        EXPECT_NE(images[4], images[2]);
        EXPECT_EQ(ImageList_GetImageCount(d.m_pImageList), 3);

        d.Select({1, 3, 4});
        d.Click(IDC_REMOVE);

        EXPECT_TRUE(d.m_boxes.empty());
        EXPECT_EQ(d.Column(0), (std::vector<std::string>{paths[0], paths[2], paths[5]}));
        ASSERT_EQ(d.m_apFiles.size(), 3u);
        EXPECT_STREQ(d.m_apFiles[0]->m_szPath, paths[0].c_str());
        EXPECT_STREQ(d.m_apFiles[1]->m_szPath, paths[2].c_str());
        EXPECT_STREQ(d.m_apFiles[2]->m_szPath, paths[5].c_str());
        EXPECT_EQ(d.ImageOf(0), images[0]);
        EXPECT_EQ(d.ImageOf(1), images[2]);
        EXPECT_EQ(d.ImageOf(2), images[5]);

        // A row added later takes the image of its type; a program's row gets an image of its own.
        d.AddFile(paths[1].c_str());
        d.AddFile(paths[4].c_str());
        EXPECT_EQ(d.CellText(4, 0), paths[4]);
        EXPECT_EQ(d.ImageOf(3), images[0]);
        EXPECT_EQ(d.ImageOf(4), 3);
        EXPECT_EQ(d.ImageOf(1), images[2]);
        EXPECT_EQ(ImageList_GetImageCount(d.m_pImageList), 4);
    });
    RemoveDirectoryA(paths[2].c_str());
}

// A real double-click (SendInput) in the middle of the window; returns once the
// window has handled all of it.
void DoubleClick(HWND hWnd)
{
    RECT rc;
    GetWindowRect(hWnd, &rc);
    ASSERT_TRUE(MovePointerTo(POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}));
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(SendLeftButton(true));
        ASSERT_TRUE(SendLeftButton(false));
    }
    EXPECT_TRUE(PumpMessagesUntil([] { return HIWORD(GetQueueStatus(QS_MOUSE)) == 0; }));
    MovePointerTo(POINT{5, 5});
    PumpMessagesUntil([] { return HIWORD(GetQueueStatus(QS_MOUSE)) == 0; });
}

TEST(MainDlgTest, DoubleClickedButtonsRunTheirCommandOnce)
{
    CTempFolder folder;
    const std::string first = folder.Path("FIRST.TX_");
    const std::string second = folder.Path("SECOND.TX_");
    ASSERT_TRUE(SzddWriteCompressedFile(first, "first"));
    ASSERT_TRUE(SzddWriteCompressedFile(second, "second"));

    for (int nButton : {IDC_REMOVE, IDC_EXPAND}) {
        CDrivenMainDlg dlg;
        dlg.m_arrStartFiles = {first, second};
        std::vector<std::string> rows;
        dlg.Run([&](CDrivenMainDlg& d) {
            d.Select({0});
            DoubleClick(d.GetDlgItem(nButton));
            rows = d.Column(0);
        });
        // A second run would have found nothing selected and said so.
        EXPECT_EQ(rows, (std::vector<std::string>{second})) << "button " << nButton;
        EXPECT_TRUE(dlg.m_boxes.empty()) << "button " << nButton << ": " << dlg.m_boxes.size() << " boxes";
    }
    std::string expanded;
    EXPECT_TRUE(SzddReadFile(folder.Path("FIRST.txt"), &expanded));
    EXPECT_EQ(expanded, "first");
}

TEST(MainDlgTest, RemoveWithoutSelectionWarnsAndKeepsTheList)
{
    CTempFolder folder;
    const std::string path = folder.Path("A.EX_");
    ASSERT_TRUE(SzddWriteCompressedFile(path, "a"));
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {path};
    int nRows = -1;
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({});
        d.Click(IDC_REMOVE);
        nRows = d.RowCount();
    });
    EXPECT_EQ(nRows, 1);
    ASSERT_EQ(dlg.m_boxes.size(), 1u);
    EXPECT_EQ(dlg.m_boxes[0].caption, "ファイルリスト消去エラー");
    EXPECT_TRUE(dlg.m_boxes[0].HasText("消去するファイルが選択されていません。\nファイルを選択してからやり直してください。"));
}

// The main window, with a record of the edited labels that the list offered it.
class CLabelWatchingDlg : public CDrivenMainDlg {
public:
    std::vector<std::string> m_offered;

protected:
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        const auto* pInfo = reinterpret_cast<const NMLVDISPINFOA*>(lParam);
        if (pInfo->hdr.code == LVN_ENDLABELEDIT && pInfo->item.pszText)
            m_offered.push_back(pInfo->item.pszText);
        return CDrivenMainDlg::OnNotify(wParam, lParam, pResult);
    }
};

TEST(MainDlgTest, EditedLabelNeverReplacesThePath)
{
    CTempFolder folder;
    const std::string path = folder.Path("A.EX_");
    ASSERT_TRUE(SzddWriteCompressedFile(path, "a"));
    CLabelWatchingDlg dlg;
    dlg.m_arrStartFiles = {path};
    std::vector<std::string> texts;
    dlg.Run([&](CDrivenMainDlg& d) {
        // The two ways in which the list offers an edited label: Enter, and the focus moving away.
        for (int nEnding = 0; nEnding < 2; ++nEnding) {
            SetFocus(d.List());
            HWND hEdit = reinterpret_cast<HWND>(SendMessageA(d.List(), LVM_EDITLABELA, 0, 0));
            ASSERT_NE(hEdit, nullptr);
            SetWindowTextA(hEdit, nEnding == 0 ? "renamed.txt" : "moved.txt");
            if (nEnding == 0)
                SendMessageA(hEdit, WM_KEYDOWN, VK_RETURN, 0);
            else
                SetFocus(d.m_btnExpand.m_hWnd);
            PumpPendingMessages();
            EXPECT_FALSE(IsWindow(hEdit));
            texts.push_back(d.CellText(0, 0));
        }
    });
    // The window was asked to take each text, so a window that took one would show it.
    EXPECT_EQ(dlg.m_offered, (std::vector<std::string>{"renamed.txt", "moved.txt"}));
    EXPECT_EQ(texts, (std::vector<std::string>{path, path}));
}

TEST(MainDlgTest, SystemMenuIdsSixteenToThirtyOneAndTheHelpMenuOpenTheAboutBox)
{
    CDrivenMainDlg dlg;
    HWND hWndMain = nullptr;
    dlg.Run([&](CDrivenMainDlg& d) {
        hWndMain = d.m_hWnd;
        for (UINT nID = 16; nID <= 31; ++nID)
            SendMessageA(d.m_hWnd, WM_SYSCOMMAND, nID, 0);
        d.Command(ID_APP_ABOUT);
    });
    ASSERT_EQ(dlg.m_boxes.size(), 17u);
    for (const SeenBox& box : dlg.m_boxes) {
        EXPECT_EQ(box.caption, "Zorvane");
        EXPECT_TRUE(box.HasText("Version 2.2"));
        EXPECT_EQ(box.hWndOwner, hWndMain);
    }
}

TEST(MainDlgTest, ExitOkCancelAndTheCloseBoxEndTheDialogWithTheirResults)
{
    struct Case {
        std::function<void(CDrivenMainDlg&)> end;
        INT_PTR nResult;
    };
    const Case cases[] = {
        {[](CDrivenMainDlg& d) { d.Command(ID_APP_EXIT); }, 0},
        {[](CDrivenMainDlg& d) { d.Command(IDOK); }, IDOK},
        {[](CDrivenMainDlg& d) { d.Command(IDCANCEL); }, IDCANCEL},
        {[](CDrivenMainDlg& d) { SendMessageA(d.m_hWnd, WM_CLOSE, 0, 0); }, IDCANCEL},
    };
    for (const Case& c : cases) {
        CDrivenMainDlg dlg;
        EXPECT_EQ(dlg.Run(c.end), c.nResult);
        EXPECT_TRUE(dlg.m_boxes.empty());
    }
}

TEST(MainDlgTest, ClosingFreesEveryEntryAndTheImageList)
{
    CTempFolder folder;
    const std::string path = folder.Path("A.EX_");
    ASSERT_TRUE(SzddWriteCompressedFile(path, "a"));
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {path, path, folder.Path("GONE.EX_")};
    size_t nEntries = 0;
    dlg.Run([&](CDrivenMainDlg& d) {
        nEntries = d.m_apFiles.size();
        EXPECT_NE(d.m_pImageList, nullptr);
    });
    EXPECT_EQ(nEntries, 3u);
    EXPECT_TRUE(dlg.m_apFiles.empty());
    EXPECT_EQ(dlg.m_apFiles.capacity(), 0u);
    EXPECT_EQ(dlg.m_pImageList, nullptr);
}

}  // namespace
