#include "ui/common/FlatButton.h"
#include "ui/common/OffscreenDC.h"
#include <windowsx.h>
#include <string>

namespace {
// Draws the points as one polyline in a system colour; like every GDI line,
// each segment leaves out its end point.
void DrawPolyline(HDC hDC, int nColorIndex, const POINT (&points)[3])
{
    HPEN hPen = CreatePen(PS_SOLID, 1, GetSysColor(nColorIndex));
    HGDIOBJ hOldPen = SelectObject(hDC, hPen);
    MoveToEx(hDC, points[0].x, points[0].y, nullptr);
    LineTo(hDC, points[1].x, points[1].y);
    LineTo(hDC, points[2].x, points[2].y);
    SelectObject(hDC, hOldPen);
    DeleteObject(hPen);
}

void FrameWithColor(HDC hDC, const RECT& rect, COLORREF color)
{
    HBRUSH hBrush = CreateSolidBrush(color);
    FrameRect(hDC, &rect, hBrush);
    DeleteObject(hBrush);
}

void FillWithColor(HDC hDC, const RECT& rect, COLORREF color)
{
    HBRUSH hBrush = CreateSolidBrush(color);
    FillRect(hDC, &rect, hBrush);
    DeleteObject(hBrush);
}

int Width(const RECT& rect)
{
    return rect.right - rect.left;
}

int Height(const RECT& rect)
{
    return rect.bottom - rect.top;
}
}

CFlatButton::CFlatButton()
{
    ResetIdleFaceColor(0);
    ResetIdleTextColor(0);
    ResetActiveFaceColor(0);
    ResetActiveTextColor(0);
}

CFlatButton::~CFlatButton()
{
    if (m_hIconActive)
        DestroyIcon(m_hIconActive);
    if (m_hIconIdle)
        DestroyIcon(m_hIconIdle);
    if (m_hHoverCursor)
        DestroyCursor(m_hHoverCursor);
}

void CFlatButton::Repaint(bool bRepaint)
{
    if (bRepaint && m_hWnd)
        Invalidate(true);
}

void CFlatButton::ResetIdleFaceColor(int nRepaint)
{
    m_clrIdleFace = GetSysColor(COLOR_BTNFACE);
    Repaint(nRepaint == 1);
}

void CFlatButton::ResetIdleTextColor(int nRepaint)
{
    m_clrIdleText = GetSysColor(COLOR_BTNTEXT);
    Repaint(nRepaint == 1);
}

void CFlatButton::ResetActiveFaceColor(int nRepaint)
{
    m_clrActiveFace = GetSysColor(COLOR_BTNFACE);
    Repaint(nRepaint == 1);
}

void CFlatButton::ResetActiveTextColor(int nRepaint)
{
    m_clrActiveText = GetSysColor(COLOR_BTNTEXT);
    Repaint(nRepaint == 1);
}

void CFlatButton::SetIdleColors(COLORREF clrFace, COLORREF clrText, bool bRepaint)
{
    m_clrIdleFace = clrFace;
    m_clrIdleText = clrText;
    Repaint(bRepaint);
}

void CFlatButton::SetActiveColors(COLORREF clrFace, COLORREF clrText, bool bRepaint)
{
    m_clrActiveFace = clrFace;
    m_clrActiveText = clrText;
    Repaint(bRepaint);
}

void CFlatButton::SetFlatLook(bool bFlat, bool bRepaint)
{
    m_bFlatLook = bFlat;
    Repaint(bRepaint);
}

void CFlatButton::SetEdgeOnHover(bool bEdge, bool bRepaint)
{
    m_bEdgeOnHover = bEdge;
    Repaint(bRepaint);
}

void CFlatButton::SetTextVisible(bool bVisible, bool bRepaint)
{
    m_bTextVisible = bVisible;
    Repaint(bRepaint);
}

void CFlatButton::SetFocusInFlat(bool bFocus, bool bRepaint)
{
    m_bFocusInFlat = bFocus;
    Repaint(bRepaint);
}

void CFlatButton::SetIcons(HICON hIconActive, HICON hIconIdle, int nIconPos, bool bRepaint)
{
    if (m_hIconActive && m_hIconActive != hIconActive && m_hIconActive != hIconIdle)
        DestroyIcon(m_hIconActive);
    if (m_hIconIdle && m_hIconIdle != hIconActive && m_hIconIdle != hIconIdle)
        DestroyIcon(m_hIconIdle);
    m_hIconActive = hIconActive;
    m_hIconIdle = hIconIdle != hIconActive ? hIconIdle : nullptr;
    m_nIconPos = nIconPos;
    m_byIconWidth = 0;
    m_byIconHeight = 0;

    ICONINFO info{};
    if (hIconActive && GetIconInfo(hIconActive, &info)) {
        BITMAP bm{};
        if (GetObjectA(info.hbmMask, sizeof bm, &bm)) {
            // A monochrome icon keeps its image and mask in one bitmap of double height.
            const int height = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
            m_byIconWidth = static_cast<BYTE>(bm.bmWidth > 255 ? 255 : bm.bmWidth);
            m_byIconHeight = static_cast<BYTE>(height > 255 ? 255 : height);
        }
        if (info.hbmMask)
            DeleteObject(info.hbmMask);
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
    }
    Repaint(bRepaint);
}

void CFlatButton::SetHoverCursor(HCURSOR hCursor)
{
    if (m_hHoverCursor && m_hHoverCursor != hCursor)
        DestroyCursor(m_hHoverCursor);
    m_hHoverCursor = hCursor;
}

void CFlatButton::PreSubclassWindow()
{
    // The owner-draw type takes the place of the push-button type bits, so a
    // default push button becomes a plain owner-drawn one too.
    const UINT nStyle = static_cast<UINT>(GetWindowLongPtrA(m_hWnd, GWL_STYLE));
    SetButtonStyle(((nStyle & 0xFF) & ~static_cast<UINT>(BS_TYPEMASK)) | BS_OWNERDRAW, true);
    CButton::PreSubclassWindow();
}

LRESULT CFlatButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_KILLFOCUS:
        OnKillFocus();
        return 0;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_SETCURSOR:
        if (OnSetCursor())
            return TRUE;
        break;
    }
    return CButton::WindowProc(msg, wParam, lParam);
}

bool CFlatButton::OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (msg != WM_DRAWITEM)
        return CButton::OnChildNotify(msg, wParam, lParam, pResult);
    DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    *pResult = TRUE;
    return true;
}

void CFlatButton::DrawItem(const DRAWITEMSTRUCT* pDis)
{
    COffscreenDC dc(pDis->hDC);
    HDC hDC = dc.m_hDC;

    RECT rect = pDis->rcItem;
    const bool bPressed = (pDis->itemState & ODS_SELECTED) != 0;
    const bool bDisabled = (pDis->itemState & ODS_DISABLED) != 0;
    const bool bFocused = (pDis->itemState & ODS_FOCUS) != 0;
    const bool bActive = bPressed || m_bHot;

    if (!m_bFlatLook && bFocused) {
        FrameWithColor(hDC, rect, RGB(0, 0, 0));
        InflateRect(&rect, -1, -1);
    }

    FillWithColor(hDC, rect, bActive ? m_clrActiveFace : m_clrIdleFace);

    const LONG L = rect.left, T = rect.top, R = rect.right, B = rect.bottom;
    if (bPressed) {
        if (m_bFlatLook) {
            if (m_bEdgeOnHover) {
                DrawPolyline(hDC, COLOR_BTNSHADOW, {{L, B - 1}, {L, T}, {R, T}});
                DrawPolyline(hDC, COLOR_BTNHIGHLIGHT, {{L, B - 1}, {R - 1, B - 1}, {R - 1, T - 1}});
            }
        } else {
            FrameWithColor(hDC, rect, GetSysColor(COLOR_BTNSHADOW));
        }
    } else if (m_bFlatLook) {
        if (m_bHot && m_bEdgeOnHover) {
            DrawPolyline(hDC, COLOR_BTNHIGHLIGHT, {{L, B - 1}, {L, T}, {R, T}});
            DrawPolyline(hDC, COLOR_BTNSHADOW, {{L, B - 1}, {R - 1, B - 1}, {R - 1, T - 1}});
        }
    } else {
        DrawPolyline(hDC, COLOR_BTNHIGHLIGHT, {{L, B - 1}, {L, T}, {R, T}});
        DrawPolyline(hDC, COLOR_3DLIGHT, {{L + 1, B - 1}, {L + 1, T + 1}, {R, T + 1}});
        DrawPolyline(hDC, COLOR_3DDKSHADOW, {{L, B - 1}, {R - 1, B - 1}, {R - 1, T - 1}});
        DrawPolyline(hDC, COLOR_BTNSHADOW, {{L + 1, B - 2}, {R - 2, B - 2}, {R - 2, T}});
    }

    const std::string caption = m_bTextVisible ? GetWindowText() : std::string();
    RECT rcCaption = pDis->rcItem;

    if (m_hIconActive)
        PaintIcon(hDC, caption.c_str(), pDis->rcItem, rcCaption, bPressed, bDisabled);

    if (!caption.empty()) {
        if (bPressed)
            OffsetRect(&rcCaption, 1, 1);

        HFONT hFont = reinterpret_cast<HFONT>(SendMessageA(m_hWnd, WM_GETFONT, 0, 0));
        HGDIOBJ hOldFont = hFont ? SelectObject(hDC, hFont) : nullptr;
        SetTextColor(hDC, bActive ? m_clrActiveText : m_clrIdleText);
        SetBkColor(hDC, bActive ? m_clrActiveFace : m_clrIdleFace);

        const RECT rcBox = rcCaption;
        DrawTextA(hDC, caption.c_str(), -1, &rcCaption, DT_CALCRECT | DT_SINGLELINE);
        // A caption larger than the button gets a negative offset: still centred, cut at both sides.
        OffsetRect(&rcCaption, (Width(rcBox) - Width(rcCaption)) / 2, (Height(rcBox) - Height(rcCaption)) / 2);

        DrawStateA(hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(caption.c_str()), 0, rcCaption.left,
                   rcCaption.top, Width(rcCaption), Height(rcCaption),
                   DST_PREFIXTEXT | (bDisabled ? DSS_DISABLED : 0));

        if (hOldFont)
            SelectObject(hDC, hOldFont);
    }

    if (bFocused && (!m_bFlatLook || m_bFocusInFlat)) {
        RECT rcFocus = rect;
        InflateRect(&rcFocus, -3, -3);
        DrawFocusRect(hDC, &rcFocus);
    }
}

void CFlatButton::PaintIcon(HDC hDC, const char* pszCaption, const RECT& rcItem, RECT& rcCaption, bool bPressed,
                            bool bDisabled)
{
    const bool bCaption = pszCaption && *pszCaption;
    RECT rcIcon = rcItem;
    const auto centreHorizontally = [&] { rcIcon.left += (rcItem.right - m_byIconWidth - rcItem.left) / 2; };
    const auto centreVertically = [&] { rcIcon.top += (rcItem.bottom - m_byIconHeight - rcItem.top) / 2; };

    if (m_nIconPos == 0) {
        if (bCaption) {
            rcIcon.left += 3;
            rcCaption.left += m_byIconWidth + 3;
        } else {
            centreHorizontally();
        }
        centreVertically();
    } else if (m_nIconPos == 1) {
        centreHorizontally();
        if (bCaption)
            rcCaption.top += m_byIconHeight;
        else
            centreVertically();
    }

    if (bPressed)
        OffsetRect(&rcIcon, 1, 1);

    HICON hIcon = (m_bHot || bPressed || !m_hIconIdle) ? m_hIconActive : m_hIconIdle;
    DrawStateA(hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(hIcon), 0, rcIcon.left, rcIcon.top, Width(rcIcon),
               Height(rcIcon), DST_ICON | (bDisabled ? DSS_DISABLED : 0));
}

void CFlatButton::OnMouseMove(UINT nFlags, POINT point)
{
    Default();

    const bool bLeftDown = (nFlags & MK_LBUTTON) != 0;
    if (bLeftDown && !m_bHot)
        return;
    if (!m_bFlatLook)
        return;

    if (GetCapture() != m_hWnd && (GetWindow(m_hWnd, GW_OWNER) || GetParent(m_hWnd))) {
        // The capture brings the move that leaves the button here too.
        m_bHot = TRUE;
        SetCapture(m_hWnd);
        Invalidate(true);
        return;
    }

    RECT rcClient;
    GetClientRect(m_hWnd, &rcClient);
    if (PtInRect(&rcClient, point))
        return;

    if (m_bHot) {
        m_bHot = FALSE;
        Invalidate(true);
    }
    // While the left button is down the platform's button processing needs the capture.
    if (!bLeftDown && GetCapture() == m_hWnd)
        ReleaseCapture();
}

void CFlatButton::OnKillFocus()
{
    Default();
    if (m_bFlatLook && m_bHot) {
        m_bHot = FALSE;
        Invalidate(true);
    }
}

void CFlatButton::OnCaptureChanged(HWND hWndGaining)
{
    if (m_bHot) {
        // Only a capture still ours is given up: one that another window has
        // taken (or that this button took again on a press) stays where it is.
        if (GetCapture() == m_hWnd && hWndGaining != m_hWnd)
            ReleaseCapture();
        Invalidate(true);
    }
    Default();
}

bool CFlatButton::OnSetCursor()
{
    if (!m_hHoverCursor)
        return false;
    SetCursor(m_hHoverCursor);
    return true;
}
