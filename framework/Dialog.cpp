#include "framework/Dialog.h"
#include "framework/WinApp.h"

namespace {
// The dialog whose window is being created, and the hook that catches that window
// before its first message, so that the object also sees WM_CREATE.
thread_local CDialog* t_pCreating = nullptr;
thread_local HHOOK t_hCreationHook = nullptr;

void Unhook()
{
    if (t_hCreationHook)
        UnhookWindowsHookEx(t_hCreationHook);
    t_hCreationHook = nullptr;
    t_pCreating = nullptr;
}
}

void DDX_Control(CDataExchange& dx, int nIDC, CWnd& control)
{
    if (!control.m_hWnd)
        control.SubclassWindow(dx.m_dialog.GetDlgItem(nIDC));
}

void DDX_Text(CDataExchange& dx, int nIDC, std::string& value)
{
    HWND hWndCtrl = dx.m_dialog.GetDlgItem(nIDC);
    if (dx.m_bSaveAndValidate) {
        const int length = GetWindowTextLengthA(hWndCtrl);
        std::string text(static_cast<size_t>(length) + 1, '\0');
        const int copied = GetWindowTextA(hWndCtrl, &text[0], length + 1);
        text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
        value = text;
    } else {
        SetWindowTextA(hWndCtrl, value.c_str());
    }
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal()
{
    HWND hWndOwner = nullptr;
    if (m_pParentWnd)
        hWndOwner = m_pParentWnd->m_hWnd;
    else if (CWinApp* pApp = CWinApp::Get(); pApp && pApp->m_pMainWnd && pApp->m_pMainWnd != this)
        hWndOwner = pApp->m_pMainWnd->m_hWnd;

    t_pCreating = this;
    t_hCreationHook = SetWindowsHookExA(WH_CBT, &CDialog::CreationHook, nullptr, GetCurrentThreadId());
    const INT_PTR result = DialogBoxParamA(CWinApp::ResourceInstance(), MAKEINTRESOURCEA(m_nIDTemplate), hWndOwner,
                                           &CDialog::StaticDlgProc, 0);
    Unhook();
    return result;
}

LRESULT CALLBACK CDialog::CreationHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    const HHOOK hHook = t_hCreationHook;
    if (nCode == HCBT_CREATEWND && t_pCreating) {
        CDialog* pDialog = t_pCreating;
        Unhook();
        pDialog->SubclassWindow(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(hHook, nCode, wParam, lParam);
}

INT_PTR CALLBACK CDialog::StaticDlgProc(HWND, UINT, WPARAM, LPARAM)
{
    // The object's window procedure handles every message before the dialog manager.
    return FALSE;
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG)
        return OnInitDialog();
    return CWnd::WindowProc(msg, wParam, lParam);
}

bool CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (CWnd::OnCommand(wParam, lParam))
        return true;
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    }
    return false;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange&) {}

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::EndDialog(INT_PTR nResult)
{
    ::EndDialog(m_hWnd, nResult);
}

bool CDialog::UpdateData(bool bSaveAndValidate)
{
    CDataExchange dx(*this, bSaveAndValidate);
    DoDataExchange(dx);
    return true;
}

HWND CDialog::GetDlgItem(int nID) const
{
    return ::GetDlgItem(m_hWnd, nID);
}
