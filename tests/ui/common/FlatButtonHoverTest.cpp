// The hover state of the flat button, driven by real pointer moves and clicks.
#include "ui/common/FlatButton.h"
#include "tests/support/TestDialog.h"
#include <gtest/gtest.h>
#include <memory>

namespace {
constexpr int kFirstId = IDOK;
constexpr int kSecondId = 1101;

class FlatButtonHoverTest : public testing::Test {
protected:
    void SetUp() override
    {
        CDialogTemplate tmpl("Hover", 200, 80);
        tmpl.AddControl(CDialogTemplate::kButton, "First", kFirstId, BS_PUSHBUTTON | WS_TABSTOP, 10, 10, 60, 16);
        tmpl.AddControl(CDialogTemplate::kButton, "Second", kSecondId, BS_PUSHBUTTON | WS_TABSTOP, 100, 10, 60, 16);
        m_dialog = std::make_unique<CTestDialog>(tmpl);
        ASSERT_NE(m_dialog->m_hWnd, nullptr);
        SetWindowPos(m_dialog->m_hWnd, HWND_TOP, 100, 100, 0, 0, SWP_NOSIZE);
        m_dialog->Bind(kFirstId, m_first);
        m_dialog->Bind(kSecondId, m_second);
        PumpPendingMessages();
        Outside();
        ASSERT_TRUE(PumpMessagesUntil([] { return GetCapture() == nullptr; }));
    }
    void TearDown() override
    {
        SendLeftButton(false);
        MovePointerTo(POINT{5, 5});
        PumpPendingMessages();
    }

    POINT Centre(int nId) const
    {
        const RECT rc = m_dialog->ItemScreenRect(nId);
        return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }
    void Enter(POINT pt = POINT{-1, -1})
    {
        if (pt.x < 0)
            pt = Centre(kFirstId);
        MovePointerTo(pt);
        EXPECT_TRUE(PumpUntilPointerMoveHandled(pt));
        PumpMessagesUntil([&] {
            POINT cur;
            GetCursorPos(&cur);
            return cur.x == pt.x && cur.y == pt.y;
        });
    }
    // A point of the dialog away from both buttons.
    void Outside()
    {
        const RECT rc = m_dialog->ItemScreenRect(kFirstId);
        Enter(POINT{rc.left + 5, rc.bottom + 40});
    }

    std::unique_ptr<CTestDialog> m_dialog;
    CFlatButton m_first;
    CFlatButton m_second;
};
}

TEST_F(FlatButtonHoverTest, EnteringTakesTheCaptureAndLeavingGivesItBack)
{
    Enter();
    EXPECT_TRUE(m_first.IsHot());
    EXPECT_EQ(GetCapture(), m_first.m_hWnd);

    const RECT rc = m_dialog->ItemScreenRect(kFirstId);
    Enter(POINT{rc.left + 2, rc.top + 2});
    EXPECT_TRUE(m_first.IsHot());
    EXPECT_EQ(GetCapture(), m_first.m_hWnd);

    Outside();
    EXPECT_FALSE(m_first.IsHot());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(FlatButtonHoverTest, FocusLossClearsHotUntilThePointerLeavesAndReturns)
{
    SetFocus(m_first.m_hWnd);
    Enter();
    ASSERT_TRUE(m_first.IsHot());
    SetFocus(m_second.m_hWnd);
    PumpPendingMessages();
    EXPECT_FALSE(m_first.IsHot());
    EXPECT_EQ(GetCapture(), m_first.m_hWnd);

    const RECT rc = m_dialog->ItemScreenRect(kFirstId);
    Enter(POINT{rc.left + 3, rc.top + 3});
    EXPECT_FALSE(m_first.IsHot());
    Outside();
    EXPECT_EQ(GetCapture(), nullptr);
    Enter();
    EXPECT_TRUE(m_first.IsHot());
}

TEST_F(FlatButtonHoverTest, PressAndLeaveKeepsTheCaptureForTheButton)
{
    Enter();
    ASSERT_TRUE(m_first.IsHot());
    SendLeftButton(true);
    ASSERT_TRUE(PumpMessagesUntil(
        [&] { return (SendMessageA(m_first.m_hWnd, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; }));
    EXPECT_EQ(GetCapture(), m_first.m_hWnd);

    Outside();
    EXPECT_FALSE(m_first.IsHot());
    EXPECT_EQ(GetCapture(), m_first.m_hWnd);
    EXPECT_EQ(SendMessageA(m_first.m_hWnd, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);

    Enter();
    EXPECT_FALSE(m_first.IsHot());
    EXPECT_NE(SendMessageA(m_first.m_hWnd, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);

    SendLeftButton(false);
    EXPECT_TRUE(PumpMessagesUntil([&] { return m_dialog->m_nOkCount == 1; }));
    Enter(POINT{Centre(kFirstId).x + 2, Centre(kFirstId).y});
    EXPECT_TRUE(m_first.IsHot());
    EXPECT_EQ(GetCapture(), m_first.m_hWnd);
}

TEST_F(FlatButtonHoverTest, ClickStaysHotAndAnotherWindowsCaptureIsLeftAlone)
{
    Enter();
    SendLeftButton(true);
    ASSERT_TRUE(PumpMessagesUntil(
        [&] { return (SendMessageA(m_first.m_hWnd, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; }));
    SendLeftButton(false);
    ASSERT_TRUE(PumpMessagesUntil([&] { return m_dialog->m_nOkCount == 1; }));
    EXPECT_TRUE(m_first.IsHot());

    Enter(POINT{Centre(kFirstId).x + 3, Centre(kFirstId).y});
    ASSERT_EQ(GetCapture(), m_first.m_hWnd);
    SetCapture(m_second.m_hWnd);
    PumpPendingMessages();
    EXPECT_EQ(GetCapture(), m_second.m_hWnd);
    EXPECT_TRUE(m_first.IsHot());
    ReleaseCapture();
}

TEST_F(FlatButtonHoverTest, ThreeDimensionalLookDoesNotTrackThePointer)
{
    m_first.SetFlatLook(false);
    Enter();
    EXPECT_FALSE(m_first.IsHot());
    EXPECT_EQ(GetCapture(), nullptr);
}
