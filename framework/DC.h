// A drawing context held by its handle, for code that paints through GDI.
#pragma once
#include <windows.h>

class CDC {
public:
    CDC() = default;
    explicit CDC(HDC hDC) : m_hDC(hDC) {}
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;

    HDC GetSafeHdc() const { return m_hDC; }
    // True for a printer's context.
    bool IsPrinting() const { return m_hDC && GetDeviceCaps(m_hDC, TECHNOLOGY) == DT_RASPRINTER; }
};
