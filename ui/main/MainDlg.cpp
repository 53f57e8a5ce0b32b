#include "ui/main/MainDlg.h"
#include "core/MbcsText.h"
#include "framework/ResourceString.h"
#include "framework/WaitCursor.h"
#include "framework/Warning.h"
#include "framework/WinApp.h"
#include "resource.h"
#include "ui/common/AboutDlg.h"
#include "ui/main/ListRedrawPause.h"
#include <shellapi.h>
#include <cstdio>

namespace {
struct ColumnDef {
    UINT nTitleId;
    int nWidth;
    int nFormat;
};

const ColumnDef kColumns[] = {
    {IDS_COLUMN_FILE, 250, LVCFMT_LEFT},
    {IDS_COLUMN_EXTENSION, 80, LVCFMT_CENTER},
    {IDS_COLUMN_COMPRESSED, 100, LVCFMT_RIGHT},
    {IDS_COLUMN_EXPANDED, 100, LVCFMT_RIGHT},
    {IDS_COLUMN_RATIO, 60, LVCFMT_RIGHT},
};

enum {
    kColumnExtension = 1,
    kColumnCompressedSize = 2,
    kColumnExpandedSize = 3,
    kColumnRatio = 4,
};

const DWORD kListExStyles = LVS_EX_FULLROWSELECT | LVS_EX_TWOCLICKACTIVATE | LVS_EX_UNDERLINEHOT;
// Rows share their icons, so the list holds few images; it grows in large steps
// where many files show icons of their own.
const int kImageListGrowth = 256;

void SetSubItemText(HWND hWndList, int nRow, int nSubItem, const char* pszText)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = nRow;
    item.iSubItem = nSubItem;
    item.pszText = const_cast<char*>(pszText);
    SendMessageA(hWndList, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

// A size column's text. Sizes are unsigned: one of 2 GiB or more is shown as it is,
// not as a negative number; all bits set is the size query's failure value (and the
// largest size), which shows as -1.
std::string SizeText(uint32_t nSize)
{
    const std::string number = nSize == 0xFFFFFFFFu ? "-1" : std::to_string(nSize);
    return FormatText(LoadResString(IDS_SIZE_BYTES), {number});
}

void ShowMainWarning(UINT nStringId, UINT nCaptionId, HWND hWndOwner)
{
    ShowWarning(CWinApp::ResourceInstance(), nStringId, LoadResString(nCaptionId).c_str(), hWndOwner);
}

// The common controls of the first Windows 95 and NT 4.0 (before 4.71, the first to
// export DllGetVersion) never send LVN_ITEMACTIVATE; there a double-click opens a row.
bool ListSendsItemActivate()
{
    const HMODULE hComCtl = GetModuleHandleA("comctl32.dll");
    return hComCtl && GetProcAddress(hComCtl, "DllGetVersion") != nullptr;
}

int NextSelectedRow(HWND hWndList, int nAfter)
{
    return static_cast<int>(SendMessageA(hWndList, LVM_GETNEXTITEM, static_cast<WPARAM>(nAfter), LVNI_SELECTED));
}
}

CMainDlg::CMainDlg() : CDialog(IDD_MAIN)
{
    m_hIcon = LoadIconA(CWinApp::ResourceInstance(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CMainDlg::~CMainDlg() = default;

LRESULT CMainDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam));
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_ENTERMENULOOP:
        OnEnterMenuLoop(wParam != 0);
        return 0;
    case WM_EXITMENULOOP:
        OnExitMenuLoop(wParam != 0);
        return 0;
    case WM_MENUSELECT:
        OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        return 0;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(OnQueryDragIcon());
    case WM_SYSCOMMAND:
        OnSysCommand(static_cast<UINT>(wParam), lParam);
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

bool CMainDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case ID_FILE_OPEN:
        OnOpenFile();
        return true;
    case ID_FILE_OPENFOLDER:
        OnOpenFolder();
        return true;
    case IDC_BROWSE_DEST:
        OnBrowseDestination();
        return true;
    case IDC_RESET_DEST:
        OnResetDestination();
        return true;
    case ID_EDIT_EXTENSION:
        OnSetExtension();
        return true;
    case ID_APP_EXIT:
        OnExit();
        return true;
    case ID_HELP_CONTENTS:
        OnHelpContents();
        return true;
    case ID_APP_ABOUT:
        OnAbout();
        return true;
    case IDC_REMOVE:
        OnRemove();
        return true;
    case IDC_EXPAND:
        OnExpand();
        return true;
    }
    return CDialog::OnCommand(wParam, lParam);
}

bool CMainDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* pHeader = reinterpret_cast<const NMHDR*>(lParam);
    switch (pHeader->code) {
    case LVN_ITEMACTIVATE:
        OnItemActivate();
        break;
    case NM_DBLCLK:
        if (m_bDoubleClickActivates && pHeader->hwndFrom == m_lstFiles.m_hWnd)
            OnItemActivate();
        break;
    case LVN_ENDLABELEDIT:
        // A row's text is the entry's path; an edited label is never taken.
        *pResult = FALSE;
        return true;
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

void CMainDlg::DoDataExchange(CDataExchange& dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_RESET_DEST, m_btnResetDest);
    DDX_Control(dx, IDC_BROWSE_DEST, m_btnDestination);
    DDX_Control(dx, IDC_EXPAND, m_btnExpand);
    DDX_Control(dx, IDC_REMOVE, m_btnRemove);
    DDX_Control(dx, IDC_FILELIST, m_lstFiles);
}

BOOL CMainDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    if (HMENU hSysMenu = GetSystemMenu(m_hWnd, FALSE)) {
        const std::string about = LoadResString(IDS_ABOUTBOX);
        if (!about.empty()) {
            AppendMenuA(hSysMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(hSysMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
        }
    }

    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    InsertColumns();
    SendMessageA(m_lstFiles.m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, kListExStyles);
    m_bDoubleClickActivates = !ListSendsItemActivate();
    m_pImageList = ImageList_Create(16, 16, ILC_MASK, 0, kImageListGrowth);
    SendMessageA(m_lstFiles.m_hWnd, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_pImageList));
    ShowDestination();

    if (!m_arrStartFiles.empty()) {
        CWaitCursor wait;
        CListRedrawPause pause(m_lstFiles.m_hWnd);
        for (const std::string& path : m_arrStartFiles)
            AddFile(path.c_str());
    }
    UpdateStatusBar();
    return TRUE;
}

void CMainDlg::InsertColumns()
{
    for (int i = 0; i < static_cast<int>(sizeof kColumns / sizeof kColumns[0]); ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        if (i > 0) {
            column.mask |= LVCF_SUBITEM;
            column.iSubItem = i;
        }
        column.fmt = kColumns[i].nFormat;
        column.cx = kColumns[i].nWidth;
        std::string title = LoadResString(kColumns[i].nTitleId);
        column.pszText = &title[0];
        SendMessageA(m_lstFiles.m_hWnd, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

void CMainDlg::AddFile(const char* pszPath)
{
    m_apFiles.push_back(std::make_unique<CCompressedFile>(pszPath));
    CCompressedFile& file = *m_apFiles.back();
    uint32_t nCompressed = 0;
    uint32_t nExpanded = 0;
    file.ReadHeader(&nCompressed, &nExpanded);

    const int nImage = m_icons.ImageFor(m_pImageList, pszPath);
    const HWND hWndList = m_lstFiles.m_hWnd;
    const int nRow = static_cast<int>(SendMessageA(hWndList, LVM_GETITEMCOUNT, 0, 0));

    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = nRow;
    item.pszText = const_cast<char*>(pszPath);
    item.iImage = nImage;
    SendMessageA(hWndList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));

    const std::string ext = file.m_szExt[0] ? std::string(file.m_szExt) : LoadResString(IDS_EXT_NOT_FOUND);
    SetSubItemText(hWndList, nRow, kColumnExtension, ext.c_str());

    SetSubItemText(hWndList, nRow, kColumnCompressedSize, SizeText(nCompressed).c_str());
    SetSubItemText(hWndList, nRow, kColumnExpandedSize, SizeText(nExpanded).c_str());
    char szText[64];
    // Without an expanded size there is no ratio to show.
    if (nExpanded == 0)
        std::snprintf(szText, sizeof szText, "---");
    else
        std::snprintf(szText, sizeof szText, "%.1f %%", static_cast<double>(nCompressed) * 100.0 / nExpanded);
    SetSubItemText(hWndList, nRow, kColumnRatio, szText);
}

void CMainDlg::RemoveRow(int nRow)
{
    if (nRow < 0 || nRow >= static_cast<int>(m_apFiles.size()))
        return;
    SendMessageA(m_lstFiles.m_hWnd, LVM_DELETEITEM, static_cast<WPARAM>(nRow), 0);
    m_apFiles[static_cast<size_t>(nRow)].reset();
    m_apFiles.erase(m_apFiles.begin() + nRow);
}

void CMainDlg::OnRemove()
{
    const HWND hWndList = m_lstFiles.m_hWnd;
    if (SendMessageA(hWndList, LVM_GETSELECTEDCOUNT, 0, 0) == 0) {
        ShowMainWarning(IDS_NO_FILE_TO_REMOVE, IDS_REMOVE_ERROR, m_hWnd);
        return;
    }
    // Removing a row moves the later ones up, so the next selected row is at r or below.
    CWaitCursor wait;
    CListRedrawPause pause(hWndList);
    int nRow = 0;
    for (;;) {
        const int nFound = NextSelectedRow(hWndList, nRow - 1);
        if (nFound < 0)
            break;
        RemoveRow(nFound);
        nRow = nFound;
    }
    pause.Resume();
    UpdateStatusBar();
}

void CMainDlg::OnExpand()
{
    const HWND hWndList = m_lstFiles.m_hWnd;
    if (SendMessageA(hWndList, LVM_GETSELECTEDCOUNT, 0, 0) == 0) {
        ShowMainWarning(IDS_NO_FILE_TO_EXPAND, IDS_EXPAND_ERROR, m_hWnd);
        return;
    }

    const std::string prefix = DestinationPrefix();
    bool bStoppedAtUnknownExt = false;
    bool bSomeFailed = false;
    std::vector<std::pair<std::string, size_t>> arrArchives;
    CWaitCursor wait;
    CListRedrawPause pause(hWndList);
    int nSearchAfter = -1;
    for (;;) {
        const int nRow = NextSelectedRow(hWndList, nSearchAfter);
        if (nRow < 0 || nRow >= static_cast<int>(m_apFiles.size()))
            break;
        CCompressedFile& file = *m_apFiles[static_cast<size_t>(nRow)];
        // An archive has no extension to ask for: it stays listed, for the command-line tool.
        if (file.CabinetMembers() > 1) {
            arrArchives.emplace_back(file.m_szPath, file.CabinetMembers());
            nSearchAfter = nRow;
            continue;
        }
        if (!file.m_szExt[0]) {
            bStoppedAtUnknownExt = true;
            break;
        }
        if (file.Expand(prefix.c_str())) {
            RemoveRow(nRow);
            nSearchAfter = nRow - 1;
        } else {
            // The file stays listed for another try; the search goes on below it.
            bSomeFailed = true;
            nSearchAfter = nRow;
        }
    }

    pause.Resume();
    UpdateStatusBar();
    for (const auto& archive : arrArchives)
        ShowArchiveRefused(archive.first, archive.second);
    if (bStoppedAtUnknownExt)
        ShowMainWarning(IDS_NO_EXTENSION, IDS_EXPAND_ERROR, m_hWnd);
    if (bSomeFailed)
        ShowExpandFailed();
}

void CMainDlg::ShowExpandFailed()
{
    ShowMainWarning(IDS_EXPAND_FAILED, IDS_EXPAND_ERROR, m_hWnd);
}

void CMainDlg::ShowArchiveRefused(const std::string& strPath, size_t nMembers)
{
    // The name only: the folder is in the list, and a batch run names the file itself.
    const char* pszSeparator = mbcs::FindLastSeparator(strPath.c_str());
    const std::string strText = FormatText(LoadResString(IDS_ARCHIVE_REFUSED),
                                           {pszSeparator ? pszSeparator + 1 : strPath, std::to_string(nMembers)});
    ShowWarningText(strText, LoadResString(IDS_EXPAND_ERROR).c_str(), m_hWnd);
}

std::string CMainDlg::DestinationPrefix() const
{
    if (m_strDestination.empty())
        return std::string();
    // A drive root such as C:\ already ends in a backslash.
    if (m_strDestination.size() == 3)
        return m_strDestination;
    return m_strDestination + '\\';
}

void CMainDlg::OnItemActivate()
{
    const int nRow = NextSelectedRow(m_lstFiles.m_hWnd, -1);
    if (nRow < 0 || nRow >= static_cast<int>(m_apFiles.size()))
        return;

    char szTempPath[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, szTempPath);
    CCompressedFile& file = *m_apFiles[static_cast<size_t>(nRow)];
    if (!file.Expand(szTempPath)) {
        if (file.LastFailure() == CCompressedFile::kFailArchive)
            ShowArchiveRefused(file.m_szPath, file.CabinetMembers());
        else
            ShowExpandFailed();
        return;
    }

    const INT_PTR nResult = OpenWithShell(file.m_szOutputPath);
    if (nResult > 32)
        return;
    // A type that no program claims goes to the system's "open with", as the shell's own
    // double-click does; the user hears of every other failure.
    if (nResult == SE_ERR_NOASSOC && OfferOpenWith(file.m_szOutputPath))
        return;
    ShowMainWarning(IDS_OPEN_FAILED, IDS_EXPAND_ERROR, m_hWnd);
}

INT_PTR CMainDlg::OpenWithShell(const char* pszPath)
{
    return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", pszPath, nullptr, nullptr, SW_SHOWNORMAL));
}

bool CMainDlg::OfferOpenWith(const char* pszPath)
{
    // The shell registers its "open with" for unclaimed types as the verb "openas" of the
    // class "Unknown" (rundll32 with OpenAs_RunDLL since Windows 95). Only a registered one
    // is run: Wine registers none, and without the key it would try the file as a program.
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "Unknown\\shell\\openas", 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);

    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_CLASSNAME | SEE_MASK_FLAG_NO_UI;
    info.hwnd = m_hWnd;
    info.lpVerb = "openas";
    info.lpFile = pszPath;
    info.lpClass = "Unknown";
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExA(&info) != FALSE;
}

void CMainDlg::OnDestroy()
{
    // Without a shared image list the list control would destroy ours when it goes.
    if (m_lstFiles.m_hWnd)
        SendMessageA(m_lstFiles.m_hWnd, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    if (m_pImageList)
        ImageList_Destroy(m_pImageList);
    m_pImageList = nullptr;
    if (m_hWndStatus)
        SetDriveIcon(nullptr);
    m_icons.Clear();

    for (std::unique_ptr<CCompressedFile>& file : m_apFiles)
        file.reset();
    std::vector<std::unique_ptr<CCompressedFile>>().swap(m_apFiles);

    Default();
}

void CMainDlg::OnPaint()
{
    if (!IsIconic(m_hWnd)) {
        Default();
        return;
    }
    PAINTSTRUCT paint;
    HDC hDC = BeginPaint(m_hWnd, &paint);
    SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hDC), 0);
    RECT rcClient;
    GetClientRect(m_hWnd, &rcClient);
    const int x = (rcClient.right - rcClient.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (rcClient.bottom - rcClient.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(hDC, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
}

HICON CMainDlg::OnQueryDragIcon()
{
    return m_hIcon;
}

void CMainDlg::OnSysCommand(UINT nID, LPARAM)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    Default();
}

void CMainDlg::OnExit()
{
    EndDialog(0);
}

void CMainDlg::OnHelpContents()
{
    if (CWinApp* pApp = CWinApp::Get())
        pApp->WinHelp(0, HELP_FINDER);
}

void CMainDlg::OnAbout()
{
    CAboutDlg about;
    about.DoModal();
}
