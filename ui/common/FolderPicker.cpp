#include "ui/common/FolderPicker.h"
#include "framework/ResourceString.h"
#include <cstring>

CFolderPicker::CFolderPicker(HWND hWndOwner, LPCITEMIDLIST pidlRoot, UINT nTitleId)
{
    m_bOwnsTitle = false;
    m_pszTitle = nullptr;
    m_hWndDialog = nullptr;
    // What every caller asks for: only folders that have a path, and the status
    // line that shows that path.
    m_bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    SetOwner(hWndOwner);
    SetRoot(pidlRoot);
    SetTitle(nTitleId);
    m_bi.pszDisplayName = m_szFolderPath;
    m_bi.lpfn = &CFolderPicker::BrowseCallbackProc;
    m_bi.lParam = reinterpret_cast<LPARAM>(this);
}

CFolderPicker::~CFolderPicker()
{
    if (m_bOwnsTitle && m_pszTitle)
        HeapFree(GetProcessHeap(), 0, m_pszTitle);
    m_pszTitle = nullptr;
    m_bOwnsTitle = false;
}

void CFolderPicker::SetOwner(HWND hWndOwner)
{
    if (!m_hWndDialog)
        m_bi.hwndOwner = hWndOwner;
}

void CFolderPicker::SetRoot(LPCITEMIDLIST pidlRoot)
{
    if (!m_hWndDialog)
        m_bi.pidlRoot = pidlRoot;
}

void CFolderPicker::SetFlags(UINT ulFlags)
{
    if (!m_hWndDialog)
        m_bi.ulFlags = ulFlags;
}

void CFolderPicker::SetTitle(const char* pszTitle)
{
    if (m_hWndDialog)
        return;
    if (!pszTitle)
        pszTitle = "";
    const size_t size = std::strlen(pszTitle) + 1;
    char* pszCopy = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, size));
    if (!pszCopy)
        return;
    if (m_bOwnsTitle && m_pszTitle)
        HeapFree(GetProcessHeap(), 0, m_pszTitle);
    m_bOwnsTitle = true;
    m_pszTitle = pszCopy;
    std::memcpy(m_pszTitle, pszTitle, size);
    m_bi.lpszTitle = m_pszTitle;
}

bool CFolderPicker::SetTitle(UINT nTitleId)
{
    if (static_cast<int>(nTitleId) <= 0)
        return false;
    const std::string title = LoadResString(nTitleId);
    if (title.empty())
        return false;
    SetTitle(title.c_str());
    return true;
}

bool CFolderPicker::Browse()
{
    // One dialog at a time: a run started from inside a run would share its buffers.
    if (m_hWndDialog)
        return false;

    bool bResult = false;
    // The shell writes the display name into the result buffer even when the
    // confirmed item turns out to have no path; the last good path is kept then.
    char szPrevious[MAX_PATH];
    std::memcpy(szPrevious, m_szFolderPath, sizeof szPrevious);

    if (LPITEMIDLIST pidl = SHBrowseForFolderA(&m_bi)) {
        if (SHGetPathFromIDListA(pidl, m_szFolderPath))
            bResult = true;
        IMalloc* pMalloc = nullptr;
        if (SUCCEEDED(SHGetMalloc(&pMalloc))) {
            pMalloc->Free(pidl);
            pMalloc->Release();
        }
    }
    if (!bResult)
        std::memcpy(m_szFolderPath, szPrevious, sizeof szPrevious);

    m_hWndDialog = nullptr;
    return bResult;
}

std::string CFolderPicker::GetPath() const
{
    return std::string(m_szFolderPath, strnlen(m_szFolderPath, sizeof m_szFolderPath));
}

void CFolderPicker::SetStatusText(const char* pszText)
{
    if (m_hWndDialog)
        SendMessageA(m_hWndDialog, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(pszText));
}

void CFolderPicker::OnInitialized() {}

void CFolderPicker::OnSelChanged(LPCITEMIDLIST pidl)
{
    char szPath[MAX_PATH] = {};
    if (!pidl || !SHGetPathFromIDListA(pidl, szPath))
        szPath[0] = '\0';
    SetStatusText(szPath);
}

int CALLBACK CFolderPicker::BrowseCallbackProc(HWND hWnd, UINT msg, LPARAM lParam, LPARAM lpData)
{
    CFolderPicker* pPicker = reinterpret_cast<CFolderPicker*>(lpData);
    pPicker->m_hWndDialog = hWnd;
    if (msg == BFFM_INITIALIZED)
        pPicker->OnInitialized();
    else if (msg == BFFM_SELCHANGED)
        pPicker->OnSelChanged(reinterpret_cast<LPCITEMIDLIST>(lParam));
    return 0;
}
