#include "ui/common/OffscreenDC.h"

COffscreenDC::COffscreenDC(HDC hTarget) : CDC(hTarget), m_hTarget(hTarget)
{
    CDC target(hTarget);
    if (target.IsPrinting())
        return;

    GetClipBox(hTarget, &m_rcClip);
    HDC hMemDC = CreateCompatibleDC(hTarget);
    HBITMAP hBitmap = hMemDC ? CreateCompatibleBitmap(hTarget, m_rcClip.right - m_rcClip.left,
                                                      m_rcClip.bottom - m_rcClip.top)
                             : nullptr;
    if (!hBitmap) {
        // Without memory for the bitmap the paint still happens, only unbuffered.
        if (hMemDC)
            DeleteDC(hMemDC);
        return;
    }
    m_hBitmap = hBitmap;
    m_hOldBitmap = SelectObject(hMemDC, hBitmap);
    SetWindowOrgEx(hMemDC, m_rcClip.left, m_rcClip.top, nullptr);
    m_hDC = hMemDC;
    m_bOffscreen = true;
}

COffscreenDC::~COffscreenDC()
{
    if (!m_bOffscreen)
        return;
    BitBlt(m_hTarget, m_rcClip.left, m_rcClip.top, m_rcClip.right - m_rcClip.left, m_rcClip.bottom - m_rcClip.top,
           m_hDC, m_rcClip.left, m_rcClip.top, SRCCOPY);
    SelectObject(m_hDC, m_hOldBitmap);
    DeleteObject(m_hBitmap);
    DeleteDC(m_hDC);
    m_hDC = m_hTarget;
}
