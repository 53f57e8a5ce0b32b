#include "ui/main/ExtensionDlg.h"
#include "platform/Dbcs.h"
#include "resource.h"

CExtensionDlg::CExtensionDlg() : CDialog(IDD_EXTENSION) {}

std::string CExtensionDlg::FitExtension(const std::string& strText)
{
    size_t nEnd = 0;
    while (nEnd < strText.size()) {
        const size_t nChar = platform::IsLeadByte(static_cast<unsigned char>(strText[nEnd])) ? 2 : 1;
        if (nEnd + nChar > kMaxExtensionBytes || nEnd + nChar > strText.size())
            break;
        nEnd += nChar;
    }
    return strText.substr(0, nEnd);
}

bool CExtensionDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDC_APPLY_ALL:
        OnApplyAll();
        return true;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CExtensionDlg::DoDataExchange(CDataExchange& dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_APPLY_ALL, m_btnApplyAll);
    DDX_Control(dx, IDOK, m_btnOK);
    DDX_Control(dx, IDCANCEL, m_btnCancel);
    DDX_Control(dx, IDC_EXTENSION, m_editExtension);
    DDX_Control(dx, IDC_FILEICON, m_staticIcon);
    DDX_Text(dx, IDC_MESSAGE, m_strMessage);
    // The edit's limit counts characters on some systems; the entry's field counts bytes.
    if (!dx.m_bSaveAndValidate)
        m_strExtension = FitExtension(m_strExtension);
    DDX_Text(dx, IDC_EXTENSION, m_strExtension);
    if (dx.m_bSaveAndValidate)
        m_strExtension = FitExtension(m_strExtension);
}

BOOL CExtensionDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SendMessageA(m_editExtension.m_hWnd, EM_LIMITTEXT, kMaxExtensionBytes, 0);
    SendMessageA(m_staticIcon.m_hWnd, STM_SETICON, reinterpret_cast<WPARAM>(m_hIcon), 0);
    // The third character: the '_' of a compressed extension such as EX_, replaced by one key.
    SendMessageA(m_editExtension.m_hWnd, EM_SETSEL, 2, 3);
    SetFocus(m_editExtension.m_hWnd);
    return FALSE;
}

void CExtensionDlg::OnApplyAll()
{
    m_bApplyAll = TRUE;
    if (UpdateData(true))
        EndDialog(IDOK);
}
