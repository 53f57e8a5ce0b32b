// Holds back a list's drawing while many rows come or go; each row would otherwise
// scroll and repaint the list. Drawing resumes with one repaint when the pause ends.
#pragma once
#include <windows.h>

class CListRedrawPause {
public:
    explicit CListRedrawPause(HWND hWndList) : m_hWndList(hWndList) { SendMessageA(m_hWndList, WM_SETREDRAW, FALSE, 0); }
    ~CListRedrawPause() { Resume(); }
    CListRedrawPause(const CListRedrawPause&) = delete;
    CListRedrawPause& operator=(const CListRedrawPause&) = delete;

    void Resume()
    {
        if (!m_hWndList)
            return;
        SendMessageA(m_hWndList, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(m_hWndList, nullptr, TRUE);
        m_hWndList = nullptr;
    }

private:
    HWND m_hWndList;
};
