#include "tests/support/TestDialog.h"
#include "tests/support/TimeScale.h"

namespace {
INT_PTR CALLBACK PlainDialogProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

struct WindowSearch {
    const std::function<bool(HWND)>& test;
    HWND hWndFound;

    static BOOL CALLBACK Visit(HWND hWnd, LPARAM lParam)
    {
        WindowSearch* pSearch = reinterpret_cast<WindowSearch*>(lParam);
        if (!pSearch->test(hWnd))
            return TRUE;
        pSearch->hWndFound = hWnd;
        return FALSE;
    }
};

BOOL CALLBACK CollectText(HWND hWnd, LPARAM lParam)
{
    reinterpret_cast<std::vector<std::string>*>(lParam)->push_back(WindowText(hWnd));
    return TRUE;
}

BOOL CALLBACK CancelDialog(HWND hWnd, LPARAM lParam)
{
    if (IsVisibleBox(hWnd)) {
        PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
        *reinterpret_cast<bool*>(lParam) = true;
    }
    return TRUE;
}
}

CDialogTemplate::CDialogTemplate(const char* pszCaption, short cx, short cy, const char* pszFont, WORD nPointSize,
                                 DWORD dwStyle)
{
    PutDword(dwStyle | DS_SETFONT);
    PutDword(0);          // extended style
    m_words.push_back(0); // item count, counted by AddControl
    m_words.push_back(10);
    m_words.push_back(10);
    m_words.push_back(static_cast<WORD>(cx));
    m_words.push_back(static_cast<WORD>(cy));
    m_words.push_back(0); // no menu
    m_words.push_back(0); // the dialog class
    PutString(pszCaption);
    m_words.push_back(nPointSize);
    PutString(pszFont);
}

void CDialogTemplate::PutDword(DWORD value)
{
    m_words.push_back(LOWORD(value));
    m_words.push_back(HIWORD(value));
}

void CDialogTemplate::PutString(const char* pszText)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, pszText, -1, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, pszText, -1, wide.data(), length);
    for (wchar_t c : wide)
        m_words.push_back(static_cast<WORD>(c));
}

void CDialogTemplate::AlignToDword()
{
    if (m_words.size() % 2)
        m_words.push_back(0);
}

void CDialogTemplate::AddItemHeader(DWORD dwStyle, WORD nId, short x, short y, short cx, short cy)
{
    ++m_words[4]; // cdit, after style and extended style
    AlignToDword();
    PutDword(dwStyle | WS_CHILD | WS_VISIBLE);
    PutDword(0);
    m_words.push_back(static_cast<WORD>(x));
    m_words.push_back(static_cast<WORD>(y));
    m_words.push_back(static_cast<WORD>(cx));
    m_words.push_back(static_cast<WORD>(cy));
    m_words.push_back(nId);
}

void CDialogTemplate::AddControl(WORD wClass, const char* pszText, WORD nId, DWORD dwStyle, short x, short y,
                                 short cx, short cy)
{
    AddItemHeader(dwStyle, nId, x, y, cx, cy);
    m_words.push_back(0xFFFF);
    m_words.push_back(wClass);
    PutString(pszText);
    m_words.push_back(0); // no creation data
}

void CDialogTemplate::AddControl(const char* pszClass, const char* pszText, WORD nId, DWORD dwStyle, short x,
                                 short y, short cx, short cy)
{
    AddItemHeader(dwStyle, nId, x, y, cx, cy);
    PutString(pszClass);
    PutString(pszText);
    m_words.push_back(0);
}

CTestDialog::CTestDialog(const CDialogTemplate& dialogTemplate, HWND hWndOwner, bool bShow) : CDialog(0)
{
    HWND hWnd = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate.Get(), hWndOwner,
                                           &PlainDialogProc, 0);
    if (!hWnd)
        return;
    SubclassWindow(hWnd);
    if (bShow) {
        ShowWindow(hWnd, SW_SHOW);
        SetForegroundWindow(hWnd);
        UpdateWindow(hWnd);
    }
}

CTestDialog::~CTestDialog()
{
    if (m_hWnd && IsWindow(m_hWnd))
        DestroyWindow(m_hWnd);
}

void CTestDialog::Bind(int nId, CWnd& control)
{
    CDataExchange dx(*this, false);
    DDX_Control(dx, nId, control);
}

RECT CTestDialog::ItemScreenRect(int nId) const
{
    RECT rc{};
    HWND hWndItem = GetDlgItem(nId);
    GetClientRect(hWndItem, &rc);
    MapWindowPoints(hWndItem, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

std::string WindowText(HWND hWnd)
{
    char szText[1024] = {};
    GetWindowTextA(hWnd, szText, sizeof szText);
    return szText;
}

std::vector<std::string> ControlTexts(HWND hWndBox)
{
    std::vector<std::string> texts;
    EnumChildWindows(hWndBox, &CollectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

std::string ClassName(HWND hWnd)
{
    char szClass[64] = {};
    GetClassNameA(hWnd, szClass, sizeof szClass);
    return szClass;
}

bool IsVisibleBox(HWND hWnd)
{
    return IsWindowVisible(hWnd) && ClassName(hWnd) == "#32770";
}

HWND FindThreadWindow(DWORD dwThreadId, const std::function<bool(HWND)>& test)
{
    WindowSearch search{test, nullptr};
    EnumThreadWindows(dwThreadId, &WindowSearch::Visit, reinterpret_cast<LPARAM>(&search));
    return search.hWndFound;
}

HWND FindChildWindow(HWND hWndParent, const std::function<bool(HWND)>& test)
{
    WindowSearch search{test, nullptr};
    EnumChildWindows(hWndParent, &WindowSearch::Visit, reinterpret_cast<LPARAM>(&search));
    return search.hWndFound;
}

HWND FindChildWithText(HWND hWndBox, const std::string& text)
{
    return FindChildWindow(hWndBox, [&](HWND hWnd) { return WindowText(hWnd) == text; });
}

void PumpPendingMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool PumpMessagesUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    timeoutMs = ScaledMs(timeoutMs);
    for (;;) {
        PumpPendingMessages();
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

CDialogWatchdog::CDialogWatchdog(DWORD timeoutMs) : m_dwThreadId(GetCurrentThreadId()), m_timeoutMs(ScaledMs(timeoutMs))
{
    m_hStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_hThread = CreateThread(nullptr, 0, &CDialogWatchdog::ThreadProc, this, 0, nullptr);
}

CDialogWatchdog::~CDialogWatchdog()
{
    SetEvent(m_hStop);
    if (m_hThread) {
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
    }
    CloseHandle(m_hStop);
}

DWORD WINAPI CDialogWatchdog::ThreadProc(LPVOID pParam)
{
    CDialogWatchdog* pThis = static_cast<CDialogWatchdog*>(pParam);
    if (WaitForSingleObject(pThis->m_hStop, pThis->m_timeoutMs) != WAIT_TIMEOUT)
        return 0;
    // Keep cancelling until the test has moved on: a dialog may open another.
    do {
        bool bFound = false;
        EnumThreadWindows(pThis->m_dwThreadId, &CancelDialog, reinterpret_cast<LPARAM>(&bFound));
        if (bFound)
            InterlockedExchange(&pThis->m_bFired, 1);
    } while (WaitForSingleObject(pThis->m_hStop, 500) == WAIT_TIMEOUT);
    return 0;
}

bool MovePointerTo(POINT pt)
{
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    // Rounded up, so that scaling back to pixels (truncating) lands on the point itself.
    input.mi.dx = static_cast<LONG>((pt.x * 65536LL + cx - 1) / cx);
    input.mi.dy = static_cast<LONG>((pt.y * 65536LL + cy - 1) / cy);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return SendInput(1, &input, sizeof input) == 1;
}

bool PumpUntilPointerMoveHandled(POINT pt, DWORD timeoutMs)
{
    const DWORD dwStart = GetTickCount();
    timeoutMs = ScaledMs(timeoutMs);
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (msg.message == WM_MOUSEMOVE && msg.pt.x == pt.x && msg.pt.y == pt.y)
                return true;
        }
        if (GetTickCount() - dwStart > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool SendLeftButton(bool bDown)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = bDown ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    return SendInput(1, &input, sizeof input) == 1;
}

bool SendKey(WORD wVk, bool bUp)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = wVk;
    input.ki.dwFlags = bUp ? KEYEVENTF_KEYUP : 0;
    return SendInput(1, &input, sizeof input) == 1;
}
