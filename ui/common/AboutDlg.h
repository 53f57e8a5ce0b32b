// The About box: the program's icon, name and version, and a flat OK button.
#pragma once
#include "framework/Dialog.h"
#include "ui/common/FlatButton.h"

class CAboutDlg : public CDialog {
public:
    // Without a parent: the application's main window owns the box while it runs.
    CAboutDlg();
    ~CAboutDlg() override;

    CFlatButton m_btnOK;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;

    void OnPaint();
};
