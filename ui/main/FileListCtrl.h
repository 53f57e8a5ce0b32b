// The main window's file list (a report-style list view): context menu 103,
// a click on the extension column edits the extension, dragging rows out.
#pragma once
#include "framework/Wnd.h"

class CFileListCtrl : public CWnd {
protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    void OnContextMenu(HWND hWnd, POINT point);
    void OnClick(const NMHDR* pNotify, LRESULT* pResult);
    void OnBeginDrag(const NMHDR* pNotify, LRESULT* pResult);
};
