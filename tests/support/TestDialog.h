// Dialogs built in memory for window tests, shown modeless so that a test keeps
// control, and a watchdog that closes a modal dialog a failing test left open.
#pragma once
#include "framework/Dialog.h"
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// A dialog template assembled at run time. Texts are ANSI (code page 932) bytes.
class CDialogTemplate {
public:
    // Predefined control classes.
    enum : WORD { kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082 };

    CDialogTemplate(const char* pszCaption, short cx, short cy, const char* pszFont = "MS Shell Dlg",
                    WORD nPointSize = 9, DWORD dwStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);

    // Sizes are in dialog units. WS_CHILD | WS_VISIBLE are always added to the style.
    void AddControl(WORD wClass, const char* pszText, WORD nId, DWORD dwStyle, short x, short y, short cx, short cy);
    void AddControl(const char* pszClass, const char* pszText, WORD nId, DWORD dwStyle, short x, short y, short cx,
                    short cy);

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

private:
    void PutDword(DWORD value);
    void PutString(const char* pszText);
    void AlignToDword();
    void AddItemHeader(DWORD dwStyle, WORD nId, short x, short y, short cx, short cy);

    std::vector<WORD> m_words;
};

// A modeless dialog from a template whose messages reach this object, so that
// controls bound with Bind() get their notifications back as in the program.
class CTestDialog : public CDialog {
public:
    explicit CTestDialog(const CDialogTemplate& dialogTemplate, HWND hWndOwner = nullptr, bool bShow = true);
    ~CTestDialog() override;

    // Binds the control through the data exchange, as the program's dialogs do.
    void Bind(int nId, CWnd& control);
    // Client rectangle of a control in screen coordinates.
    RECT ItemScreenRect(int nId) const;

    int m_nOkCount = 0;
    int m_nCancelCount = 0;

protected:
    void OnOK() override { ++m_nOkCount; }
    void OnCancel() override { ++m_nCancelCount; }
};

std::string WindowText(HWND hWnd);
std::string ClassName(HWND hWnd);
// A visible dialog box (the system's dialog class).
bool IsVisibleBox(HWND hWnd);
// The window texts of a box's controls.
std::vector<std::string> ControlTexts(HWND hWndBox);
// The first top-level window of the thread, or child of the window, that passes the test; or null.
HWND FindThreadWindow(DWORD dwThreadId, const std::function<bool(HWND)>& test);
HWND FindChildWindow(HWND hWndParent, const std::function<bool(HWND)>& test);
// The first control of the box that shows the text, or null.
HWND FindChildWithText(HWND hWndBox, const std::string& text);

// Dispatches the messages waiting for this thread.
void PumpPendingMessages();
// Dispatches this thread's messages until the condition holds; false at the time limit.
bool PumpMessagesUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// Cancels every dialog of the creating thread that is still open when the time is
// up, so that a test whose modal dialog was not closed fails instead of hanging.
class CDialogWatchdog {
public:
    explicit CDialogWatchdog(DWORD timeoutMs);
    ~CDialogWatchdog();
    CDialogWatchdog(const CDialogWatchdog&) = delete;
    CDialogWatchdog& operator=(const CDialogWatchdog&) = delete;

    bool Fired() const { return m_bFired != 0; }

private:
    static DWORD WINAPI ThreadProc(LPVOID pParam);

    DWORD m_dwThreadId;
    DWORD m_timeoutMs;
    HANDLE m_hStop = nullptr;
    HANDLE m_hThread = nullptr;
    volatile LONG m_bFired = 0;
};

// Moves the real pointer (SendInput) to a point in screen coordinates.
bool MovePointerTo(POINT pt);
// Dispatches this thread's messages until a mouse move to the point (screen coordinates)
// has been handled by one of its windows; false at the time limit.
bool PumpUntilPointerMoveHandled(POINT pt, DWORD timeoutMs = 5000);
// Presses or releases the left mouse button where the pointer is.
bool SendLeftButton(bool bDown);
// Presses or releases a key, as the keyboard does.
bool SendKey(WORD wVk, bool bUp);
