// The shell's modal folder-browse dialog, with the selected folder's path on
// its status line. The settings can be changed only while no dialog runs.
#pragma once
#include <windows.h>
#include <shlobj.h>
#include <string>

class CFolderPicker {
public:
    CFolderPicker(HWND hWndOwner, LPCITEMIDLIST pidlRoot, UINT nTitleId);
    virtual ~CFolderPicker();
    CFolderPicker(const CFolderPicker&) = delete;
    CFolderPicker& operator=(const CFolderPicker&) = delete;

    void SetOwner(HWND hWndOwner);
    void SetRoot(LPCITEMIDLIST pidlRoot);
    void SetFlags(UINT ulFlags);
    void SetTitle(const char* pszTitle);
    bool SetTitle(UINT nTitleId);

    // True when a file-system folder was confirmed; its path is then GetPath().
    bool Browse();
    std::string GetPath() const;
    void SetStatusText(const char* pszText);

protected:
    virtual void OnInitialized();
    virtual void OnSelChanged(LPCITEMIDLIST pidl);

    HWND m_hWndDialog = nullptr;

private:
    static int CALLBACK BrowseCallbackProc(HWND hWnd, UINT msg, LPARAM lParam, LPARAM lpData);

    bool m_bOwnsTitle = false;
    char* m_pszTitle = nullptr;
    BROWSEINFOA m_bi{};
    char m_szFolderPath[MAX_PATH] = {};
};
