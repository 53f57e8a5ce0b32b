// The main window's status bar (file count, destination drive), its help line
// while a menu is open, and the destination folder commands.
#include "ui/main/MainDlg.h"
#include "framework/ResourceString.h"
#include "framework/WinApp.h"
#include "resource.h"
#include "ui/common/FolderPicker.h"
#include "ui/main/DiskSpace.h"
#include <shellapi.h>

namespace {
const int kNormalParts[2] = {100, 1000};
// While a menu is open the help line spans the bar and the drive part has no room.
const int kMenuParts[2] = {3000, 1000};
const int kHelpTextChars = 300;

void SetParts(HWND hWndStatus, const int (&parts)[2])
{
    SendMessageA(hWndStatus, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

void SetPartText(HWND hWndStatus, int nPart, UINT nType, const char* pszText)
{
    SendMessageA(hWndStatus, SB_SETTEXTA, static_cast<WPARAM>(nPart | nType), reinterpret_cast<LPARAM>(pszText));
}
}

int CMainDlg::OnCreate(CREATESTRUCTA*)
{
    if (Default() == -1)
        return -1;
    InitCommonControls();
    m_hWndStatus = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM, "", m_hWnd, IDC_STATUSBAR);
    SetParts(m_hWndStatus, kNormalParts);
    return 0;
}

void CMainDlg::OnSize(UINT nType, int cx, int cy)
{
    Default();
    // The status window places itself along the bottom edge when it sees the new size.
    SendMessageA(m_hWndStatus, WM_SIZE, nType, MAKELPARAM(cx, cy));
}

void CMainDlg::OnEnterMenuLoop(bool)
{
    SetParts(m_hWndStatus, kMenuParts);
    SetPartText(m_hWndStatus, 0, SBT_NOBORDERS, "");
}

void CMainDlg::OnExitMenuLoop(bool)
{
    SetParts(m_hWndStatus, kNormalParts);
    SetPartText(m_hWndStatus, 0, 0, "");
    UpdateStatusBar();
}

void CMainDlg::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU)
{
    Default();
    std::string text;
    // A separator, and the notice that the menu closes (flags 0xFFFF), have no help.
    if (!(nFlags & MF_SEPARATOR)) {
        // For a popup the item id is its position in the menu.
        const UINT nStringID = (nFlags & MF_POPUP) ? nItemID + IDS_POPUP_HELP_BASE : nItemID;
        text = LoadResString(nStringID, kHelpTextChars);
    }
    SetPartText(m_hWndStatus, 0, SBT_NOBORDERS, text.c_str());
}

void CMainDlg::UpdateStatusBar()
{
    const int nCount = static_cast<int>(SendMessageA(m_lstFiles.m_hWnd, LVM_GETITEMCOUNT, 0, 0));
    const std::string count =
        FormatText(LoadResString(nCount == 1 ? IDS_FILE_COUNT_ONE : IDS_FILE_COUNT), {std::to_string(nCount)});

    std::string root;
    if (m_strDestination.empty()) {
        char szWindows[MAX_PATH] = {};
        GetWindowsDirectoryA(szWindows, MAX_PATH);
        root = szWindows;
    } else {
        root = m_strDestination;
    }
    // D:\DATA\OUT is on the drive whose root is D:\ .
    if (root.size() > 3)
        root.resize(3);
    const std::string driveText = DriveText(root.c_str(), DiskSpaceQueries());

    SetPartText(m_hWndStatus, 0, 0, count.c_str());
    SetPartText(m_hWndStatus, 1, 0, driveText.c_str());

    // The drive's icon, from the letter that heads the drive text.
    std::string drivePath = root.empty() ? " " : root.substr(0, 1);
    drivePath += ":\\";
    SHFILEINFOA info{};
    SHGetFileInfoA(drivePath.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON);
    SetDriveIcon(info.hIcon);
    UpdateWindow(m_hWndStatus);
}

void CMainDlg::SetDriveIcon(HICON hIcon)
{
    // The status window does not own its icons: the one it showed goes once replaced.
    const HICON hOldIcon = reinterpret_cast<HICON>(SendMessageA(m_hWndStatus, SB_GETICON, 1, 0));
    SendMessageA(m_hWndStatus, SB_SETICON, 1, reinterpret_cast<LPARAM>(hIcon));
    if (hOldIcon && hOldIcon != hIcon)
        DestroyIcon(hOldIcon);
}

void CMainDlg::OnBrowseDestination()
{
    CWinApp* pApp = CWinApp::Get();
    HWND hWndOwner = (pApp && pApp->m_pMainWnd) ? pApp->m_pMainWnd->m_hWnd : nullptr;
    CFolderPicker picker(hWndOwner, nullptr, IDS_DESTINATION_TITLE);
    picker.SetFlags(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT);
    if (!picker.Browse())
        return;
    m_strDestination = picker.GetPath();
    ShowDestination();
    UpdateStatusBar();
}

void CMainDlg::OnResetDestination()
{
    m_strDestination.clear();
    ShowDestination();
    UpdateStatusBar();
}

void CMainDlg::ShowDestination()
{
    const std::string caption = m_strDestination.empty() ? LoadResString(IDS_SAME_FOLDER) : m_strDestination;
    m_btnDestination.SetWindowText(caption.c_str());
}
