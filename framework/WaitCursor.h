// Shows the wait cursor while the thread is busy, and the previous cursor again after.
#pragma once
#include <windows.h>

class CWaitCursor {
public:
    CWaitCursor() : m_hPrevious(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() { SetCursor(m_hPrevious); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR m_hPrevious;
};
