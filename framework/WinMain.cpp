// The program's entry point: runs the one application object.
#include "framework/WinApp.h"
#include <cstdlib>

// A windowed program has no console for the runtime's message about an uncaught
// exception. Ending plainly also keeps the runtime's name demangler (some 45 KB)
// out of the program file.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CWinApp* pApp = CWinApp::Get();
    if (!pApp)
        return 1;
    if (pApp->InitInstance())
        pApp->m_nExitCode = pApp->Run();
    return pApp->ExitInstance();
}
