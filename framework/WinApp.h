// The application object: one global instance whose start-up routine is the
// program's entry into its own code.
#pragma once
#include <windows.h>
#include <string>

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

    // Shows the help beside the program: the help file through WinHelp, or on Windows
    // Vista and later, which have no WinHelp, the HTML page of the same help in the
    // program that opens such pages.
    void WinHelp(ULONG_PTR dwData, UINT nCmd);

    CWnd* m_pMainWnd = nullptr;
    int m_nExitCode = 0;
    // The help file's and the HTML page's paths: the program's path with its extension
    // replaced by these.
    std::string m_strHelpFileEnding = ".HLP";
    std::string m_strHtmlHelpEnding = ".HTM";

private:
    bool m_bOleInitialized = false;
};
