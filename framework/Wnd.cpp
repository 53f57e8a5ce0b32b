#include "framework/Wnd.h"

namespace {
const char kObjectProp[] = "Framework.CWnd";

// A menu item or an accelerator (no control), or a click of a control. A control's other
// notifications, such as the BN_DOUBLECLICKED that an owner-drawn button sends for the
// second click of a double-click, are no command of their own.
bool IsCommand(WPARAM wParam, LPARAM lParam)
{
    return !lParam || HIWORD(wParam) == BN_CLICKED;
}
}

CWnd::~CWnd()
{
    Detach();
}

bool CWnd::SubclassWindow(HWND hWnd)
{
    if (!hWnd || m_hWnd || FromHandle(hWnd))
        return false;
    m_hWnd = hWnd;
    PreSubclassWindow();
    SetPropA(hWnd, kObjectProp, this);
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWndProc)));
    return true;
}

void CWnd::Detach()
{
    if (!m_hWnd)
        return;
    if (IsWindow(m_hWnd)) {
        SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        RemovePropA(m_hWnd, kObjectProp);
    }
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    return hWnd ? static_cast<CWnd*>(GetPropA(hWnd, kObjectProp)) : nullptr;
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandle(hWnd);
    if (!pWnd)
        return DefWindowProcA(hWnd, msg, wParam, lParam);

    // Handlers may run nested messages (modal loops), so the current one is kept per call.
    const Message saved = pWnd->m_current;
    pWnd->m_current = {msg, wParam, lParam};
    LRESULT result = 0;
    if (msg == WM_NCDESTROY) {
        result = pWnd->Default();
        pWnd->Detach();
    } else {
        result = pWnd->WindowProc(msg, wParam, lParam);
        pWnd->m_current = saved;
    }
    return result;
}

LRESULT CWnd::Default()
{
    return CallWindowProcA(m_pfnSuper, m_hWnd, m_current.msg, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    switch (msg) {
    case WM_COMMAND:
        if (lParam && ReflectChildNotify(reinterpret_cast<HWND>(lParam), msg, wParam, lParam, &result))
            return 0;
        if (IsCommand(wParam, lParam) && OnCommand(wParam, lParam))
            return 0;
        break;
    case WM_NOTIFY:
        if (OnNotify(wParam, lParam, &result))
            return result;
        break;
    case WM_DRAWITEM:
        if (ReflectChildNotify(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem, msg, wParam, lParam, &result))
            return TRUE;
        break;
    }
    return Default();
}

bool CWnd::OnCommand(WPARAM, LPARAM)
{
    return false;
}

bool CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* pHeader = reinterpret_cast<const NMHDR*>(lParam);
    return ReflectChildNotify(pHeader->hwndFrom, WM_NOTIFY, wParam, lParam, pResult);
}

bool CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*)
{
    return false;
}

bool CWnd::ReflectChildNotify(HWND hWndChild, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    CWnd* pChild = FromHandle(hWndChild);
    return pChild && pChild->OnChildNotify(msg, wParam, lParam, pResult);
}

std::string CWnd::GetWindowText() const
{
    const int length = GetWindowTextLengthA(m_hWnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(m_hWnd, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

void CWnd::SetWindowText(const char* pszText)
{
    ::SetWindowTextA(m_hWnd, pszText);
}

void CWnd::Invalidate(bool bErase)
{
    InvalidateRect(m_hWnd, nullptr, bErase ? TRUE : FALSE);
}
