// A modal dialog from a template, with data exchange that binds controls to
// member objects and texts to member strings.
#pragma once
#include "framework/Wnd.h"

class CDialog;

class CDataExchange {
public:
    CDataExchange(CDialog& dialog, bool bSaveAndValidate) : m_dialog(dialog), m_bSaveAndValidate(bSaveAndValidate) {}
    CDialog& m_dialog;
    // True: from the controls into the members; false: into the controls.
    const bool m_bSaveAndValidate;
};

// Attaches the control with the id to the object, on the first exchange.
void DDX_Control(CDataExchange& dx, int nIDC, CWnd& control);
// Exchanges the control's window text with the string.
void DDX_Text(CDataExchange& dx, int nIDC, std::string& value);

class CDialog : public CWnd {
public:
    // Without a parent, the application's main window owns the dialog while it runs.
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    INT_PTR DoModal();
    void EndDialog(INT_PTR nResult);
    bool UpdateData(bool bSaveAndValidate = true);
    HWND GetDlgItem(int nID) const;
    // Centres the dialog over its visible owner, or on the work area.
    void CenterWindow();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;

    // Runs the first data exchange; true lets the dialog manager set the focus.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange& dx);
    // Enter: exchange from the controls, then end with IDOK.
    virtual void OnOK();
    // Esc and the close box: end with IDCANCEL.
    virtual void OnCancel();

private:
    // Puts the template's menu in the resources' language in place of the one the
    // dialog manager loaded.
    void ReplaceMenu();
    static INT_PTR CALLBACK StaticDlgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CreationHook(int nCode, WPARAM wParam, LPARAM lParam);

    UINT m_nIDTemplate;
    UINT m_nIDMenu = 0;
    CWnd* m_pParentWnd;
};
