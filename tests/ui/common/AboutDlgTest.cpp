// The About box run modally, driven from a second thread that finds the box,
// looks at it and presses its keys.
#include "ui/common/AboutDlg.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <atomic>
#include <functional>
#include <string>
#include "tests/support/TestDialog.h"
#include "tests/support/TestThread.h"

namespace {

const INT_PTR kForcedEnd = 0x7E57;

// The visible dialog box of the thread with that title.
HWND FindDialog(DWORD threadId, const char* pszTitle)
{
    return FindThreadWindow(threadId, [&](HWND hWnd) { return IsVisibleBox(hWnd) && WindowText(hWnd) == pszTitle; });
}

HWND FocusOf(DWORD threadId)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(threadId, &info) ? info.hwndFocus : nullptr;
}

// Runs the box modally on this thread; `drive` gets the box from a second
// thread once it is up. A box that the driver did not close is ended with
// kForcedEnd, so a failing test never hangs.
INT_PTR RunModal(CAboutDlg& dlg, const std::function<void(HWND hDlg, DWORD threadId)>& drive, bool& bFound)
{
    const DWORD threadId = GetCurrentThreadId();
    std::atomic<bool> found{false};
    CTestThread driver([&] {
        HWND hDlg = nullptr;
        if (!WaitFor([&] { return (hDlg = FindDialog(threadId, "Zorvane")) != nullptr; }))
            return;
        found = true;
        drive(hDlg, threadId);
        if (!WaitFor([&] { return !IsWindow(hDlg) || !IsWindowVisible(hDlg); }))
            EndDialog(hDlg, kForcedEnd);
    });
    const INT_PTR result = dlg.DoModal();
    driver.join();
    bFound = found;
    return result;
}

// Presses a key in the box the way the keyboard does: to the focused control.
void PressKey(HWND hDlg, DWORD threadId, UINT vk)
{
    HWND hTarget = FocusOf(threadId);
    PostMessageA(hTarget ? hTarget : hDlg, WM_KEYDOWN, vk, 1);
    PostMessageA(hTarget ? hTarget : hDlg, WM_KEYUP, vk, 0xC0000001);
}

}  // namespace

TEST(AboutDlg, ShowsIconNameAndVersionWithAFlatFocusedOkButton)
{
    CAboutDlg dlg;
    struct {
        LONG_PTR style = 0;
        bool productShown = false, versionShown = false, iconShown = false;
        LONG_PTR okType = -1;
        bool okBound = false, okFocused = false, painted = false;
        RECT okExpected = {}, okActual = {};
    } seen;
    bool found = false;
    const INT_PTR result = RunModal(
        dlg,
        [&](HWND hDlg, DWORD threadId) {
            HWND hOK = GetDlgItem(hDlg, IDOK);
            seen.style = GetWindowLongPtrA(hDlg, GWL_STYLE);
            seen.productShown = FindChildWithText(hDlg, "Zorvane for Windows") != nullptr;
            seen.versionShown = FindChildWithText(hDlg, "Version 2.2") != nullptr;
            for (HWND hChild = GetWindow(hDlg, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT)) {
                if (ClassName(hChild) == "Static" && (GetWindowLongPtrA(hChild, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                    seen.iconShown = SendMessageA(hChild, STM_GETICON, 0, 0) != 0;
            }
            seen.okType = GetWindowLongPtrA(hOK, GWL_STYLE) & BS_TYPEMASK;
            seen.okBound = CWnd::FromHandle(hOK) == &dlg.m_btnOK;
            seen.okFocused = WaitFor([&] { return FocusOf(threadId) == hOK; });
            // The box validates what it is asked to paint, or it would be asked forever.
            seen.painted = WaitFor([&] { return !GetUpdateRect(hDlg, nullptr, FALSE); });
            // Position and size are converted separately, as the dialog manager does.
            RECT origin = {42, 50, 0, 0}, size = {0, 0, 50, 14};
            MapDialogRect(hDlg, &origin);
            MapDialogRect(hDlg, &size);
            seen.okExpected = {origin.left, origin.top, origin.left + size.right, origin.top + size.bottom};
            GetWindowRect(hOK, &seen.okActual);
            MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&seen.okActual), 2);
            PostMessageA(hOK, BM_CLICK, 0, 0);
        },
        found);

    ASSERT_TRUE(found) << "the About box did not appear";
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(seen.style & WS_CAPTION);
    EXPECT_FALSE(seen.style & WS_SYSMENU) << "the box has no close box";
    EXPECT_TRUE(seen.productShown);
    EXPECT_TRUE(seen.versionShown);
    EXPECT_TRUE(seen.iconShown) << "the icon control shows no icon";
    EXPECT_EQ(seen.okType, BS_OWNERDRAW) << "the OK button is not drawn flat";
    EXPECT_TRUE(seen.okBound);
    EXPECT_TRUE(seen.okFocused);
    EXPECT_TRUE(seen.painted);
    EXPECT_TRUE(EqualRect(&seen.okExpected, &seen.okActual))
        << "OK at " << seen.okActual.left << "," << seen.okActual.top << "-" << seen.okActual.right << ","
        << seen.okActual.bottom << " instead of " << seen.okExpected.left << "," << seen.okExpected.top << "-"
        << seen.okExpected.right << "," << seen.okExpected.bottom;
    EXPECT_EQ(dlg.m_btnOK.m_hWnd, nullptr) << "the button stays attached to a destroyed window";
}

TEST(AboutDlg, EscapeCancelsAndEnterConfirms)
{
    const struct {
        UINT vk;
        INT_PTR result;
    } cases[] = {{VK_ESCAPE, IDCANCEL}, {VK_RETURN, IDOK}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.vk == VK_ESCAPE ? "Esc" : "Enter");
        CAboutDlg dlg;
        bool found = false;
        const INT_PTR result = RunModal(
            dlg,
            [&](HWND hDlg, DWORD threadId) {
                WaitFor([&] { return FocusOf(threadId) != nullptr; });
                PressKey(hDlg, threadId, c.vk);
            },
            found);
        ASSERT_TRUE(found) << "the About box did not appear";
        EXPECT_EQ(result, c.result);
    }
}
