// The main window's extension command: the extension dialog for one entry, or
// for every entry with the same compressed extension.
#include "ui/main/MainDlg.h"
#include "app/Warning.h"
#include "core/ExtensionTable.h"
#include "framework/ResourceString.h"
#include "framework/WinApp.h"
#include "resource.h"
#include "ui/main/ExtensionDlg.h"
#include <shellapi.h>
#include <algorithm>
#include <cstring>

namespace {
const char kExtensionErrorCaption[] = "拡張子設定エラー";
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
}

void CMainDlg::OnSetExtension()
{
    const HWND hWndList = m_lstFiles.m_hWnd;
    if (SendMessageA(hWndList, LVM_GETSELECTEDCOUNT, 0, 0) != 1) {
        ShowWarning(CWinApp::ResourceInstance(), IDS_SELECT_ONE_FILE, kExtensionErrorCaption, m_hWnd);
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

    SHFILEINFOA info = {};
    SHGetFileInfoA(file.m_szPath, 0, &info, sizeof info, SHGFI_ICON);
    if (!info.hIcon) {
        // A file that is gone still gets the icon of its kind of name.
        SHGetFileInfoA(file.m_szPath, FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_ICON | SHGFI_USEFILEATTRIBUTES);
    }
    dlg.m_hIcon = info.hIcon ? info.hIcon : LoadIconA(nullptr, IDI_APPLICATION);

    const INT_PTR nResult = dlg.DoModal();
    if (info.hIcon)
        DestroyIcon(info.hIcon);
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
