// A push button that draws itself flat: face and centred text at rest, a
// one-pixel raised edge while the pointer is over it, a sunken edge while pressed.
// Bound to a dialog's button through DDX_Control, it makes the control owner-drawn.
#pragma once
#include "framework/Button.h"

class CFlatButton : public CButton {
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
    void SetIdleColors(COLORREF clrFace, COLORREF clrText, bool bRepaint = true);
    void SetActiveColors(COLORREF clrFace, COLORREF clrText, bool bRepaint = true);

    // The look and its options; every button starts flat, with hover edges,
    // visible text, no focus rectangle, no icon and no cursor of its own.
    void SetFlatLook(bool bFlat, bool bRepaint = true);
    void SetEdgeOnHover(bool bEdge, bool bRepaint = true);
    void SetTextVisible(bool bVisible, bool bRepaint = true);
    void SetFocusInFlat(bool bFocus, bool bRepaint = true);
    // Takes ownership of the icons (hIconIdle may be null: the active one is
    // used then); nIconPos 0 puts them beside the text, 1 above it.
    void SetIcons(HICON hIconActive, HICON hIconIdle, int nIconPos = 0, bool bRepaint = true);
    // Takes ownership of the cursor shown while the pointer is over the button.
    void SetHoverCursor(HCURSOR hCursor);

    bool IsFlatLook() const { return m_bFlatLook != FALSE; }
    // True while the pointer is over the button.
    bool IsHot() const { return m_bHot != FALSE; }

    void PreSubclassWindow() override;
    virtual void DrawItem(const DRAWITEMSTRUCT* pDis);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    void OnMouseMove(UINT nFlags, POINT point);
    void OnKillFocus();
    void OnCaptureChanged(HWND hWndGaining);
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

private:
    void Repaint(bool bRepaint);
};
