// The main window's extension command: the extension dialog for one entry, or
// for every entry with the same compressed extension.
#include "ui/main/MainDlg.h"
#include "core/ExtensionTable.h"
#include "framework/ResourceString.h"
#include "framework/Warning.h"
#include "framework/WinApp.h"
#include "resource.h"
#include "ui/main/ExtensionDlg.h"
#include <shellapi.h>
#include <algorithm>
#include <cstring>

namespace {
const int kColumnExtension = 1;

void SetExtension(HWND hWndList, int nRow, CCompressedFile& file, const std::string& strExtension)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = nRow;
    item.iSubItem = kColumnExtension;
    item.pszText = const_cast<char*>(strExtension.c_str());
    SendMessageA(hWndList, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    // The dialog has already fitted the text to the field.
    const size_t nLength = std::min(strExtension.size(), sizeof file.m_szExt - 1);
    std::memcpy(file.m_szExt, strExtension.data(), nLength);
    file.m_szExt[nLength] = '\0';
}

bool IsIcon(HICON hIcon)
{
    ICONINFO iconInfo = {};
    if (!hIcon || !GetIconInfo(hIcon, &iconInfo))
        return false;
    DeleteObject(iconInfo.hbmMask);
    DeleteObject(iconInfo.hbmColor);
    return true;
}

// The file's large icon from the shell; a file that is gone gets the icon of its kind of name.
HICON FileIcon(const char* pszPath)
{
    SHFILEINFOA info = {};
    if (SHGetFileInfoA(pszPath, 0, &info, sizeof info, SHGFI_ICON) && IsIcon(info.hIcon))
        return info.hIcon;
    info = {};
    if (SHGetFileInfoA(pszPath, FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_ICON | SHGFI_USEFILEATTRIBUTES) &&
        IsIcon(info.hIcon))
        return info.hIcon;
    return nullptr;
}
}  // namespace

void CMainDlg::OnSetExtension()
{
    const HWND hWndList = m_lstFiles.m_hWnd;
    if (SendMessageA(hWndList, LVM_GETSELECTEDCOUNT, 0, 0) != 1) {
        ShowWarning(CWinApp::ResourceInstance(), IDS_SELECT_ONE_FILE, LoadResString(IDS_EXTENSION_ERROR).c_str(), m_hWnd);
        return;
    }
    const int nRow = static_cast<int>(SendMessageA(hWndList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    EditExtension(nRow);
}

void CMainDlg::EditExtension(int nRow)
{
    if (nRow < 0 || static_cast<size_t>(nRow) >= m_apFiles.size() || !m_apFiles[nRow])
        return;
    CExtensionDlg dlg;
    CCompressedFile& file = *m_apFiles[nRow];
    if (file.m_szExt[0] == '\0') {
        dlg.m_strMessage = LoadResString(IDS_EXT_UNKNOWN);
        dlg.m_strExtension = file.CompressedExtension();
    } else {
        dlg.m_strMessage = LoadResString(IDS_EXT_GUESSED);
        dlg.m_strExtension = file.m_szExt;
    }

    HICON hShellIcon = FileIcon(file.m_szPath);
    dlg.m_hIcon = hShellIcon ? hShellIcon : LoadIconA(nullptr, IDI_APPLICATION);

    const INT_PTR nResult = dlg.DoModal();
    if (hShellIcon)
        DestroyIcon(hShellIcon);
    if (nResult != IDOK)
        return;

    const HWND hWndList = m_lstFiles.m_hWnd;
    if (!dlg.m_bApplyAll) {
        SetExtension(hWndList, nRow, file, dlg.m_strExtension);
        return;
    }
    // The key is copied: the entry's own extension changes on the way.
    const std::string strKey = file.CompressedExtension();
    for (int i = 0; i < static_cast<int>(SendMessageA(hWndList, LVM_GETITEMCOUNT, 0, 0)); ++i) {
        if (static_cast<size_t>(i) >= m_apFiles.size() || !m_apFiles[i])
            break;
        if (ExtensionKeyMatches(strKey.c_str(), m_apFiles[i]->CompressedExtension()))
            SetExtension(hWndList, i, *m_apFiles[i], dlg.m_strExtension);
    }
}
