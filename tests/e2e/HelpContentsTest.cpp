// Help > Contents of the real program opens the help file built beside it and shows a
// topic, and the program shows no error of its own. What the topics say and which one
// comes first is the help file's structural test's to check.
#include "resource.h"
#include "tests/e2e/E2eSupport.h"
#include <gtest/gtest.h>

namespace {

BOOL CALLBACK CollectChild(HWND hWnd, LPARAM lParam)
{
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

// The length in characters of the text that the viewer shows: its rich edit control's. (Wine's control
// tells its length to another process but not its text.)
LRESULT ShownTextLength(HWND hWndTop)
{
    std::vector<HWND> children;
    EnumChildWindows(hWndTop, &CollectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND hWnd : children) {
        char szClass[64] = {};
        GetClassNameA(hWnd, szClass, sizeof szClass);
        if (std::strncmp(szClass, "RichEdit", 8) == 0)
            return SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0);
    }
    return 0;
}

TEST(HelpContentsTest, ContentsOpensTheHelpFileBuiltBesideTheProgram)
{
    ASSERT_TRUE(e2e::FileExists(e2e::ModuleFolder() + "\\ZORVANE.HLP")) << "the build makes the help file";
    // The last Windows with WinHelp of its own.
    e2e::ReportedVersion version("winxp");
    ASSERT_TRUE(version.IsOk("winxp"));
    e2e::Process program;
    ASSERT_TRUE(program.Start(e2e::ProgramPath(), ""));
    HWND hWndMain = nullptr;
    ASSERT_TRUE(e2e::WaitUntil(
        [&] { return (hWndMain = e2e::FindWindowOfProcess(program.Id(), "Zorvane for Windows95/98")) != nullptr; }));

    PostMessageA(hWndMain, WM_COMMAND, ID_HELP_CONTENTS, 0);
    // The viewer's main window takes the caption that the help file gives it.
    HWND hWndHelp = nullptr;
    ASSERT_TRUE(e2e::WaitUntil([&] { return (hWndHelp = FindWindowA(nullptr, "Zorvane ヘルプ")) != nullptr; }))
        << "no help viewer showing the help file";
    EXPECT_TRUE(e2e::WaitUntil([&] { return ShownTextLength(hWndHelp) > 100; })) << "no topic shown";
    // No box of the program's own says that help could not start.
    EXPECT_EQ(e2e::WindowsOfProcess(program.Id()).size(), 1u);

    PostMessageA(hWndHelp, WM_CLOSE, 0, 0);
    EXPECT_TRUE(e2e::WaitUntil([&] { return FindWindowA(nullptr, "Zorvane ヘルプ") == nullptr; }));
    PostMessageA(hWndMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.Wait());
}

}  // namespace
