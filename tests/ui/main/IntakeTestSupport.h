// Drives the real main window for the status bar and intake tests: runs it
// modally, counts its status-bar refreshes, drives the boxes it opens from a
// second thread, and builds the folders and drop blocks the tests need.
#pragma once
#include "ui/main/MainDlg.h"
#include "framework/WinApp.h"
#include "resource.h"
#include "ui/main/DiskSpace.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <dlgs.h>
#include <shlobj.h>
#include <atomic>
#include <functional>
#include <string>
#include "tests/support/TestThread.h"
#include <vector>

namespace intake_test {

// Stands in for the platform's drive queries while it lives. Every refresh of the
// status bar asks for the version once, so the version queries count the refreshes.
class CCountingQueries : public CDiskSpaceQueries {
public:
    CCountingQueries() { m_pPrevious = SetDiskSpaceQueries(this); }
    ~CCountingQueries() override { SetDiskSpaceQueries(m_pPrevious); }

    void QueryVersion(OSVERSIONINFOA& info) override
    {
        ++m_nRefreshes;
        m_hCursorAtRefresh = GetCursor();
        CDiskSpaceQueries::QueryVersion(info);
        if (m_bFakeDrive) {
            info.dwPlatformId = VER_PLATFORM_WIN32_NT;
            info.dwBuildNumber = 1381;
        }
    }
    ExResult QueryFreeSpaceEx(const char* pszRoot, uint64_t& freeBytes, uint64_t& totalBytes) override
    {
        m_roots.push_back(pszRoot);
        if (!m_bFakeDrive)
            return CDiskSpaceQueries::QueryFreeSpaceEx(pszRoot, freeBytes, totalBytes);
        freeBytes = m_nFreeBytes;
        totalBytes = m_nTotalBytes;
        return ExResult::Done;
    }
    bool QueryFreeSpace(const char* pszRoot, DWORD& sectorsPerCluster, DWORD& bytesPerSector, DWORD& freeClusters,
                        DWORD& totalClusters) override
    {
        m_roots.push_back(pszRoot);
        return CDiskSpaceQueries::QueryFreeSpace(pszRoot, sectorsPerCluster, bytesPerSector, freeClusters,
                                                 totalClusters);
    }

    // Every drive then reports these figures through the 64-bit query.
    void FakeDrive(uint64_t nFreeBytes, uint64_t nTotalBytes)
    {
        m_bFakeDrive = true;
        m_nFreeBytes = nFreeBytes;
        m_nTotalBytes = nTotalBytes;
    }

    int m_nRefreshes = 0;
    HCURSOR m_hCursorAtRefresh = nullptr;  // the cursor while the last refresh ran
    std::vector<std::string> m_roots;

private:
    CDiskSpaceQueries* m_pPrevious = nullptr;
    bool m_bFakeDrive = false;
    uint64_t m_nFreeBytes = 0;
    uint64_t m_nTotalBytes = 0;
};

// A message posted to the thread after the ones the test posted: once it is
// fetched, those have been handled.
inline bool PumpPosted(DWORD nTimeoutMs = 10000)
{
    const UINT kMarker = WM_APP + 91;
    PostThreadMessageA(GetCurrentThreadId(), kMarker, 0, 0);
    const DWORD nStart = GetTickCount();
    while (GetTickCount() - nStart < nTimeoutMs) {
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            continue;
        }
        if (!msg.hwnd && msg.message == kMarker)
            return true;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return false;
}

// Handles the thread's messages until done() holds; false at the time limit.
inline bool PumpUntil(const std::function<bool()>& done, DWORD nTimeoutMs = 10000)
{
    const DWORD nStart = GetTickCount();
    while (!done()) {
        if (GetTickCount() - nStart >= nTimeoutMs)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

inline std::string StatusText(HWND hWndStatus, int nPart, int* pType = nullptr)
{
    char szText[1024] = {};
    const LRESULT result = SendMessageA(hWndStatus, SB_GETTEXTA, static_cast<WPARAM>(nPart),
                                        reinterpret_cast<LPARAM>(szText));
    if (pType)
        *pType = HIWORD(result);
    return szText;
}

inline std::vector<int> StatusParts(HWND hWndStatus)
{
    int edges[8] = {};
    const int nParts = static_cast<int>(SendMessageA(hWndStatus, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges)));
    return std::vector<int>(edges, edges + (nParts > 0 ? nParts : 0));
}

// The main window, run modally; the script runs inside its message loop once
// it is initialised, and the window is ended afterwards.
class CDrivenMainDlg : public CMainDlg {
public:
    using Script = std::function<void(CDrivenMainDlg&)>;

    void Run(Script script)
    {
        m_script = std::move(script);
        CWinApp* pApp = CWinApp::Get();
        CWnd* pPreviousMain = pApp->m_pMainWnd;
        pApp->m_pMainWnd = this;
        s_pRunning = this;
        s_nStartTick = GetTickCount();
        const UINT_PTR nWatchdog = SetTimer(nullptr, 0, 500, &CDrivenMainDlg::Watchdog);
        DoModal();
        KillTimer(nullptr, nWatchdog);
        s_pRunning = nullptr;
        pApp->m_pMainWnd = pPreviousMain;
    }

    HWND List() const { return m_lstFiles.m_hWnd; }
    int RowCount() const { return static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0)); }

    std::string Cell(int nRow, int nColumn) const
    {
        char szText[512] = {};
        LVITEMA item = {};
        item.iSubItem = nColumn;
        item.pszText = szText;
        item.cchTextMax = sizeof szText;
        SendMessageA(List(), LVM_GETITEMTEXTA, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
        return szText;
    }

    std::vector<std::string> Rows() const
    {
        std::vector<std::string> rows;
        for (int i = 0; i < RowCount(); ++i)
            rows.push_back(Cell(i, 0));
        return rows;
    }

    void SelectAll()
    {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    }

    void Command(int nID) { SendMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), 0); }

    std::string StatusText(int nPart, int* pType = nullptr) const
    {
        return intake_test::StatusText(m_hWndStatus, nPart, pType);
    }
    std::vector<int> StatusParts() const { return intake_test::StatusParts(m_hWndStatus); }
    std::string DestinationCaption() const { return m_btnDestination.GetWindowText(); }

protected:
    BOOL OnInitDialog() override
    {
        const BOOL result = CMainDlg::OnInitDialog();
        PostMessageA(m_hWnd, kRunScript, 0, 0);
        return result;
    }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg != kRunScript)
            return CMainDlg::WindowProc(msg, wParam, lParam);
        if (m_script)
            m_script(*this);
        EndDialog(IDCANCEL);
        return 0;
    }

private:
    enum { kRunScript = WM_APP + 90, kTimeoutMs = 60000 };

    static BOOL CALLBACK CancelBox(HWND hWnd, LPARAM)
    {
        char szClass[32] = {};
        GetClassNameA(hWnd, szClass, sizeof szClass);
        if (s_pRunning && hWnd != s_pRunning->m_hWnd && lstrcmpA(szClass, "#32770") == 0)
            PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }

    // A run that hangs in a nested loop is ended rather than blocking the whole suite.
    static void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD)
    {
        if (!s_pRunning || GetTickCount() - s_nStartTick < kTimeoutMs)
            return;
        ADD_FAILURE() << "the main window was still open after " << kTimeoutMs << " ms";
        EndMenu();
        EnumThreadWindows(GetCurrentThreadId(), &CDrivenMainDlg::CancelBox, 0);
        s_pRunning->EndDialog(IDCANCEL);
        s_nStartTick = GetTickCount();
    }

    Script m_script;
    static inline CDrivenMainDlg* s_pRunning = nullptr;
    static inline DWORD s_nStartTick = 0;
};

// A dialog box of the thread other than the main window, once it has its OK button.
inline HWND FindBox(DWORD nThreadId, HWND hWndExcept)
{
    struct Search {
        HWND hWndExcept;
        HWND hWndFound;
    } search{hWndExcept, nullptr};
    EnumThreadWindows(
        nThreadId,
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            Search* pSearch = reinterpret_cast<Search*>(lParam);
            char szClass[32] = {};
            GetClassNameA(hWnd, szClass, sizeof szClass);
            if (hWnd != pSearch->hWndExcept && lstrcmpA(szClass, "#32770") == 0 && IsWindowVisible(hWnd) &&
                GetDlgItem(hWnd, IDOK)) {
                pSearch->hWndFound = hWnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.hWndFound;
}

// A box can be driven once it has filled its views: the folder picker's tree has its
// root, the file dialog shows the folder's contents.
inline bool BoxIsFilled(HWND hWndBox)
{
    if (HWND hWndTree = FindWindowExA(hWndBox, nullptr, "SysTreeView32", nullptr))
        return SendMessageA(hWndTree, TVM_GETNEXTITEM, TVGN_ROOT, 0) != 0;
    if (GetDlgItem(hWndBox, cmb13) || GetDlgItem(hWndBox, edt1))
        return FindWindowExA(hWndBox, nullptr, "SHELLDLL_DefView", nullptr) != nullptr;
    return true;
}

// Drives the next box that the window's thread opens, from a thread of its own:
// waits for it to show and fill its views, runs act on it, and makes sure it closes.
class CBoxDriver {
public:
    CBoxDriver(HWND hWndMain, std::function<void(HWND)> act)
        : m_thread([this, hWndMain, act = std::move(act)] {
              const DWORD nThreadId = GetWindowThreadProcessId(hWndMain, nullptr);
              HWND hWndBox = nullptr;
              for (int i = 0; i < 500 && !(hWndBox && BoxIsFilled(hWndBox)); ++i) {
                  hWndBox = FindBox(nThreadId, hWndMain);
                  if (!hWndBox || !BoxIsFilled(hWndBox))
                      Sleep(20);
              }
              if (!hWndBox || !BoxIsFilled(hWndBox))
                  return;
              m_bFound = true;
              act(hWndBox);
              for (int i = 0; i < 250 && IsWindow(hWndBox); ++i)
                  Sleep(20);
              if (IsWindow(hWndBox)) {
                  m_bStuck = true;
                  PostMessageA(hWndBox, WM_COMMAND, IDCANCEL, 0);
              }
          })
    {
    }
    ~CBoxDriver() { Join(); }
    void Join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    bool Found() const { return m_bFound; }
    bool Stuck() const { return m_bStuck; }

private:
    std::atomic<bool> m_bFound{false};
    std::atomic<bool> m_bStuck{false};
    CTestThread m_thread;
};

inline bool ShowsText(HWND hWndBox, const char* pszText)
{
    struct Search {
        const char* pszText;
        bool bFound;
    } search{pszText, false};
    EnumChildWindows(
        hWndBox,
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            Search* pSearch = reinterpret_cast<Search*>(lParam);
            char szText[MAX_PATH] = {};
            GetWindowTextA(hWnd, szText, sizeof szText);
            pSearch->bFound |= lstrcmpiA(szText, pSearch->pszText) == 0;
            return !pSearch->bFound;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.bFound;
}

// Confirms the folder picker with the folder selected. What the picker posted to itself
// while it opened goes first, or it could replace the selection: a status text posted
// behind it shows once it has been handled.
inline void ChooseFolder(HWND hWndPicker, const std::string& folder)
{
    static const char kQueueDone[] = "zv: queue done";
    PostMessageA(hWndPicker, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(kQueueDone));
    for (int i = 0; i < 500 && !ShowsText(hWndPicker, kQueueDone); ++i)
        Sleep(10);
    SendMessageA(hWndPicker, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
    // The status line shows the selection's path once the tree has really moved to it.
    for (int i = 0; i < 500 && !ShowsText(hWndPicker, folder.c_str()); ++i)
        Sleep(10);
    PostMessageA(hWndPicker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hWndPicker, IDOK)));
}

inline void CancelBox(HWND hWndBox)
{
    PostMessageA(hWndBox, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

inline std::wstring Widen(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    return wide;
}

// Removes a folder with everything in it, long paths included.
inline void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE hFind = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(hFind, &found));
        FindClose(hFind);
    }
    RemoveDirectoryW(folder.c_str());
}

// A fresh folder in the temporary folder, removed with all it holds.
class CScratchFolder {
public:
    CScratchFolder()
    {
        static int s_nCount = 0;
        char szTemp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, szTemp);
        m_strPath = std::string(szTemp) + "zvin" + std::to_string(GetCurrentProcessId()) + "_" +
                    std::to_string(++s_nCount);
        CreateDirectoryA(m_strPath.c_str(), nullptr);
    }
    ~CScratchFolder() { RemoveTree(L"\\\\?\\" + Widen(m_strPath)); }
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    std::string Path(const std::string& name) const { return m_strPath + "\\" + name; }

    std::string File(const std::string& name, const std::string& bytes = "x") const
    {
        const std::string path = Path(name);
        HANDLE hFile = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(hFile, INVALID_HANDLE_VALUE) << path;
        DWORD nWritten = 0;
        WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &nWritten, nullptr);
        CloseHandle(hFile);
        return path;
    }

    std::string Folder(const std::string& name) const
    {
        const std::string path = Path(name);
        EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
        return path;
    }

    // The folder's path, without a closing backslash.
    std::string m_strPath;
};

// A drop block as the shell hands it over: DROPFILES, then the paths (ANSI, or UTF-16
// as the shells of NT write them), each NUL-terminated, and one more NUL.
inline HDROP MakeDrop(const std::vector<std::string>& paths, bool bWide = false)
{
    std::wstring wide;
    std::string ansi;
    for (const std::string& path : paths) {
        wide += Widen(path) + L'\0';
        ansi += path + '\0';
    }
    const size_t nNames = bWide ? (wide.size() + 1) * sizeof(wchar_t) : ansi.size() + 1;
    HGLOBAL hGlobal = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + nNames);
    char* pBlock = static_cast<char*>(GlobalLock(hGlobal));
    DROPFILES* pDrop = reinterpret_cast<DROPFILES*>(pBlock);
    pDrop->pFiles = sizeof(DROPFILES);
    pDrop->fWide = bWide;
    if (bWide)
        memcpy(pBlock + sizeof(DROPFILES), wide.data(), wide.size() * sizeof(wchar_t));
    else
        memcpy(pBlock + sizeof(DROPFILES), ansi.data(), ansi.size());
    GlobalUnlock(hGlobal);
    return static_cast<HDROP>(hGlobal);
}

}  // namespace intake_test
