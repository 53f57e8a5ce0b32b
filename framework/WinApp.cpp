#include "framework/WinApp.h"
#include "framework/FrameworkRes.h"
#include "framework/ResourceString.h"
#include "framework/Wnd.h"
#include <ole2.h>
#include <shellapi.h>
#include <string>

namespace {
CWinApp* g_pApp = nullptr;

BOOL CALLBACK CancelModeProc(HWND hWnd, LPARAM)
{
    SendMessageA(hWnd, WM_CANCELMODE, 0, 0);
    return TRUE;
}

// The program's path with its extension replaced by the ending.
std::string HelpPath(const std::string& strEnding)
{
    char szPath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string path = szPath;
    const size_t slash = path.find_last_of('\\');
    const size_t dot = path.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        path.erase(dot);
    return path + strEnding;
}

// Windows Vista (6.0) and later ship no WinHelp: 7 and 8.1 only as a download of
// their own, 10 and 11 not at all.
bool SystemHasWinHelp()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version.dwMajorVersion < 6;
}
}

CWinApp::CWinApp()
{
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

CWinApp* CWinApp::Get()
{
    return g_pApp;
}

HINSTANCE CWinApp::ResourceInstance()
{
    return GetModuleHandleA(nullptr);
}

BOOL CWinApp::InitInstance()
{
    return FALSE;
}

int CWinApp::Run()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return m_nExitCode;
}

int CWinApp::ExitInstance()
{
    if (m_bOleInitialized)
        OleUninitialize();
    m_bOleInitialized = false;
    return m_nExitCode;
}

bool CWinApp::OleInit()
{
    if (!m_bOleInitialized)
        m_bOleInitialized = SUCCEEDED(OleInitialize(nullptr));
    return m_bOleInitialized;
}

void CWinApp::WinHelp(ULONG_PTR dwData, UINT nCmd)
{
    HWND hWndMain = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;

    // Help must not start while a menu, a drag or a capture is under way.
    if (hWndMain) {
        SendMessageA(hWndMain, WM_CANCELMODE, 0, 0);
        EnumChildWindows(hWndMain, &CancelModeProc, 0);
    }
    if (HWND hWndCapture = GetCapture())
        SendMessageA(hWndCapture, WM_CANCELMODE, 0, 0);

    bool bShown;
    if (SystemHasWinHelp()) {
        bShown = ::WinHelpA(hWndMain, HelpPath(m_strHelpFileEnding).c_str(), nCmd, dwData) != FALSE;
    } else {
        const HINSTANCE hResult =
            ShellExecuteA(hWndMain, "open", HelpPath(m_strHtmlHelpEnding).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        bShown = reinterpret_cast<INT_PTR>(hResult) > 32;
    }
    if (!bShown) {
        const std::string text = LoadResString(IDP_FAILED_TO_LAUNCH_HELP);
        MessageBoxA(hWndMain, text.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
    }
}
