#include "ui/main/MainDlg.h"
#include "ui/main/FileListCtrl.h"
#include "framework/Resource.h"
#include "resource.h"
#include "ui/main/FileDataSource.h"
#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

namespace {
// How far inside the list's top-left corner the keyboard's context menu opens.
const int kKeyboardMenuOffset = 5;
const int kColumnExtension = 1;

int NextSelectedRow(HWND hWndList, int nAfter)
{
    return static_cast<int>(SendMessageA(hWndList, LVM_GETNEXTITEM, static_cast<WPARAM>(nAfter), LVNI_SELECTED));
}
}

LRESULT CFileListCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CONTEXTMENU:
        OnContextMenu(reinterpret_cast<HWND>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

bool CFileListCtrl::OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (msg == WM_NOTIFY) {
        const NMHDR* pNotify = reinterpret_cast<const NMHDR*>(lParam);
        switch (pNotify->code) {
        case NM_CLICK:
            OnClick(pNotify, pResult);
            return true;
        case LVN_BEGINDRAG:
            OnBeginDrag(pNotify, pResult);
            return true;
        }
    }
    return CWnd::OnChildNotify(msg, wParam, lParam, pResult);
}

CMainDlg* CFileListCtrl::GetMainDlg() const
{
    return dynamic_cast<CMainDlg*>(CWnd::FromHandle(GetParent(m_hWnd)));
}

void CFileListCtrl::OnContextMenu(HWND, POINT point)
{
    if (point.x == -1 && point.y == -1) {
        RECT rcClient;
        GetClientRect(m_hWnd, &rcClient);
        point = {rcClient.left, rcClient.top};
        ClientToScreen(m_hWnd, &point);
        point.x += kKeyboardMenuOffset;
        point.y += kKeyboardMenuOffset;
    }

    HMENU hMenu = LoadResMenu(IDR_CONTEXTMENU);
    if (!hMenu)
        return;
    // The top-level window receives the commands and the menu-help messages.
    HWND hWndOwner = m_hWnd;
    while (GetWindowLongPtrA(hWndOwner, GWL_STYLE) & WS_CHILD) {
        HWND hWndParent = GetParent(hWndOwner);
        if (!hWndParent)
            break;
        hWndOwner = hWndParent;
    }
    TrackPopupMenu(GetSubMenu(hMenu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, hWndOwner,
                   nullptr);
    DestroyMenu(hMenu);
}

void CFileListCtrl::OnClick(const NMHDR* pNotify, LRESULT* pResult)
{
    const auto* pItem = reinterpret_cast<const NMITEMACTIVATE*>(pNotify);
    if (pItem->iItem != -1 && pItem->iSubItem == kColumnExtension) {
        if (CMainDlg* pMainDlg = GetMainDlg())
            pMainDlg->EditExtension(pItem->iItem);
    }
    *pResult = 0;
}

void CFileListCtrl::OnBeginDrag(const NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    CMainDlg* pMainDlg = GetMainDlg();
    if (!pMainDlg)
        return;
    // The data source copies what it needs of the dragged entries now: removing a row
    // below frees its entry while the data source lives on.
    CFileDataSource dataSource;
    for (int nRow = NextSelectedRow(m_hWnd, -1); nRow != -1; nRow = NextSelectedRow(m_hWnd, nRow)) {
        if (static_cast<size_t>(nRow) < pMainDlg->m_apFiles.size() && pMainDlg->m_apFiles[nRow])
            dataSource.AddFile(*pMainDlg->m_apFiles[nRow]);
    }

    // The dragged files must not come back in as new rows.
    DragAcceptFiles(pMainDlg->m_hWnd, FALSE);
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    dataSource.DelayRenderData(CF_HDROP, &format);
    const DWORD dwEffect = dataSource.DoDragDrop(DROPEFFECT_MOVE);
    // A receiver that kept the data object gets no more copies: none would be cleaned up.
    dataSource.Empty();
    bool bSomeUndelivered = false;
    std::vector<std::pair<std::string, size_t>> arrArchives;
    if (dwEffect != DROPEFFECT_NONE) {
        // The receiver has the files it was given; their rows go as after an expansion.
        // The others stay selected for another try.
        int nSearchAfter = -1;
        for (;;) {
            const int nRow = NextSelectedRow(m_hWnd, nSearchAfter);
            if (nRow < 0)
                break;
            const CCompressedFile* pFile =
                static_cast<size_t>(nRow) < pMainDlg->m_apFiles.size() ? pMainDlg->m_apFiles[nRow].get() : nullptr;
            if (pFile && dataSource.WasDelivered(*pFile)) {
                pMainDlg->RemoveRow(nRow);
                nSearchAfter = nRow - 1;
            } else {
                if (pFile && pFile->CabinetMembers() > 1)
                    arrArchives.emplace_back(pFile->m_szPath, pFile->CabinetMembers());
                else
                    bSomeUndelivered = true;
                nSearchAfter = nRow;
            }
        }
        dataSource.DeleteUndeliveredFiles();
        pMainDlg->UpdateStatusBar();
    } else {
        dataSource.DeleteExpandedFiles();
    }
    DragAcceptFiles(pMainDlg->m_hWnd, TRUE);
    for (const auto& archive : arrArchives)
        pMainDlg->ShowArchiveRefused(archive.first, archive.second);
    if (bSomeUndelivered)
        pMainDlg->ShowExpandFailed();
}
