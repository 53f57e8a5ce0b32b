#include "ui/common/AboutDlg.h"
#include "resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

CAboutDlg::~CAboutDlg() = default;

LRESULT CAboutDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

void CAboutDlg::DoDataExchange(CDataExchange& dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDOK, m_btnOK);
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    return TRUE;
}

void CAboutDlg::OnPaint()
{
    // The icon, the texts and the button paint themselves; the box itself only
    // has to validate its client area.
    PAINTSTRUCT ps;
    BeginPaint(m_hWnd, &ps);
    EndPaint(m_hWnd, &ps);
}
