#include "framework/Dialog.h"
#include "resource.h"
#include "tests/support/TestDialog.h"
#include <gtest/gtest.h>
#include <vector>

namespace {
const UINT WM_CHECK_PLACE = WM_APP + 1;

// A dialog that records where it stands once it is open, then ends itself.
class CPlacedDialog : public CDialog {
public:
    explicit CPlacedDialog(bool bMoveInInit) : CDialog(IDD_ABOUTBOX), m_bMoveInInit(bMoveInInit) {}
    RECT m_rcShown{};

protected:
    BOOL OnInitDialog() override
    {
        const BOOL result = CDialog::OnInitDialog();
        if (m_bMoveInInit)
            SetWindowPos(m_hWnd, nullptr, 7, 9, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        PostMessageA(m_hWnd, WM_CHECK_PLACE, 0, 0);
        return result;
    }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_CHECK_PLACE) {
            GetWindowRect(m_hWnd, &m_rcShown);
            EndDialog(IDOK);
            return 0;
        }
        return CDialog::WindowProc(msg, wParam, lParam);
    }

private:
    bool m_bMoveInInit;
};
}

TEST(Dialog, OpensCentredUnlessItsInitialisationPlacedIt)
{
    RECT rcArea{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0);

    CPlacedDialog centred(false);
    ASSERT_EQ(IDOK, centred.DoModal());
    const RECT& rc = centred.m_rcShown;
    EXPECT_NEAR((rcArea.left + rcArea.right) / 2, (rc.left + rc.right) / 2, 1);
    EXPECT_NEAR((rcArea.top + rcArea.bottom) / 2, (rc.top + rc.bottom) / 2, 1);

    CPlacedDialog placed(true);
    ASSERT_EQ(IDOK, placed.DoModal());
    EXPECT_EQ(7, placed.m_rcShown.left);
    EXPECT_EQ(9, placed.m_rcShown.top);
}

namespace {
// A control whose object records the notifications that its parent passes back.
class CNotifiedButton : public CWnd {
public:
    std::vector<UINT> m_codes;

protected:
    bool OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        if (msg == WM_COMMAND)
            m_codes.push_back(HIWORD(wParam));
        return CWnd::OnChildNotify(msg, wParam, lParam, pResult);
    }
};
}

TEST(Dialog, RunsACommandForAMenuItemAnAcceleratorOrAClickButNotForOtherNotifications)
{
    CDialogTemplate tmpl("Commands", 100, 40);
    tmpl.AddControl(CDialogTemplate::kButton, "OK", IDOK, BS_OWNERDRAW, 5, 5, 40, 14);
    CTestDialog dialog(tmpl, nullptr, false);
    ASSERT_NE(dialog.m_hWnd, nullptr);
    CNotifiedButton button;
    dialog.Bind(IDOK, button);
    const LPARAM lButton = reinterpret_cast<LPARAM>(button.m_hWnd);

    SendMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_DOUBLECLICKED), lButton);
    SendMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_SETFOCUS), lButton);
    EXPECT_EQ(dialog.m_nOkCount, 0);
    SendMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), lButton);
    EXPECT_EQ(dialog.m_nOkCount, 1);
    SendMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);  // a menu item
    SendMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, 1), 0);  // an accelerator
    EXPECT_EQ(dialog.m_nOkCount, 3);
    // Every notification of the control still reaches the control's object.
    EXPECT_EQ(button.m_codes, (std::vector<UINT>{BN_DOUBLECLICKED, BN_SETFOCUS, BN_CLICKED}));
}
