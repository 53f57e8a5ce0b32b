// Runs the real main window modally and drives it from inside its own message loop,
// with the helpers the window tests share: the list and the status bar read back, the
// boxes the window opens handed to the test or driven from a second thread, drive
// queries that count the status-bar refreshes, scratch folders and drop blocks.
#pragma once
#include "tests/support/TestDialog.h"
#include "tests/support/TestThread.h"
#include "ui/main/DiskSpace.h"
#include "ui/main/MainDlg.h"
#include "framework/WinApp.h"
#include "resource.h"
#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>
#include <shlobj.h>
#include <atomic>
#include <cstring>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

// A dialog box or popup menu that opened while the window ran and that no handler took.
struct SeenBox {
    std::string caption;
    std::vector<std::string> texts;  // the window texts of its controls
    HWND hWndOwner;

    bool HasText(const std::string& text) const
    {
        for (const std::string& t : texts)
            if (t == text)
                return true;
        return false;
    }
};

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

// A list view's rows and texts.
inline int ListRowCount(HWND hWndList)
{
    return static_cast<int>(SendMessageA(hWndList, LVM_GETITEMCOUNT, 0, 0));
}

inline std::string ListCellText(HWND hWndList, int nRow, int nColumn)
{
    char szText[512] = {};
    LVITEMA item = {};
    item.iSubItem = nColumn;
    item.pszText = szText;
    item.cchTextMax = sizeof szText;
    SendMessageA(hWndList, LVM_GETITEMTEXTA, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
    return szText;
}

inline std::vector<std::string> ListColumn(HWND hWndList, int nColumn)
{
    std::vector<std::string> cells;
    for (int i = 0; i < ListRowCount(hWndList); ++i)
        cells.push_back(ListCellText(hWndList, i, nColumn));
    return cells;
}

// A message posted to the thread after the ones the test posted: once it is
// fetched, those have been handled.
inline bool PumpPosted(DWORD nTimeoutMs = 10000)
{
    const UINT kMarker = WM_APP + 91;
    PostThreadMessageA(GetCurrentThreadId(), kMarker, 0, 0);
    const DWORD nStart = GetTickCount();
    nTimeoutMs = ScaledMs(nTimeoutMs);
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

// The main window, run modally; the script runs inside its message loop once it is
// initialised. Every dialog box or popup menu that opens meanwhile goes to the next
// handler given with Expect(), or else is recorded in m_boxes and closed, so that a
// test never hangs on a box it did not expect. Boxes and menus that a second thread
// drives are left alone with kLeaveBoxes (CBoxDriver sets it while it lives). A run
// that makes no progress for a long time is ended rather than blocking the whole suite.
class CDrivenMainDlg : public CMainDlg {
public:
    enum Boxes { kRecordBoxes, kLeaveBoxes };
    enum { kScriptDone = 77 };
    using Script = std::function<void(CDrivenMainDlg&)>;
    // Gets the new dialog box or popup-menu window; returns when it has acted on it.
    using Handler = std::function<void(HWND)>;

    explicit CDrivenMainDlg(Boxes boxes = kRecordBoxes) : m_boxMode(boxes) {}

    // Unless the script ends the dialog itself, it is ended afterwards with kScriptDone.
    INT_PTR Run(Script script)
    {
        m_script = std::move(script);
        CWinApp* pApp = CWinApp::Get();
        CWnd* pPreviousMain = pApp->m_pMainWnd;
        pApp->m_pMainWnd = this;
        s_pRunning = this;
        m_nStartTick = GetTickCount();
        const UINT_PTR nTimer = SetTimer(nullptr, 0, 10, &CDrivenMainDlg::Watch);
        const INT_PTR result = DoModal();
        KillTimer(nullptr, nTimer);
        s_pRunning = nullptr;
        pApp->m_pMainWnd = pPreviousMain;
        EXPECT_TRUE(m_handlers.empty()) << m_handlers.size() << " expected windows never opened";
        return result;
    }

    // The next window that opens goes to the handler.
    void Expect(Handler handler) { m_handlers.push_back(std::move(handler)); }
    void SetBoxes(Boxes boxes) { m_boxMode = boxes; }

    HWND List() const { return m_lstFiles.m_hWnd; }
    int RowCount() const { return ListRowCount(List()); }
    std::string CellText(int nRow, int nColumn) const { return ListCellText(List(), nRow, nColumn); }

    std::vector<std::string> Row(int nRow) const
    {
        std::vector<std::string> cells;
        for (int i = 0; i < 5; ++i)
            cells.push_back(CellText(nRow, i));
        return cells;
    }

    std::vector<std::string> Column(int nColumn) const { return ListColumn(List(), nColumn); }

    int ImageOf(int nRow) const
    {
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = nRow;
        SendMessageA(List(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }

    // The extensions the entries will be expanded with, in row order.
    std::vector<std::string> Extensions() const
    {
        std::vector<std::string> exts;
        for (const auto& pFile : m_apFiles)
            exts.push_back(pFile->m_szExt);
        return exts;
    }

    // Selects exactly these rows, in this order; the last one gets the focus.
    void Select(const std::vector<int>& rows)
    {
        SetState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        for (int nRow : rows)
            SetState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    void SelectAll() { SetState(-1, LVIS_SELECTED, LVIS_SELECTED); }

    std::vector<int> SelectedRows() const
    {
        std::vector<int> rows;
        for (int i = 0; i < RowCount(); ++i)
            if (SendMessageA(List(), LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_SELECTED) & LVIS_SELECTED)
                rows.push_back(i);
        return rows;
    }

    // A push button of the window, pressed as the user presses it.
    void Click(int nID) { SendMessageA(GetDlgItem(nID), BM_CLICK, 0, 0); }
    // A menu command.
    void Command(int nID) { SendMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), 0); }
    // The notification that the list sends when the user activates a row.
    void Activate()
    {
        NMITEMACTIVATE notify = {};
        notify.hdr.hwndFrom = List();
        notify.hdr.idFrom = IDC_FILELIST;
        notify.hdr.code = LVN_ITEMACTIVATE;
        notify.iItem = -1;
        SendMessageA(m_hWnd, WM_NOTIFY, IDC_FILELIST, reinterpret_cast<LPARAM>(&notify));
    }

    std::string StatusText(int nPart, int* pType = nullptr) const { return ::StatusText(m_hWndStatus, nPart, pType); }
    std::vector<int> StatusParts() const { return ::StatusParts(m_hWndStatus); }
    std::string DestinationCaption() const { return m_btnDestination.GetWindowText(); }

    std::vector<SeenBox> m_boxes;
    // The paths handed to the shell's open, and what the shell answers (a program started).
    std::vector<std::string> m_opened;
    INT_PTR m_nOpenResult = 42;
    // The paths handed to the system's "open with", and whether the system offers one.
    std::vector<std::string> m_openedWith;
    bool m_bOpenWithOffered = true;

protected:
    BOOL OnInitDialog() override
    {
        const BOOL result = CMainDlg::OnInitDialog();
        PostMessageA(m_hWnd, kRunScriptMessage, 0, 0);
        return result;
    }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg != kRunScriptMessage)
            return CMainDlg::WindowProc(msg, wParam, lParam);
        if (m_script)
            m_script(*this);
        PumpPendingMessages();
        if (IsWindowVisible(m_hWnd))
            EndDialog(kScriptDone);
        return 0;
    }

    INT_PTR OpenWithShell(const char* pszPath) override
    {
        m_opened.push_back(pszPath);
        return m_nOpenResult;
    }
    bool OfferOpenWith(const char* pszPath) override
    {
        m_openedWith.push_back(pszPath);
        return m_bOpenWithOffered;
    }

private:
    enum { kRunScriptMessage = WM_APP + 77, kTimeoutMs = 60000 };

    void SetState(int nRow, UINT nState, UINT nMask)
    {
        LVITEMA item = {};
        item.stateMask = nMask;
        item.state = nState;
        SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
    }

    // Hands a new window to the next handler, or records and closes it.
    void Take(HWND hWnd)
    {
        m_nStartTick = GetTickCount();
        if (!m_handlers.empty()) {
            Handler handler = std::move(m_handlers.front());
            m_handlers.pop_front();
            m_bInHandler = true;
            handler(hWnd);
            m_bInHandler = false;
            return;
        }
        SeenBox box;
        box.caption = WindowText(hWnd);
        box.hWndOwner = GetWindow(hWnd, GW_OWNER);
        box.texts = ControlTexts(hWnd);
        m_boxes.push_back(box);
        PostMessageA(hWnd, WM_COMMAND, IDOK, 0);
        EndMenu();
    }

    static void CALLBACK Watch(HWND, UINT, UINT_PTR, DWORD)
    {
        CDrivenMainDlg* pDlg = s_pRunning;
        if (!pDlg || pDlg->m_bInHandler)
            return;
        // Every box and menu of the thread: the test takes none, so the search visits them all.
        std::vector<HWND> found;
        FindThreadWindow(GetCurrentThreadId(), [&](HWND hWnd) {
            if (IsVisibleBox(hWnd) || (IsWindowVisible(hWnd) && ClassName(hWnd) == "#32768"))
                found.push_back(hWnd);
            return false;
        });
        // Popup menus are top-level windows of no thread in some systems.
        HWND hMenu = FindWindowA("#32768", nullptr);
        if (hMenu && IsWindowVisible(hMenu))
            found.push_back(hMenu);
        if (pDlg->m_boxMode == kRecordBoxes) {
            for (HWND hWnd : found) {
                if (hWnd == pDlg->m_hWnd || pDlg->m_seen.count(hWnd))
                    continue;
                pDlg->m_seen.insert(hWnd);
                pDlg->Take(hWnd);
                break;
            }
            for (auto it = pDlg->m_seen.begin(); it != pDlg->m_seen.end();)
                it = IsWindow(*it) && IsWindowVisible(*it) ? std::next(it) : pDlg->m_seen.erase(it);
        }
        if (GetTickCount() - pDlg->m_nStartTick > ScaledMs(kTimeoutMs) && pDlg->m_hWnd && IsWindowVisible(pDlg->m_hWnd)) {
            ADD_FAILURE() << "the main window made no progress for " << ScaledMs(kTimeoutMs) << " ms";
            for (HWND hWnd : found)
                if (hWnd != pDlg->m_hWnd)
                    PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
            EndMenu();
            pDlg->m_nStartTick = GetTickCount();
            pDlg->EndDialog(kScriptDone);
        }
    }

    Boxes m_boxMode;
    Script m_script;
    std::deque<Handler> m_handlers;
    std::set<HWND> m_seen;
    bool m_bInHandler = false;
    DWORD m_nStartTick = 0;
    static inline CDrivenMainDlg* s_pRunning = nullptr;
};

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

// The text of a control of a dialog box.
inline std::string DlgItemText(HWND hDlg, int nID)
{
    char szText[512] = {};
    GetDlgItemTextA(hDlg, nID, szText, sizeof szText);
    return szText;
}

// Presses a button of a dialog box as the user does.
inline void ClickButton(HWND hDlg, int nID)
{
    SendMessageA(GetDlgItem(hDlg, nID), BM_CLICK, 0, 0);
}

inline void CancelBox(HWND hWndBox)
{
    PostMessageA(hWndBox, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// A dialog box of the thread other than the main window, once it has its OK button.
inline HWND FindBox(DWORD nThreadId, HWND hWndExcept)
{
    return FindThreadWindow(nThreadId, [&](HWND hWnd) {
        return hWnd != hWndExcept && IsVisibleBox(hWnd) && GetDlgItem(hWnd, IDOK);
    });
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

// Drives the next box that the window opens, from a thread of its own: waits for it
// to show and fill its views, runs act on it, and makes sure it closes. The window
// leaves its boxes alone meanwhile.
class CBoxDriver {
public:
    CBoxDriver(CDrivenMainDlg& dlg, std::function<void(HWND)> act)
        : m_dlg(dlg), m_thread([this, hWndMain = dlg.m_hWnd, act = std::move(act)] {
              const DWORD nThreadId = GetWindowThreadProcessId(hWndMain, nullptr);
              HWND hWndBox = nullptr;
              if (!WaitFor([&] { return (hWndBox = FindBox(nThreadId, hWndMain)) && BoxIsFilled(hWndBox); }, 10000))
                  return;
              m_bFound = true;
              act(hWndBox);
              if (!WaitFor([&] { return !IsWindow(hWndBox); })) {
                  m_bStuck = true;
                  CancelBox(hWndBox);
              }
          })
    {
        m_dlg.SetBoxes(CDrivenMainDlg::kLeaveBoxes);
    }
    ~CBoxDriver() { Join(); }
    void Join()
    {
        if (m_thread.joinable())
            m_thread.join();
        m_dlg.SetBoxes(CDrivenMainDlg::kRecordBoxes);
    }
    bool Found() const { return m_bFound; }
    bool Stuck() const { return m_bStuck; }

private:
    CDrivenMainDlg& m_dlg;
    std::atomic<bool> m_bFound{false};
    std::atomic<bool> m_bStuck{false};
    CTestThread m_thread;
};

// Confirms the folder picker with the folder selected. What the picker posted to itself
// while it opened goes first, or it could replace the selection: a status text posted
// behind it shows once it has been handled.
inline void ChooseFolder(HWND hWndPicker, const std::string& folder)
{
    static const char kQueueDone[] = "zv: queue done";
    // Without regard to case, as paths are compared.
    auto shows = [hWndPicker](const std::string& text) {
        return FindChildWindow(hWndPicker, [&](HWND hWnd) {
                   return lstrcmpiA(WindowText(hWnd).c_str(), text.c_str()) == 0;
               }) != nullptr;
    };
    PostMessageA(hWndPicker, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(kQueueDone));
    WaitFor([&] { return shows(kQueueDone); });
    // The status line shows the selection's path once the tree has really moved to it;
    // a selection the picker's own start-up still overrode is made again.
    for (int i = 0; i < 5; ++i) {
        SendMessageA(hWndPicker, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
        if (WaitFor([&] { return shows(folder); }, 2000))
            break;
    }
    PostMessageA(hWndPicker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hWndPicker, IDOK)));
}

inline std::wstring Widen(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    return wide;
}

// The system's temporary folder, with a closing backslash.
inline std::string TempPath()
{
    char sz[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, sz);
    return sz;
}

inline bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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

// A fresh folder in the temporary folder, removed with all it holds, and with the
// files elsewhere that it was given to remove.
class CTempFolder {
public:
    CTempFolder()
    {
        static int s_nCount = 0;
        m_strPath = TempPath() + "zvtest" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++s_nCount);
        CreateDirectoryA(m_strPath.c_str(), nullptr);
    }
    ~CTempFolder()
    {
        for (const std::string& path : m_others)
            DeleteFileA(path.c_str());
        RemoveTree(L"\\\\?\\" + Widen(m_strPath));
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

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

    // A file outside the folder, deleted now and again with the folder.
    void RemoveWithFolder(const std::string& path)
    {
        DeleteFileA(path.c_str());
        m_others.push_back(path);
    }

    // The folder's path, without a closing backslash.
    std::string m_strPath;

private:
    std::vector<std::string> m_others;
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
