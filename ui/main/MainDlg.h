// The main window: the list of compressed files and the commands on it.
#pragma once
#include "core/CompressedFile.h"
#include "framework/Dialog.h"
#include "ui/common/FlatButton.h"
#include "ui/main/FileIcons.h"
#include "ui/main/FileListCtrl.h"
#include <commctrl.h>
#include <memory>
#include <string>
#include <vector>

class CMainDlg : public CDialog {
public:
    CMainDlg();
    ~CMainDlg() override;

    // Appends a row and its entry for the path; no check of existence or duplicates.
    void AddFile(const char* pszPath);
    // Deletes row nRow and frees its entry; later rows move up by one.
    void RemoveRow(int nRow);
    // What the expand command puts in front of the output names: empty for the
    // same folder, else the destination folder ending in a backslash.
    std::string DestinationPrefix() const;
    // Shows the destination on its button: the folder, or the same-folder text.
    void ShowDestination();
    void UpdateStatusBar();
    // Tells the user that some files were not expanded and stay in the list (warning 1005).
    void ShowExpandFailed();
    // Tells the user that a cabinet of several files is left to the command-line tool.
    void ShowArchiveRefused(const std::string& strPath, size_t nMembers);
    void EditExtension(int nRow);

    // The destination folder; empty: beside each compressed file.
    std::string m_strDestination;
    std::vector<std::string> m_arrStartFiles;
    CFlatButton m_btnResetDest;
    CFlatButton m_btnDestination;
    CFlatButton m_btnExpand;
    CFlatButton m_btnRemove;
    CFileListCtrl m_lstFiles;
    HWND m_hWndStatus = nullptr;
    std::vector<std::unique_ptr<CCompressedFile>> m_apFiles;
    HIMAGELIST m_pImageList = nullptr;
    HICON m_hIcon = nullptr;
    CFileIcons m_icons;
    // Whether a double-click on a row opens it: only where the list sends no activation.
    bool m_bDoubleClickActivates = false;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;

    // Main window and file list
    void InsertColumns();
    void OnDestroy();
    void OnPaint();
    HICON OnQueryDragIcon();
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnRemove();
    void OnExpand();
    void OnExit();
    void OnHelpContents();
    void OnAbout();
    void OnItemActivate();
    // Opens an expanded copy with the program associated with it (the shell's "open"
    // verb); returns the shell's result, above 32 when a program was started.
    virtual INT_PTR OpenWithShell(const char* pszPath);
    // Offers the system's own choice of a program for a file that none claims; false
    // when the system has no such choice or it could not be started.
    virtual bool OfferOpenWith(const char* pszPath);

    // Status bar, menu help and destination folder
    int OnCreate(CREATESTRUCTA* pCreate);
    void OnSize(UINT nType, int cx, int cy);
    void OnEnterMenuLoop(bool bIsTrackPopupMenu);
    void OnExitMenuLoop(bool bIsTrackPopupMenu);
    void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hMenu);
    // Shows the icon in the drive part (null: none) and destroys the one shown before.
    void SetDriveIcon(HICON hIcon);
    void OnBrowseDestination();
    void OnResetDestination();

    // File intake
    void OnOpenFile();
    void OnOpenFolder();
    void OnDropFiles(HDROP hDropInfo);

    // Extension
    void OnSetExtension();
};
