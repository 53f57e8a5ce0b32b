// The dialog that sets the extension an entry's expanded file gets: the file's
// icon, a message, and the proposal to edit; for this entry or for all alike.
#pragma once
#include "framework/Dialog.h"
#include "ui/common/FlatButton.h"
#include <string>

class CExtensionDlg : public CDialog {
public:
    // The most bytes an extension may have (the entry's field holds them and a NUL).
    enum { kMaxExtensionBytes = 51 };

    CExtensionDlg();

    BOOL m_bApplyAll = FALSE;
    HICON m_hIcon = nullptr;
    CFlatButton m_btnApplyAll;
    CFlatButton m_btnOK;
    CFlatButton m_btnCancel;
    CWnd m_editExtension;
    CWnd m_staticIcon;
    std::string m_strMessage;
    std::string m_strExtension;

    // The text cut to kMaxExtensionBytes bytes, never inside a double-byte character.
    static std::string FitExtension(const std::string& strText);

protected:
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;

    void OnApplyAll();
};
