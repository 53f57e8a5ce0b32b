#include "framework/FileDialog.h"
#include "framework/WinApp.h"
#include <cstring>

DWORD OpenFileNameSize(const OSVERSIONINFOA& version)
{
    const bool bNew = version.dwPlatformId == VER_PLATFORM_WIN32_NT
                          ? version.dwMajorVersion >= 5
                          : version.dwMajorVersion > 4 || (version.dwMajorVersion == 4 && version.dwMinorVersion >= 90);
    return bNew ? sizeof(OPENFILENAMEA) : OPENFILENAME_SIZE_VERSION_400A;
}

CFileDialog::CFileDialog(bool bOpenFileDialog, const char* pszDefExt, const char* pszFileName, DWORD dwFlags,
                         const char* pszFilter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog), m_pParentWnd(pParentWnd)
{
    if (pszDefExt)
        m_strDefExt = pszDefExt;
    if (pszFileName)
        lstrcpynA(m_szFile, pszFileName, MAX_PATH);

    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    m_ofn.lStructSize = OpenFileNameSize(version);
    m_ofn.lpstrFilter = pszFilter;
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = m_szFile;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.lpstrDefExt = pszDefExt ? m_strDefExt.c_str() : nullptr;
    m_ofn.Flags = dwFlags | OFN_EXPLORER | OFN_ENABLESIZING | OFN_ENABLEHOOK;
    m_ofn.lpfnHook = &CFileDialog::HookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
}

void CFileDialog::SetTitle(const char* pszTitle)
{
    m_strTitle = pszTitle ? pszTitle : "";
    m_ofn.lpstrTitle = pszTitle ? m_strTitle.c_str() : nullptr;
}

INT_PTR CFileDialog::DoModal()
{
    HWND hWndOwner = nullptr;
    if (m_pParentWnd)
        hWndOwner = m_pParentWnd->m_hWnd;
    else if (CWinApp* pApp = CWinApp::Get(); pApp && pApp->m_pMainWnd)
        hWndOwner = pApp->m_pMainWnd->m_hWnd;
    m_ofn.hwndOwner = hWndOwner;
    m_ofn.hInstance = CWinApp::ResourceInstance();

    const BOOL bOk = m_bOpenFileDialog ? GetOpenFileNameA(&m_ofn) : GetSaveFileNameA(&m_ofn);
    m_hWndDialog = nullptr;
    return bOk ? IDOK : IDCANCEL;
}

std::string CFileDialog::GetPathName() const
{
    return m_szFile;
}

UINT_PTR CALLBACK CFileDialog::HookProc(HWND hWnd, UINT msg, WPARAM, LPARAM lParam)
{
    // The hook runs a child dialog of the explorer-style dialog; its parent is the dialog.
    if (msg == WM_INITDIALOG) {
        const OPENFILENAMEA* pOfn = reinterpret_cast<const OPENFILENAMEA*>(lParam);
        SetWindowLongPtrA(hWnd, DWLP_USER, pOfn->lCustData);
        reinterpret_cast<CFileDialog*>(pOfn->lCustData)->m_hWndDialog = GetParent(hWnd);
        return 0;
    }
    if (msg == WM_NOTIFY) {
        CFileDialog* pDialog = reinterpret_cast<CFileDialog*>(GetWindowLongPtrA(hWnd, DWLP_USER));
        if (pDialog && reinterpret_cast<const NMHDR*>(lParam)->code == CDN_INITDONE)
            pDialog->OnInitDone();
    }
    return 0;
}
