#include "framework/Dialog.h"
#include "resource.h"
#include <gtest/gtest.h>

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
