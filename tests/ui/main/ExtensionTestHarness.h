// Runs the real main window modally and hands every dialog box and popup menu
// that opens inside it to the test, one handler per window, from a timer on the
// window's own thread. A window nobody handles is closed, so no test hangs.
#pragma once
#include "ui/main/MainDlg.h"
#include "framework/WinApp.h"
#include "resource.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

class CDrivenMainDlg : public CMainDlg {
public:
    using Script = std::function<void(CDrivenMainDlg&)>;
    // Gets the new dialog box or popup-menu window; returns when it has acted on it.
    using Handler = std::function<void(HWND)>;

    // Runs the dialog; the script runs once the window is initialised, then the window is ended.
    INT_PTR Run(Script script)
    {
        m_script = std::move(script);
        CWinApp::Get()->m_pMainWnd = this;
        s_pRunning = this;
        m_nStartTick = GetTickCount();
        const UINT_PTR nTimer = SetTimer(nullptr, 0, 10, &CDrivenMainDlg::Watch);
        const INT_PTR result = DoModal();
        KillTimer(nullptr, nTimer);
        s_pRunning = nullptr;
        CWinApp::Get()->m_pMainWnd = nullptr;
        EXPECT_TRUE(m_handlers.empty()) << m_handlers.size() << " expected windows never opened";
        return result;
    }

    // The next window that opens goes to the handler.
    void Expect(Handler handler) { m_handlers.push_back(std::move(handler)); }

    // Lets messages run until the condition holds or the time is up; the condition's value.
    static bool PumpUntil(const std::function<bool()>& condition, DWORD dwTimeoutMs)
    {
        const DWORD dwStart = GetTickCount();
        for (;;) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (condition())
                return true;
            if (GetTickCount() - dwStart > dwTimeoutMs)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    static void Pump()
    {
        PumpUntil([] { return true; }, 0);
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
    std::vector<std::string> Column(int nColumn) const
    {
        std::vector<std::string> cells;
        for (int i = 0; i < RowCount(); ++i)
            cells.push_back(CellText(i, nColumn));
        return cells;
    }
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
    void Command(int nID) { SendMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(nID, 0), 0); }
    std::string StatusText(int nPart) const
    {
        char szText[512] = {};
        SendMessageA(m_hWndStatus, SB_GETTEXTA, static_cast<WPARAM>(nPart), reinterpret_cast<LPARAM>(szText));
        return szText;
    }

    std::vector<std::string> m_unhandled;  // captions of windows closed for want of a handler

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
        Pump();
        EndDialog(IDCANCEL);
        return 0;
    }

private:
    enum { kRunScriptMessage = WM_APP + 95, kTimeoutMs = 30000 };

    void SetState(int nRow, UINT nState, UINT nMask)
    {
        LVITEMA item = {};
        item.stateMask = nMask;
        item.state = nState;
        SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&item));
    }

    static BOOL CALLBACK Visit(HWND hWnd, LPARAM lParam)
    {
        auto* pFound = reinterpret_cast<std::vector<HWND>*>(lParam);
        char szClass[32] = {};
        GetClassNameA(hWnd, szClass, sizeof szClass);
        if ((!lstrcmpA(szClass, "#32770") || !lstrcmpA(szClass, "#32768")) && IsWindowVisible(hWnd))
            pFound->push_back(hWnd);
        return TRUE;
    }

    static void CALLBACK Watch(HWND, UINT, UINT_PTR, DWORD)
    {
        CDrivenMainDlg* pDlg = s_pRunning;
        if (!pDlg || pDlg->m_bInHandler)
            return;
        std::vector<HWND> found;
        EnumThreadWindows(GetCurrentThreadId(), &CDrivenMainDlg::Visit, reinterpret_cast<LPARAM>(&found));
        // Popup menus are top-level windows of no thread in some systems.
        HWND hMenu = FindWindowA("#32768", nullptr);
        if (hMenu && IsWindowVisible(hMenu))
            found.push_back(hMenu);
        for (HWND hWnd : found) {
            if (hWnd == pDlg->m_hWnd || pDlg->m_seen.count(hWnd))
                continue;
            pDlg->m_seen.insert(hWnd);
            if (!pDlg->m_handlers.empty()) {
                Handler handler = std::move(pDlg->m_handlers.front());
                pDlg->m_handlers.pop_front();
                pDlg->m_bInHandler = true;
                handler(hWnd);
                pDlg->m_bInHandler = false;
            } else {
                char szCaption[256] = {};
                ::GetWindowTextA(hWnd, szCaption, sizeof szCaption);
                pDlg->m_unhandled.push_back(szCaption);
                PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
                EndMenu();
            }
            break;
        }
        for (auto it = pDlg->m_seen.begin(); it != pDlg->m_seen.end();)
            it = IsWindow(*it) && IsWindowVisible(*it) ? std::next(it) : pDlg->m_seen.erase(it);
        if (GetTickCount() - pDlg->m_nStartTick > kTimeoutMs) {
            ADD_FAILURE() << "the main window was still open after " << kTimeoutMs << " ms";
            for (HWND hWnd : found)
                PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
            EndMenu();
            pDlg->m_nStartTick = GetTickCount();
            pDlg->EndDialog(IDCANCEL);
        }
    }

    Script m_script;
    std::deque<Handler> m_handlers;
    std::set<HWND> m_seen;
    bool m_bInHandler = false;
    DWORD m_nStartTick = 0;
    static inline CDrivenMainDlg* s_pRunning = nullptr;
};

// The texts of a dialog box: its caption and the text of each of its controls.
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
