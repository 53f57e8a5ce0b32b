#include "framework/WinApp.h"
#include "framework/FrameworkRes.h"
#include "framework/ResourceString.h"
#include "framework/Wnd.h"
#include <ole2.h>
#include <string>

namespace {
CWinApp* g_pApp = nullptr;

BOOL CALLBACK CancelModeProc(HWND hWnd, LPARAM)
{
    SendMessageA(hWnd, WM_CANCELMODE, 0, 0);
    return TRUE;
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

    char szPath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string helpFile = szPath;
    const size_t slash = helpFile.find_last_of('\\');
    const size_t dot = helpFile.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        helpFile.erase(dot);
    helpFile += ".HLP";

    if (!::WinHelpA(hWndMain, helpFile.c_str(), nCmd, dwData)) {
        const std::string text = LoadResString(IDP_FAILED_TO_LAUNCH_HELP);
        MessageBoxA(hWndMain, text.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
    }
}
