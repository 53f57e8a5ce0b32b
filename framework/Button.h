// A push button control attached to an object.
#pragma once
#include "framework/Wnd.h"

class CButton : public CWnd {
public:
    // The low byte of the window style: the button type and its alignment bits.
    UINT GetButtonStyle() const { return static_cast<UINT>(GetWindowLongPtrA(m_hWnd, GWL_STYLE)) & 0xFF; }
    void SetButtonStyle(UINT nStyle, bool bRedraw = true)
    {
        SendMessageA(m_hWnd, BM_SETSTYLE, nStyle, bRedraw ? TRUE : FALSE);
    }
};
