// Runs the real main window modally and drives it from inside its own message loop.
// Every dialog box that opens meanwhile (warnings, the About box) is recorded and
// closed, so that a test never hangs on a box it did not expect.
#pragma once
#include "ui/main/MainDlg.h"
#include "framework/WinApp.h"
#include "resource.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <functional>
#include <set>
#include <string>
#include <vector>

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

class CScriptedMainDlg : public CMainDlg {
public:
    enum { kScriptDone = 77 };
    using Script = std::function<void(CScriptedMainDlg&)>;

    // Runs the dialog; the script runs once the window is initialised. Unless the
    // script ends the dialog itself, it is ended afterwards with kScriptDone.
    INT_PTR Run(Script script)
    {
        m_script = std::move(script);
        CWinApp* pApp = CWinApp::Get();
        pApp->m_pMainWnd = this;
        s_pRunning = this;
        m_nStartTick = GetTickCount();
        const UINT_PTR nTimer = SetTimer(nullptr, 0, 10, &CScriptedMainDlg::WatchBoxes);
        const INT_PTR result = DoModal();
        KillTimer(nullptr, nTimer);
        s_pRunning = nullptr;
        pApp->m_pMainWnd = nullptr;
        return result;
    }

    // Lets the boxes and messages that are due run; returns when none is left.
    static void PumpMessages()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    HWND List() const { return m_lstFiles.m_hWnd; }
    int RowCount() const { return static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0)); }

    std::string CellText(int nRow, int nColumn) const
    {
        char szText[512] = {};
        LVITEMA item = {};
        item.iSubItem = nColumn;
        item.pszText = szText;
        item.cchTextMax = sizeof szText;
        SendMessageA(List(), LVM_GETITEMTEXTA, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
        return szText;
    }

    std::vector<std::string> Row(int nRow) const
    {
        std::vector<std::string> cells;
        for (int i = 0; i < 5; ++i)
            cells.push_back(CellText(nRow, i));
        return cells;
    }

    std::vector<std::string> Column(int nColumn) const
    {
        std::vector<std::string> cells;
        for (int i = 0; i < RowCount(); ++i)
            cells.push_back(CellText(i, nColumn));
        return cells;
    }

    int ImageOf(int nRow) const
    {
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = nRow;
        SendMessageA(List(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }

    void Select(const std::vector<int>& rows)
    {
        for (int i = 0; i < RowCount(); ++i)
            SetSelected(i, false);
        for (int nRow : rows)
            SetSelected(nRow, true);
    }

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
    void Command(int nID) { SendMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(nID, 0), 0); }
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
        PumpMessages();
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
    enum { kRunScriptMessage = WM_APP + 77, kTimeoutMs = 30000 };

    void SetSelected(int nRow, bool bSelected)
    {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = bSelected ? LVIS_SELECTED : 0;
        SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
    }

    static BOOL CALLBACK CollectText(HWND hWnd, LPARAM lParam)
    {
        char szText[1024] = {};
        ::GetWindowTextA(hWnd, szText, sizeof szText);
        reinterpret_cast<std::vector<std::string>*>(lParam)->push_back(szText);
        return TRUE;
    }

    static BOOL CALLBACK CloseBox(HWND hWnd, LPARAM)
    {
        CScriptedMainDlg* pDlg = s_pRunning;
        char szClass[32] = {};
        GetClassNameA(hWnd, szClass, sizeof szClass);
        if (!pDlg || hWnd == pDlg->m_hWnd || lstrcmpA(szClass, "#32770") != 0 || pDlg->m_closed.count(hWnd))
            return TRUE;
        SeenBox box;
        char szCaption[256] = {};
        ::GetWindowTextA(hWnd, szCaption, sizeof szCaption);
        box.caption = szCaption;
        box.hWndOwner = GetWindow(hWnd, GW_OWNER);
        EnumChildWindows(hWnd, &CollectText, reinterpret_cast<LPARAM>(&box.texts));
        pDlg->m_boxes.push_back(box);
        pDlg->m_nStartTick = GetTickCount();
        pDlg->m_closed.insert(hWnd);
        PostMessageA(hWnd, WM_COMMAND, IDOK, 0);
        return TRUE;
    }

    static void CALLBACK WatchBoxes(HWND, UINT, UINT_PTR, DWORD)
    {
        CScriptedMainDlg* pDlg = s_pRunning;
        if (!pDlg)
            return;
        for (auto it = pDlg->m_closed.begin(); it != pDlg->m_closed.end();)
            it = IsWindow(*it) ? std::next(it) : pDlg->m_closed.erase(it);
        EnumThreadWindows(GetCurrentThreadId(), &CScriptedMainDlg::CloseBox, 0);
        // A run that hangs in a nested loop (no new box for a long time) is ended rather
        // than blocking the whole suite.
        if (GetTickCount() - pDlg->m_nStartTick > kTimeoutMs && pDlg->m_hWnd && IsWindowVisible(pDlg->m_hWnd)) {
            ADD_FAILURE() << "the main window made no progress for " << kTimeoutMs << " ms";
            pDlg->EndDialog(kScriptDone);
        }
    }

    Script m_script;
    std::set<HWND> m_closed;
    DWORD m_nStartTick = 0;
    static inline CScriptedMainDlg* s_pRunning = nullptr;
};

// A fresh folder in the temporary folder, removed with the files in it.
class CTempFolder {
public:
    CTempFolder()
    {
        static int s_nCount = 0;
        char szTemp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, szTemp);
        m_strPath = std::string(szTemp) + "zvmain" + std::to_string(GetCurrentProcessId()) + "_" +
                    std::to_string(++s_nCount);
        CreateDirectoryA(m_strPath.c_str(), nullptr);
    }
    ~CTempFolder()
    {
        WIN32_FIND_DATAA data;
        HANDLE hFind = FindFirstFileA((m_strPath + "\\*").c_str(), &data);
        if (hFind != INVALID_HANDLE_VALUE) {
            do
                DeleteFileA(Path(data.cFileName).c_str());
            while (FindNextFileA(hFind, &data));
            FindClose(hFind);
        }
        RemoveDirectoryA(m_strPath.c_str());
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    std::string Path(const std::string& name) const { return m_strPath + "\\" + name; }

    // The folder's path, without a closing backslash.
    std::string m_strPath;
};
