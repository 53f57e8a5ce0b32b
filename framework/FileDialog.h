// The platform's modal file-open or file-save dialog, explorer style and
// resizable, for one file name.
#pragma once
#include "framework/Wnd.h"
#include <commdlg.h>
#include <string>

// The dialog record's size that the system knows: Windows 95, 98 and NT 4.0
// refuse the larger record of Windows 2000 and ME (CDERR_STRUCTSIZE).
DWORD OpenFileNameSize(const OSVERSIONINFOA& version);

class CFileDialog {
public:
    // pszFilter is a block of NUL-terminated description and pattern texts that
    // ends with an empty text; it is given to the dialog unchanged and must outlive it.
    CFileDialog(bool bOpenFileDialog, const char* pszDefExt = nullptr, const char* pszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* pszFilter = nullptr,
                CWnd* pParentWnd = nullptr);
    virtual ~CFileDialog() = default;
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    void SetTitle(const char* pszTitle);

    // IDOK when a name was confirmed, IDCANCEL otherwise.
    INT_PTR DoModal();
    // The full path of the confirmed file.
    std::string GetPathName() const;

    OPENFILENAMEA m_ofn{};

protected:
    // The dialog is filled and about to be shown; m_hWndDialog is its window.
    virtual void OnInitDone() {}

    HWND m_hWndDialog = nullptr;

private:
    static UINT_PTR CALLBACK HookProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

    bool m_bOpenFileDialog;
    CWnd* m_pParentWnd;
    std::string m_strDefExt;
    std::string m_strTitle;
    char m_szFile[MAX_PATH] = {};
};
