// The drop source of a drag: when the drag begins, when it drops or is
// cancelled, and which cursors it shows.
#pragma once
#include <windows.h>
#include <ole2.h>

class COleDropSource {
public:
    COleDropSource();
    virtual ~COleDropSource();
    COleDropSource(const COleDropSource&) = delete;
    COleDropSource& operator=(const COleDropSource&) = delete;

    // Decides, with the mouse captured by hWnd, whether the drag begins: true once the
    // pointer leaves the start rectangle (by default a square of "DragMinDist" pixels
    // around it) or "DragDelay" milliseconds have passed; false when a mouse button is
    // pressed or released, Esc is pressed or the capture is lost first.
    virtual bool OnBeginDrag(HWND hWnd, const RECT* pRectStartDrag = nullptr);
    // Releasing the button that began the drag drops; Esc or the other button cancels.
    virtual SCODE QueryContinueDrag(BOOL bEscapePressed, DWORD dwKeyState);
    // The platform's default drag cursors.
    virtual SCODE GiveFeedback(DWORD dwEffect);

    // The object's IDropSource (no reference added; valid while this object lives).
    IDropSource* GetDropSource();

protected:
    DWORD m_dwButtonDrop = MK_LBUTTON;
    DWORD m_dwButtonCancel = MK_RBUTTON;

private:
    class XDropSource;
    XDropSource* m_pDropSource;
};
