// The folder picker run for real: it is driven from its own notifications,
// which arrive on this thread inside the modal loop of the shell dialog.
#include "ui/common/FolderPicker.h"
#include "resource.h"
#include "tests/support/TestDialog.h"
#include <gtest/gtest.h>
#include <cstring>
#include <string>

namespace {

const DWORD kWatchdogMs = 10000;

// A folder of its own under the temporary folder, removed again at the end.
class CPickerFolder {
public:
    CPickerFolder()
    {
        static int s_nCount = 0;
        char szTemp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, szTemp);
        std::string temp = szTemp;
        if (!temp.empty() && temp.back() == '\\')
            temp.pop_back();
        m_strPath = temp + "\\zvpick" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++s_nCount);
        CreateDirectoryA(m_strPath.c_str(), nullptr);
    }
    ~CPickerFolder() { RemoveDirectoryA(m_strPath.c_str()); }
    std::string m_strPath;
};

std::string StaticShowing(HWND hWndDialog, const std::string& text)
{
    HWND hWndStatic = FindChildWindow(hWndDialog, [&](HWND hWnd) {
        return lstrcmpiA(ClassName(hWnd).c_str(), "Static") == 0 && lstrcmpiA(WindowText(hWnd).c_str(), text.c_str()) == 0;
    });
    return hWndStatic ? WindowText(hWndStatic) : std::string();
}

// Selects a folder once the dialog is up, then confirms or cancels it when the
// selection has reached that folder. Meanwhile it tries every setter.
class CScriptedPicker : public CFolderPicker {
public:
    CScriptedPicker(const std::string& target, bool bConfirm)
        : CFolderPicker(nullptr, nullptr, IDS_DESTINATION_TITLE), m_strTarget(target), m_bConfirm(bConfirm)
    {
    }

    using CFolderPicker::m_bi;
    using CFolderPicker::m_hWndDialog;
    using CFolderPicker::m_pszTitle;

    int m_nInitialized = 0;
    int m_nSetterChanges = 0;
    HWND m_hWndSeen = nullptr;
    std::string m_strStatusShown;
    bool m_bEnded = false;
    int m_nReselections = 0;

protected:
    void OnInitialized() override
    {
        ++m_nInitialized;
        m_hWndSeen = m_hWndDialog;
        TrySetters();
        SendMessageA(m_hWndDialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(m_strTarget.c_str()));
        // Under load Wine's dialog can drop a selection asked for while it is still
        // filling its tree, with no notification at all; ask again until one arrives.
        s_pRunning = this;
        m_uRetryTimer = SetTimer(nullptr, 0, 250, &RetrySelection);
    }

    void OnSelChanged(LPCITEMIDLIST pidl) override
    {
        CFolderPicker::OnSelChanged(pidl);
        TrySetters();
        char szPath[MAX_PATH] = {};
        if (m_bEnded)
            return;
        if (!SHGetPathFromIDListA(pidl, szPath) || lstrcmpiA(szPath, m_strTarget.c_str()) != 0) {
            // The dialog's own start-up may move the selection after ours; ask again.
            if (m_nReselections++ < 5)
                PostMessageA(m_hWndDialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(m_strTarget.c_str()));
            return;
        }
        m_strStatusShown = StaticShowing(m_hWndDialog, m_strTarget);
        m_bEnded = true;
        StopRetrying();
        PostMessageA(m_hWndDialog, WM_COMMAND, m_bConfirm ? IDOK : IDCANCEL, 0);
    }

private:
    static void CALLBACK RetrySelection(HWND, UINT, UINT_PTR, DWORD)
    {
        CScriptedPicker* pPicker = s_pRunning;
        if (pPicker && pPicker->m_hWndDialog && !pPicker->m_bEnded)
            PostMessageA(pPicker->m_hWndDialog, BFFM_SETSELECTIONA, TRUE,
                         reinterpret_cast<LPARAM>(pPicker->m_strTarget.c_str()));
    }

    void StopRetrying()
    {
        if (m_uRetryTimer)
            KillTimer(nullptr, m_uRetryTimer);
        m_uRetryTimer = 0;
        s_pRunning = nullptr;
    }

    void TrySetters()
    {
        const BROWSEINFOA before = m_bi;
        const std::string title = m_pszTitle ? m_pszTitle : "";
        SetOwner(GetDesktopWindow());
        SetRoot(reinterpret_cast<LPCITEMIDLIST>(&before));
        SetFlags(BIF_BROWSEFORCOMPUTER);
        SetTitle("changed while running");
        SetTitle(static_cast<UINT>(IDS_OPENFOLDER_TITLE));
        if (std::memcmp(&before, &m_bi, sizeof before) != 0 || title != (m_pszTitle ? m_pszTitle : ""))
            ++m_nSetterChanges;
    }

public:
    ~CScriptedPicker() { StopRetrying(); }

    std::string m_strTarget;
    bool m_bConfirm;

private:
    static CScriptedPicker* s_pRunning;
    UINT_PTR m_uRetryTimer = 0;
};

CScriptedPicker* CScriptedPicker::s_pRunning = nullptr;

TEST(FolderPickerTest, ConfirmedSelectionIsThePathAndRunningSettersChangeNothing)
{
    CPickerFolder folder;
    CScriptedPicker picker(folder.m_strPath, true);
    picker.SetFlags(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT);
    picker.SetStatusText("before any run");
    EXPECT_EQ(picker.m_hWndDialog, nullptr);

    CDialogWatchdog watchdog(kWatchdogMs);
    const bool bConfirmed = picker.Browse();
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_TRUE(bConfirmed);
    EXPECT_EQ(picker.m_nInitialized, 1);
    EXPECT_NE(picker.m_hWndSeen, nullptr);
    EXPECT_TRUE(picker.m_bEnded);
    EXPECT_EQ(picker.m_nSetterChanges, 0);
    EXPECT_STRCASEEQ(picker.GetPath().c_str(), folder.m_strPath.c_str());
    EXPECT_STRCASEEQ(picker.m_strStatusShown.c_str(), folder.m_strPath.c_str());
    EXPECT_EQ(picker.m_hWndDialog, nullptr);
    EXPECT_STREQ(picker.m_pszTitle, "展開先フォルダを指定してください。");

    picker.SetStatusText("after the run");
    EXPECT_FALSE(IsWindow(picker.m_hWndSeen));
}

TEST(FolderPickerTest, CancelKeepsThePathOfTheEarlierRun)
{
    CPickerFolder first;
    CPickerFolder second;
    CScriptedPicker picker(first.m_strPath, true);
    {
        CDialogWatchdog watchdog(kWatchdogMs);
        ASSERT_TRUE(picker.Browse());
        ASSERT_FALSE(watchdog.Fired());
    }
    ASSERT_STRCASEEQ(picker.GetPath().c_str(), first.m_strPath.c_str());

    // The same picker again, cancelled while a different folder is selected.
    picker.m_strTarget = second.m_strPath;
    picker.m_bConfirm = false;
    picker.m_bEnded = false;
    picker.m_nReselections = 0;
    CDialogWatchdog watchdog(kWatchdogMs);
    EXPECT_FALSE(picker.Browse());
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_TRUE(picker.m_bEnded);
    EXPECT_STRCASEEQ(picker.GetPath().c_str(), first.m_strPath.c_str());
    EXPECT_EQ(picker.m_hWndDialog, nullptr);
}

TEST(FolderPickerTest, SecondTitleReplacesTheFirstAndIsACopy)
{
    CScriptedPicker picker("", true);
    char szFirst[] = "first title";
    char szSecond[] = "second title";
    picker.SetTitle(szFirst);
    picker.SetTitle(szSecond);
    std::strcpy(szSecond, "overwritten!");
    EXPECT_STREQ(picker.m_bi.lpszTitle, "second title");
    EXPECT_EQ(picker.m_bi.lpszTitle, picker.m_pszTitle);
    EXPECT_NE(picker.m_bi.lpszTitle, static_cast<const char*>(szSecond));
    EXPECT_FALSE(picker.SetTitle(static_cast<UINT>(0)));
    EXPECT_FALSE(picker.SetTitle(static_cast<UINT>(0x7FF0)));
    EXPECT_STREQ(picker.m_bi.lpszTitle, "second title");
}

}  // namespace
