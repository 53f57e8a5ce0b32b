// Entry point of the in-process window tests: one application object, OLE, the
// common controls and the interface language of the system's code page, as the
// program has them.
#include "app/Language.h"
#include "framework/WinApp.h"
#include <commctrl.h>
#include <gtest/gtest.h>

namespace {
class CTestApp : public CWinApp {};
CTestApp g_testApp;
}

int main(int argc, char** argv)
{
    UseInterfaceLanguage(g_testApp, InterfaceLanguage(GetACP()));
    InitCommonControls();
    g_testApp.OleInit();
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    g_testApp.ExitInstance();
    return result;
}
