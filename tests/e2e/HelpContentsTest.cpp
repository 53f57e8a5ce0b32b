// Help > Contents of the real program opens the help file built beside it, on its
// contents topic, in readable Japanese, and shows no error of its own.
#include "resource.h"
#include "tests/e2e/E2eSupport.h"
#include <gtest/gtest.h>

namespace {

BOOL CALLBACK CollectChild(HWND hWnd, LPARAM lParam)
{
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

// The texts of a window's descendants, read across processes in code page 932.
std::string ChildTexts(HWND hWndTop)
{
    std::vector<HWND> children;
    EnumChildWindows(hWndTop, &CollectChild, reinterpret_cast<LPARAM>(&children));
    std::string texts;
    for (HWND hWnd : children) {
        std::string text(static_cast<size_t>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
        text.resize(static_cast<size_t>(SendMessageA(hWnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
        texts += text + "\n";
    }
    return texts;
}

TEST(HelpContentsTest, OpensTheHelpFileBesideTheProgramOnItsContentsTopic)
{
    ASSERT_TRUE(e2e::FileExists(e2e::ModuleFolder() + "\\ZORVANE.HLP")) << "the build makes the help file";
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
    std::string shown;
    EXPECT_TRUE(e2e::WaitUntil([&] { return (shown = ChildTexts(hWndHelp)).find("ヘルプの目次") != std::string::npos; }))
        << "not the contents topic: " << shown;
    // The topic lists the others, down to the last one.
    EXPECT_NE(shown.find("警告メッセージと対処"), std::string::npos) << shown;
    EXPECT_NE(shown.find("動作環境"), std::string::npos) << shown;
    // No box of the program's own says that help could not start.
    EXPECT_EQ(e2e::WindowsOfProcess(program.Id()).size(), 1u);

    PostMessageA(hWndHelp, WM_CLOSE, 0, 0);
    EXPECT_TRUE(e2e::WaitUntil([&] { return FindWindowA(nullptr, "Zorvane ヘルプ") == nullptr; }));
    PostMessageA(hWndMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.Wait());
}

}  // namespace
