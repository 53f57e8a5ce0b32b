// A C++ object attached to a window: the window's messages reach WindowProc,
// and Default() hands a message on to the window's own procedure.
#pragma once
#include <windows.h>
#include <string>

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // Routes the messages of an existing window (a dialog control) to this object.
    bool SubclassWindow(HWND hWnd);
    // The object attached to a window, or null.
    static CWnd* FromHandle(HWND hWnd);

    // Runs just before the window's messages start to reach this object.
    virtual void PreSubclassWindow() {}

    std::string GetWindowText() const;
    void SetWindowText(const char* pszText);
    void Invalidate(bool bErase = true);

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // The default processing of the message being handled.
    LRESULT Default();

    // A command: a menu item or an accelerator (no control), or a click of a control
    // (BN_CLICKED); true when handled. A control's other notifications go only to the
    // control's own object (OnChildNotify).
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam);
    // A notification (WM_NOTIFY); true when handled, with its result in *pResult.
    virtual bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // A notification that this control sent to its parent and the parent passed
    // back (WM_NOTIFY, WM_DRAWITEM, WM_COMMAND); true when handled.
    virtual bool OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Parent side: passes a child's notification back to the child's object.
    static bool ReflectChildNotify(HWND hWndChild, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

private:
    static LRESULT CALLBACK StaticWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Detach();

    struct Message {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    WNDPROC m_pfnSuper = nullptr;
    Message m_current{};
};
