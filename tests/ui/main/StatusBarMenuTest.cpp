// The main window's status bar: its parts and texts, the help line while a menu
// is open, and the drive it reports.
#include "tests/support/MainDlgHarness.h"
#include "framework/ResourceString.h"

namespace {

using Parts = std::vector<int>;

const char kOpenFileHelp[] = "既存の圧縮ファイルをオープンします。";
const char kOpenFolderHelp[] = "既存のフォルダから圧縮ファイルをすべてオープンします。";
const char kFileMenuHelp[] = "ファイルをオープンしたり、アプリケーションを終了するコマンドです。";
const char kEditMenuHelp[] = "ファイルの編集に関するコマンドです。";

std::string WindowsDriveLetter()
{
    char szWindows[MAX_PATH] = {};
    GetWindowsDirectoryA(szWindows, MAX_PATH);
    return std::string(1, szWindows[0]);
}

TEST(StatusBarMenuTest, CreatesTheStatusWindowWithCountAndDriveOfTheWindowsFolder)
{
    CTempFolder folder;
    CDrivenMainDlg dlg;
    dlg.Run([&](CDrivenMainDlg& d) {
        ASSERT_TRUE(IsWindow(d.m_hWndStatus));
        EXPECT_EQ(GetParent(d.m_hWndStatus), d.m_hWnd);
        EXPECT_EQ(GetDlgCtrlID(d.m_hWndStatus), IDC_STATUSBAR);
        const LONG style = GetWindowLongA(d.m_hWndStatus, GWL_STYLE);
        EXPECT_EQ(style & 0xFFFF0FFF, 0x50000103) << std::hex << style;
        EXPECT_EQ(d.StatusParts(), (Parts{100, 1000}));

        int nType = -1;
        EXPECT_EQ(d.StatusText(0, &nType), "0 個のファイル");
        EXPECT_EQ(nType, 0);
        const std::string drive = d.StatusText(1);
        EXPECT_EQ(drive.rfind(WindowsDriveLetter() + " ドライブ : 空き容量 ", 0), 0u) << drive;
        EXPECT_NE(SendMessageA(d.m_hWndStatus, SB_GETICON, 1, 0), 0);

        // The bar lies along the bottom edge of the client area.
        RECT rcClient, rcStatus;
        GetClientRect(d.m_hWnd, &rcClient);
        GetWindowRect(d.m_hWndStatus, &rcStatus);
        MapWindowPoints(nullptr, d.m_hWnd, reinterpret_cast<POINT*>(&rcStatus), 2);
        EXPECT_EQ(rcStatus.bottom, rcClient.bottom);
        EXPECT_EQ(rcStatus.right, rcClient.right);

        // It follows when the window's size changes.
        RECT rcWindow;
        GetWindowRect(d.m_hWnd, &rcWindow);
        SetWindowPos(d.m_hWnd, nullptr, 0, 0, rcWindow.right - rcWindow.left + 80, rcWindow.bottom - rcWindow.top + 60,
                     SWP_NOMOVE | SWP_NOZORDER);
        GetClientRect(d.m_hWnd, &rcClient);
        GetWindowRect(d.m_hWndStatus, &rcStatus);
        MapWindowPoints(nullptr, d.m_hWnd, reinterpret_cast<POINT*>(&rcStatus), 2);
        EXPECT_EQ(rcStatus.bottom, rcClient.bottom);
        EXPECT_EQ(rcStatus.right, rcClient.right);
    });
}

TEST(StatusBarMenuTest, CountsTheStartFilesAndReportsTheDestinationDriveRoot)
{
    CTempFolder folder;
    CCountingQueries queries;
    queries.FakeDrive(1048576ull * 1024, 2097152ull * 1024);
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {folder.File("A.EX_"), folder.File("B.DL_"), folder.File("C.TX_")};
    dlg.Run([&](CDrivenMainDlg& d) {
        EXPECT_EQ(d.StatusText(0), "3 個のファイル");
        // Whatever drive the files are on, the same-folder marker reports the Windows folder's drive.
        ASSERT_FALSE(queries.m_roots.empty());
        EXPECT_EQ(queries.m_roots.back(), WindowsDriveLetter() + ":\\");

        d.m_strDestination = "D:\\DATA\\OUT";
        d.UpdateStatusBar();
        EXPECT_EQ(queries.m_roots.back(), "D:\\");
        EXPECT_EQ(d.StatusText(1), "D ドライブ : 空き容量 1048576 KByte 総容量 2097152 KByte  50 %の空きがあります。");
    });
}

TEST(StatusBarMenuTest, ReplacesTheDriveIconAndDestroysTheOneItShowedAndTheLastWithTheWindow)
{
    CDrivenMainDlg dlg;
    HICON hLast = nullptr;
    dlg.Run([&](CDrivenMainDlg& d) {
        const HICON hFirst = reinterpret_cast<HICON>(SendMessageA(d.m_hWndStatus, SB_GETICON, 1, 0));
        ASSERT_NE(hFirst, nullptr);
        d.UpdateStatusBar();
        const HICON hSecond = reinterpret_cast<HICON>(SendMessageA(d.m_hWndStatus, SB_GETICON, 1, 0));
        ASSERT_NE(hSecond, nullptr);
        ASSERT_NE(hSecond, hFirst);
        ICONINFO info = {};
        EXPECT_FALSE(GetIconInfo(hFirst, &info));
        ASSERT_TRUE(GetIconInfo(hSecond, &info));
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        hLast = hSecond;
    });
    ASSERT_NE(hLast, nullptr);
    ICONINFO info = {};
    EXPECT_FALSE(GetIconInfo(hLast, &info));
}

TEST(StatusBarMenuTest, ShowsTheHelpOfTheItemUnderTheCursorWhileAMenuIsOpen)
{
    CTempFolder folder;
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {folder.File("A.EX_"), folder.File("B.EX_")};
    dlg.Run([&](CDrivenMainDlg& d) {
        const HWND hWnd = d.m_hWnd;
        const HMENU hMenu = GetMenu(hWnd);
        int nType = -1;

        SendMessageA(hWnd, WM_ENTERMENULOOP, FALSE, 0);
        EXPECT_EQ(d.StatusParts(), (Parts{3000, 1000}));
        EXPECT_EQ(d.StatusText(0, &nType), "");
        EXPECT_EQ(nType, SBT_NOBORDERS);

        auto select = [&](UINT nItem, UINT nFlags, HMENU hFrom) {
            SendMessageA(hWnd, WM_MENUSELECT, MAKEWPARAM(nItem, nFlags), reinterpret_cast<LPARAM>(hFrom));
            return d.StatusText(0, &nType);
        };
        EXPECT_EQ(select(ID_FILE_OPEN, MF_HILITE, GetSubMenu(hMenu, 0)), kOpenFileHelp);
        EXPECT_EQ(nType, SBT_NOBORDERS);
        EXPECT_EQ(select(IDC_BROWSE_DEST, MF_HILITE, nullptr), "展開先フォルダを指定するダイアログを表示します。");
        EXPECT_EQ(select(ID_HELP_CONTENTS, MF_HILITE | MF_MOUSESELECT, nullptr), "ヘルプの目次を表示します。");
        // A popup is known by its position.
        EXPECT_EQ(select(1, MF_POPUP | MF_HILITE, hMenu), kEditMenuHelp);
        EXPECT_EQ(select(0, MF_POPUP | MF_HILITE, hMenu), kFileMenuHelp);
        EXPECT_EQ(select(0, MF_SEPARATOR, GetSubMenu(hMenu, 0)), "");
        EXPECT_EQ(select(ID_FILE_OPEN, MF_HILITE, nullptr), kOpenFileHelp);
        // An item without a string (the system menu's close) clears the line.
        EXPECT_EQ(select(SC_CLOSE, MF_HILITE | MF_SYSMENU, nullptr), "");
        EXPECT_EQ(select(ID_FILE_OPEN, MF_HILITE, nullptr), kOpenFileHelp);
        EXPECT_EQ(select(0xFFFF, 0xFFFF, nullptr), "");
        EXPECT_EQ(d.StatusParts(), (Parts{3000, 1000}));

        SendMessageA(hWnd, WM_EXITMENULOOP, FALSE, 0);
        EXPECT_EQ(d.StatusParts(), (Parts{100, 1000}));
        EXPECT_EQ(d.StatusText(0, &nType), "2 個のファイル");
        EXPECT_EQ(nType, 0);
        EXPECT_EQ(d.StatusText(1).rfind(WindowsDriveLetter() + " ドライブ", 0), 0u);
    });
}

TEST(StatusBarMenuTest, HasAHelpTextForEveryMenuCommand)
{
    const UINT commands[] = {ID_FILE_OPEN, ID_FILE_OPENFOLDER, ID_APP_EXIT,   ID_EDIT_EXTENSION, ID_HELP_CONTENTS,
                             ID_APP_ABOUT, IDC_BROWSE_DEST,    IDC_RESET_DEST, IDC_EXPAND,        IDC_REMOVE,
                             IDS_HELP_FILE_MENU, IDS_HELP_EDIT_MENU, IDS_HELP_HELP_MENU};
    for (UINT nID : commands)
        EXPECT_FALSE(LoadResString(nID, 300).empty()) << nID;
}

// What the status window is told, in order.
struct StatusLog {
    std::vector<std::string> entries;
    WNDPROC pfnPrevious = nullptr;
};
StatusLog* g_pLog = nullptr;

LRESULT CALLBACK LogStatus(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == SB_SETTEXTA && LOBYTE(wParam) == 0)
        g_pLog->entries.push_back(std::string(HIBYTE(LOWORD(wParam)) ? "help:" : "text:") +
                                  reinterpret_cast<const char*>(lParam));
    if (msg == SB_SETPARTS)
        g_pLog->entries.push_back("parts:" + std::to_string(reinterpret_cast<const int*>(lParam)[0]));
    return CallWindowProcA(g_pLog->pfnPrevious, hWnd, msg, wParam, lParam);
}

TEST(StatusBarMenuTest, FollowsTheRealMenuOpenedFromTheKeyboard)
{
    StatusLog log;
    // The menu is the keyboard's, from a thread of the test.
    CDrivenMainDlg dlg(CDrivenMainDlg::kLeaveBoxes);
    std::vector<std::string> seenWhileOpen;
    dlg.Run([&](CDrivenMainDlg& d) {
        g_pLog = &log;
        log.pfnPrevious = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(d.m_hWndStatus, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LogStatus)));
        SetForegroundWindow(d.m_hWnd);
        SetFocus(d.List());
        PumpPosted();

        // Alt+F opens the File menu, Down moves to its second item, Esc twice leaves.
        std::atomic<bool> bDone{false};
        const HWND hWndStatus = d.m_hWndStatus;
        CTestThread keys([&] {
            auto waitFor = [&](const std::string& text) {
                if (WaitFor([&] { return StatusText(hWndStatus, 0) == text; }))
                    return true;
                seenWhileOpen.push_back("missed:" + text + " got:" + StatusText(hWndStatus, 0));
                return false;
            };
            SendKey(VK_MENU, false);
            SendKey('F', false);
            SendKey('F', true);
            SendKey(VK_MENU, true);
            if (waitFor(kOpenFileHelp)) {
                seenWhileOpen.push_back("parts:" + std::to_string(StatusParts(hWndStatus)[0]));
                SendKey(VK_DOWN, false);
                SendKey(VK_DOWN, true);
                waitFor(kOpenFolderHelp);
            }
            SendKey(VK_ESCAPE, false);
            SendKey(VK_ESCAPE, true);
            SendKey(VK_ESCAPE, false);
            SendKey(VK_ESCAPE, true);
            bDone = true;
        });
        const bool bFinished = PumpMessagesUntil([&] { return bDone.load() && d.StatusParts()[0] == 100; }, 15000);
        if (!bFinished)
            EndMenu();
        keys.join();
        EXPECT_TRUE(bFinished);
        PumpPosted();
        SetWindowLongPtrA(d.m_hWndStatus, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(log.pfnPrevious));
        g_pLog = nullptr;

        EXPECT_EQ(seenWhileOpen, (std::vector<std::string>{"parts:3000"}));
        EXPECT_EQ(d.StatusText(0), "0 個のファイル");
    });

    // The real order: the bar widens, the popup and its items show their help, and
    // leaving ends with the count on a narrow part again.
    const std::vector<std::string>& e = log.entries;
    auto find = [&](const std::string& entry, size_t from) {
        for (size_t i = from; i < e.size(); ++i)
            if (e[i] == entry)
                return i;
        return e.size();
    };
    std::string all;
    for (const std::string& entry : e)
        all += entry + " | ";
    const size_t nOpen = find("parts:3000", 0);
    const size_t nPopup = find(std::string("help:") + kFileMenuHelp, nOpen);
    const size_t nFirst = find(std::string("help:") + kOpenFileHelp, nOpen);
    const size_t nSecond = find(std::string("help:") + kOpenFolderHelp, nFirst);
    const size_t nClose = find("parts:100", nSecond);
    EXPECT_LT(nOpen, e.size()) << all;
    EXPECT_LT(nPopup, e.size()) << all;
    EXPECT_LT(nSecond, e.size()) << all;
    ASSERT_LT(nClose, e.size()) << all;
    EXPECT_EQ(e.back(), "text:0 個のファイル") << all;
}

}  // namespace
