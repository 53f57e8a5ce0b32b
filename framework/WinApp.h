// The application object: one global instance whose start-up routine is the
// program's entry into its own code.
#pragma once
#include <windows.h>

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    static CWinApp* Get();
    // The module whose resources (templates, menus, strings, icons) are used.
    static HINSTANCE ResourceInstance();

    // Start-up; false ends the program at once instead of running a message loop.
    virtual BOOL InitInstance();
    // The message loop, when start-up returned true.
    virtual int Run();
    // Clean-up; the result is the process exit code.
    virtual int ExitInstance();

    // Initialises OLE for this thread; it is closed when the program ends.
    bool OleInit();

    // Shows the help file beside the program (its path with the extension ".HLP").
    void WinHelp(ULONG_PTR dwData, UINT nCmd);

    CWnd* m_pMainWnd = nullptr;
    int m_nExitCode = 0;

private:
    bool m_bOleInitialized = false;
};
