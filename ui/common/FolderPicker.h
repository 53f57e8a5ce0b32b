// The shell's modal folder-browse dialog, with the selected folder's path on
// its status line. The settings can be changed only while no dialog runs, so a
// running dialog always works on the settings it started with.
#pragma once
#include <windows.h>
#include <shlobj.h>
#include <string>

class CFolderPicker {
public:
    // Without SetFlags the dialog offers only file-system folders and has a status line.
    CFolderPicker(HWND hWndOwner, LPCITEMIDLIST pidlRoot, UINT nTitleId);
    virtual ~CFolderPicker();
    CFolderPicker(const CFolderPicker&) = delete;
    CFolderPicker& operator=(const CFolderPicker&) = delete;

    void SetOwner(HWND hWndOwner);
    // Null: the top of the shell namespace. The list stays the caller's.
    void SetRoot(LPCITEMIDLIST pidlRoot);
    void SetFlags(UINT ulFlags);
    void SetTitle(const char* pszTitle);
    // False, with nothing changed, for an id that names no string.
    bool SetTitle(UINT nTitleId);

    // True when a file-system folder was confirmed; its path is then GetPath().
    bool Browse();
    // The path of the last confirmed folder; empty before the first one.
    std::string GetPath() const;
    void SetStatusText(const char* pszText);

protected:
    virtual void OnInitialized();
    virtual void OnSelChanged(LPCITEMIDLIST pidl);

    bool m_bOwnsTitle = false;
    char* m_pszTitle = nullptr;
    BROWSEINFOA m_bi{};
    char m_szFolderPath[MAX_PATH] = {};
    // The running dialog; null while idle.
    HWND m_hWndDialog = nullptr;

private:
    static int CALLBACK BrowseCallbackProc(HWND hWnd, UINT msg, LPARAM lParam, LPARAM lpData);
};
