// The program's entry point: runs the one application object.
#include "framework/WinApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CWinApp* pApp = CWinApp::Get();
    if (!pApp)
        return 1;
    if (pApp->InitInstance())
        pApp->m_nExitCode = pApp->Run();
    return pApp->ExitInstance();
}
