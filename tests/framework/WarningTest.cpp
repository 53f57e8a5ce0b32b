#include "framework/Warning.h"
#include "framework/ResourceString.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <atomic>
#include <string>
#include "tests/support/TestThread.h"

namespace {
struct SeenBox {
    std::string caption;
    std::string text;
    bool bHasIcon = false;
    bool bHasCancel = false;
};

// The first visible window of the thread that shows the box.
BOOL CALLBACK FindVisibleWindow(HWND hWnd, LPARAM lParam)
{
    if (!IsWindowVisible(hWnd))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

// Shows the box on this thread while a second one reads and closes it.
SeenBox ShowAndCloseWarning(UINT nStringId, const char* pszCaption)
{
    SeenBox seen;
    std::atomic<bool> bDone{false};
    const DWORD dwThreadId = GetCurrentThreadId();
    CTestThread closer([&] {
        const DWORD dwStart = GetTickCount();
        while (!bDone && GetTickCount() - dwStart < ScaledMs(20000)) {
            HWND hWndBox = nullptr;
            EnumThreadWindows(dwThreadId, &FindVisibleWindow, reinterpret_cast<LPARAM>(&hWndBox));
            if (hWndBox) {
                char szText[1024] = {};
                GetWindowTextA(hWndBox, szText, sizeof szText);
                seen.caption = szText;
                HWND hWndText = GetDlgItem(hWndBox, 0xFFFF);
                if (hWndText) {
                    GetWindowTextA(hWndText, szText, sizeof szText);
                    seen.text = szText;
                }
                for (HWND hChild = GetWindow(hWndBox, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT)) {
                    if (SendMessageA(hChild, STM_GETICON, 0, 0) != 0)
                        seen.bHasIcon = true;
                }
                seen.bHasCancel = GetDlgItem(hWndBox, IDCANCEL) && IsWindowVisible(GetDlgItem(hWndBox, IDCANCEL));
                PostMessageA(hWndBox, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(20);
        }
    });
    ShowWarning(GetModuleHandleA(nullptr), nStringId, pszCaption, nullptr);
    bDone = true;
    closer.join();
    return seen;
}
}

TEST(Warning, ShowsTheStringWithTheCaptionAndTheWarningIcon)
{
    const SeenBox seen = ShowAndCloseWarning(IDS_NO_FILE_TO_EXPAND, "ファイル展開エラー");
    EXPECT_EQ(seen.caption, "ファイル展開エラー");
    EXPECT_EQ(seen.text, "展開するファイルが選択されていません。\nファイルを選択してからやり直してください。");
    EXPECT_EQ(seen.text, LoadResString(IDS_NO_FILE_TO_EXPAND));
    EXPECT_TRUE(seen.bHasIcon);
    EXPECT_FALSE(seen.bHasCancel);
}

TEST(Warning, EachStringComesFromTheTable)
{
    EXPECT_EQ(ShowAndCloseWarning(IDS_SELECT_ONE_FILE, "拡張子設定エラー").text,
              "ファイルが複数選択されているか、または選択されていません。\nファイルは1つだけ選択してください。");
    EXPECT_EQ(ShowAndCloseWarning(IDS_NO_FILE_TO_REMOVE, "ファイルリスト消去エラー").text,
              "消去するファイルが選択されていません。\nファイルを選択してからやり直してください。");
}
