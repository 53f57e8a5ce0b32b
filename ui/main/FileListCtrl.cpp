#include "ui/main/FileListCtrl.h"
#include <commctrl.h>

LRESULT CFileListCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CWnd::WindowProc(msg, wParam, lParam);
}

bool CFileListCtrl::OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return CWnd::OnChildNotify(msg, wParam, lParam, pResult);
}
