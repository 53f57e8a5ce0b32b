// The main window's file list (a report-style list view): context menu 103,
// a click on the extension column edits the extension, dragging rows out.
#pragma once
#include "framework/Wnd.h"

class CMainDlg;

class CFileListCtrl : public CWnd {
protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    // Menu 103 at the point, or just inside the list when asked for from the keyboard.
    void OnContextMenu(HWND hWnd, POINT point);
    // A click on a row's extension column opens the extension dialog for that row.
    void OnClick(const NMHDR* pNotify, LRESULT* pResult);
    // Drags the selected rows out as files expanded on demand.
    void OnBeginDrag(const NMHDR* pNotify, LRESULT* pResult);

private:
    CMainDlg* GetMainDlg() const;
};
