// The program's entry point: runs the one application object.
#include "framework/WinApp.h"
#include <cstdlib>
#include <string>

// The program catches no exception, so every one the runtime throws ends in
// terminate. Ending there at once, without the runtime's message (a windowed
// program has no console for it), keeps the runtime's exception texts and its
// name demangler (some 90 KB) out of the program file.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}
namespace std {
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
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
