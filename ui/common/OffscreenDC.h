// Double buffering for one paint: drawing goes to a bitmap the size of the
// target's clip box, which is copied to the target in one block when the
// object goes away. A printer's context is drawn on directly.
#pragma once
#include "framework/DC.h"

class COffscreenDC : public CDC {
public:
    explicit COffscreenDC(HDC hTarget);
    ~COffscreenDC() override;

    bool IsOffscreen() const { return m_bOffscreen; }

private:
    HDC m_hTarget = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
    RECT m_rcClip{};
    bool m_bOffscreen = false;
};
