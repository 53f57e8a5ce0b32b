// A push button that draws itself flat: face and centred text at rest, a
// one-pixel raised edge while the pointer is over it, a sunken edge while pressed.
#pragma once
#include "framework/Wnd.h"

class CFlatButton : public CWnd {
public:
    CFlatButton();
    ~CFlatButton() override;

    void ResetIdleFaceColor(int nRepaint);
    void ResetIdleTextColor(int nRepaint);
    void ResetActiveFaceColor(int nRepaint);
    void ResetActiveTextColor(int nRepaint);
    COLORREF GetIdleFaceColor() const { return m_clrIdleFace; }
    COLORREF GetIdleTextColor() const { return m_clrIdleText; }
    COLORREF GetActiveFaceColor() const { return m_clrActiveFace; }
    COLORREF GetActiveTextColor() const { return m_clrActiveText; }

    void PreSubclassWindow() override;
    virtual void DrawItem(const DRAWITEMSTRUCT* pDis);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    void OnMouseMove(UINT nFlags, POINT point);
    void OnKillFocus();
    void OnCaptureChanged();
    bool OnSetCursor();
    void PaintIcon(HDC hDC, const char* pszCaption, const RECT& rcItem, RECT& rcCaption, bool bPressed,
                   bool bDisabled);

    int m_nIconPos = 0;
    BOOL m_bTextVisible = TRUE;
    BOOL m_bEdgeOnHover = TRUE;
    BOOL m_bFlatLook = TRUE;
    BOOL m_bHot = FALSE;
    BOOL m_bFocusInFlat = FALSE;
    HCURSOR m_hHoverCursor = nullptr;
    HICON m_hIconActive = nullptr;
    HICON m_hIconIdle = nullptr;
    BYTE m_byIconHeight = 0;
    BYTE m_byIconWidth = 0;
    COLORREF m_clrIdleFace = 0;
    COLORREF m_clrIdleText = 0;
    COLORREF m_clrActiveFace = 0;
    COLORREF m_clrActiveText = 0;
};
