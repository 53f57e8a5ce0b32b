#include "framework/OleDropSource.h"
#include "framework/ComObject.h"
#include <windowsx.h>
#include <new>

namespace {
// The platform's drag thresholds and their defaults.
const int kDefaultDragMinDist = 2;
const int kDefaultDragDelay = 200;

bool IsKeyDown(int nVirtKey)
{
    // The thread's key state, or the input state where the thread has not seen the press
    // (a button already held when the process started).
    return (GetKeyState(nVirtKey) & 0x8000) || (GetAsyncKeyState(nVirtKey) & 0x8000);
}
}

// The COM face of the drop source. It outlives its owner when the platform keeps a
// reference too long; calls then answer as if the drag was cancelled.
class COleDropSource::XDropSource final : public CComObject<IDropSource, IID_IDropSource> {
public:
    explicit XDropSource(COleDropSource* pOwner) : m_pOwner(pOwner) {}

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) override
    {
        return m_pOwner ? m_pOwner->QueryContinueDrag(fEscapePressed, grfKeyState) : DRAGDROP_S_CANCEL;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD dwEffect) override
    {
        return m_pOwner ? m_pOwner->GiveFeedback(dwEffect) : DRAGDROP_S_USEDEFAULTCURSORS;
    }

    COleDropSource* m_pOwner;

private:
};

COleDropSource::COleDropSource() : m_pDropSource(new XDropSource(this)) {}

COleDropSource::~COleDropSource()
{
    m_pDropSource->m_pOwner = nullptr;
    m_pDropSource->Release();
}

IDropSource* COleDropSource::GetDropSource()
{
    return m_pDropSource;
}

bool COleDropSource::OnBeginDrag(HWND hWnd, const RECT* pRectStartDrag)
{
    // The button held now is the one whose release drops.
    if (!IsKeyDown(VK_LBUTTON) && IsKeyDown(VK_RBUTTON)) {
        m_dwButtonDrop = MK_RBUTTON;
        m_dwButtonCancel = MK_LBUTTON;
    } else {
        m_dwButtonDrop = MK_LBUTTON;
        m_dwButtonCancel = MK_RBUTTON;
    }
    if (!hWnd)
        return true;

    const int nMinDist = static_cast<int>(GetProfileIntA("windows", "DragMinDist", kDefaultDragMinDist));
    const DWORD dwDelay = GetProfileIntA("windows", "DragDelay", kDefaultDragDelay);
    RECT rcStart;
    if (pRectStartDrag) {
        rcStart = *pRectStartDrag;
    } else {
        POINT pt;
        GetCursorPos(&pt);
        SetRect(&rcStart, pt.x - nMinDist, pt.y - nMinDist, pt.x + nMinDist + 1, pt.y + nMinDist + 1);
    }

    SetCapture(hWnd);
    const DWORD dwStart = GetTickCount();
    bool bBegin = false;
    for (;;) {
        if (GetCapture() != hWnd)
            break;
        MSG msg;
        if (PeekMessageA(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE) ||
            PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
            bool bEnded = false;
            switch (msg.message) {
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP:
            case WM_LBUTTONDBLCLK:
            case WM_RBUTTONDOWN:
            case WM_RBUTTONUP:
            case WM_RBUTTONDBLCLK:
                bEnded = true;
                break;
            case WM_KEYDOWN:
                bEnded = msg.wParam == VK_ESCAPE;
                break;
            case WM_MOUSEMOVE: {
                POINT pt = {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
                if (msg.hwnd)
                    ClientToScreen(msg.hwnd, &pt);
                bBegin = !PtInRect(&rcStart, pt);
                bEnded = bBegin;
                break;
            }
            }
            if (bEnded)
                break;
            continue;
        }
        const DWORD dwElapsed = GetTickCount() - dwStart;
        if (dwElapsed > dwDelay) {
            bBegin = true;
            break;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, dwDelay - dwElapsed + 1, QS_MOUSE | QS_KEY);
    }
    if (GetCapture() == hWnd)
        ReleaseCapture();
    return bBegin;
}

SCODE COleDropSource::QueryContinueDrag(BOOL bEscapePressed, DWORD dwKeyState)
{
    if (bEscapePressed || (dwKeyState & m_dwButtonCancel))
        return DRAGDROP_S_CANCEL;
    if (!(dwKeyState & m_dwButtonDrop))
        return DRAGDROP_S_DROP;
    return S_OK;
}

SCODE COleDropSource::GiveFeedback(DWORD)
{
    return DRAGDROP_S_USEDEFAULTCURSORS;
}
