#include "framework/Dialog.h"
#include "framework/Resource.h"
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

    // The template in the resources' language; the dialog manager would take the
    // system's choice of language.
    const HINSTANCE hInstance = CWinApp::ResourceInstance();
    const auto* pTemplate = static_cast<const DLGTEMPLATE*>(
        FindResourceData(hInstance, RT_DIALOG, m_nIDTemplate));
    if (!pTemplate)
        return -1;
    m_nIDMenu = DialogTemplateMenu(pTemplate);

    t_pCreating = this;
    t_hCreationHook = SetWindowsHookExA(WH_CBT, &CDialog::CreationHook, nullptr, GetCurrentThreadId());
    const INT_PTR result = DialogBoxIndirectParamA(hInstance, pTemplate, hWndOwner, &CDialog::StaticDlgProc, 0);
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
    if (msg == WM_INITDIALOG) {
        ReplaceMenu();
        RECT rcBefore{};
        GetWindowRect(m_hWnd, &rcBefore);
        const BOOL bDefaultFocus = OnInitDialog();
        // A dialog that its initialisation did not place opens centred over its owner.
        RECT rcAfter{};
        GetWindowRect(m_hWnd, &rcAfter);
        if (EqualRect(&rcBefore, &rcAfter))
            CenterWindow();
        return bDefaultFocus;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

void CDialog::ReplaceMenu()
{
    // The dialog manager loaded the template's menu in the system's choice of language;
    // the menu bar keeps its one line, so the window keeps its size.
    HMENU hOldMenu = GetMenu(m_hWnd);
    if (!hOldMenu || !m_nIDMenu)
        return;
    if (HMENU hMenu = LoadResMenu(m_nIDMenu)) {
        SetMenu(m_hWnd, hMenu);
        DestroyMenu(hOldMenu);
    }
}

void CDialog::CenterWindow()
{
    if (GetWindowLongPtrA(m_hWnd, GWL_STYLE) & WS_CHILD)
        return;

    RECT rcArea{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0);
    RECT rcCenter = rcArea;
    HWND hWndOwner = GetWindow(m_hWnd, GW_OWNER);
    if (hWndOwner && IsWindowVisible(hWndOwner) && !IsIconic(hWndOwner))
        GetWindowRect(hWndOwner, &rcCenter);

    RECT rcDialog{};
    GetWindowRect(m_hWnd, &rcDialog);
    const int width = rcDialog.right - rcDialog.left;
    const int height = rcDialog.bottom - rcDialog.top;
    int x = (rcCenter.left + rcCenter.right - width) / 2;
    int y = (rcCenter.top + rcCenter.bottom - height) / 2;
    // Keep the whole dialog on the work area.
    if (x + width > rcArea.right)
        x = rcArea.right - width;
    if (x < rcArea.left)
        x = rcArea.left;
    if (y + height > rcArea.bottom)
        y = rcArea.bottom - height;
    if (y < rcArea.top)
        y = rcArea.top;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    }
    return CWnd::OnCommand(wParam, lParam);
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
