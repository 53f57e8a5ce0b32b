// The Ctrl batch run, from outside: the program asks for a destination folder first;
// when the question is cancelled the files are expanded beside their sources.
#include "tests/e2e/E2eSupport.h"
#include "tests/szdd/SzddWriter.h"
#include <commctrl.h>
#include <shlobj.h>
#include <gtest/gtest.h>
#include <string>

namespace {

struct TextSearch {
    const char* pszText;
    bool bFound;
};

BOOL CALLBACK FindChildText(HWND hWnd, LPARAM lParam)
{
    TextSearch& search = *reinterpret_cast<TextSearch*>(lParam);
    char szText[512] = {};
    GetWindowTextA(hWnd, szText, sizeof szText);
    if (std::string(szText) == search.pszText)
        search.bFound = true;
    return !search.bFound;
}

class CtrlRun : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(e2e::FileExists(e2e::ProgramPath())) << e2e::ProgramPath();
        ASSERT_TRUE(m_folder.IsValid());
    }

    // Starts the program with Ctrl held, waits for the folder question, checks its
    // text and cancels it; then waits for the program's end.
    void RunAndCancelTheQuestion(const std::string& arguments)
    {
        e2e::HeldKeys held({VK_CONTROL});
        ASSERT_TRUE(held.IsOk()) << "Ctrl is not seen as held";
        ASSERT_TRUE(m_process.Start(e2e::ProgramPath(), arguments));
        HWND hWndQuestion = nullptr;
        ASSERT_TRUE(e2e::WaitUntil([&] {
            const std::vector<HWND> windows = e2e::WindowsOfProcess(m_process.Id());
            hWndQuestion = windows.empty() ? nullptr : windows.front();
            return hWndQuestion != nullptr;
        })) << "no folder question appeared";
        ASSERT_EQ(e2e::WindowsOfProcess(m_process.Id()).size(), 1u) << "the main window appeared too";

        TextSearch search{"展開先フォルダを指定してください。", false};
        EnumChildWindows(hWndQuestion, &FindChildText, reinterpret_cast<LPARAM>(&search));
        EXPECT_TRUE(search.bFound) << "the question does not name the destination folder";

        PostMessageA(hWndQuestion, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(m_process.Wait()) << "the program did not end after the question was cancelled";
    }

    e2e::TempFolder m_folder;
    e2e::Process m_process;
};

TEST_F(CtrlRun, CancelledQuestionExpandsBesideTheSources)
{
    const std::string data = "ctrl run, ctrl run, ctrl run: expanded beside the source\r\n";
    ASSERT_TRUE(SzddWriteCompressedFile(m_folder / "SETUP.EX_", data));
    ASSERT_TRUE(SzddWriteCompressedFile(m_folder / "PIC.GI_", data + data));

    RunAndCancelTheQuestion(m_folder / "SETUP.EX_" + " " + e2e::Quote(m_folder / "PIC.GI_"));

    EXPECT_EQ(m_process.ExitCode(), 0u);
    std::string expanded;
    ASSERT_TRUE(SzddReadFile(m_folder / "SETUP.exe", &expanded));
    EXPECT_EQ(expanded, data);
    ASSERT_TRUE(SzddReadFile(m_folder / "PIC.gif", &expanded));
    EXPECT_EQ(expanded, data + data);
}

TEST_F(CtrlRun, WithoutNamesAsksAndThenEndsWithZero)
{
    RunAndCancelTheQuestion("");
    EXPECT_EQ(m_process.ExitCode(), 0u);
    EXPECT_TRUE(e2e::ListFolder(m_folder.Path()).empty());
}

BOOL CALLBACK FindChildTextAnyCase(HWND hWnd, LPARAM lParam)
{
    TextSearch& search = *reinterpret_cast<TextSearch*>(lParam);
    char szText[MAX_PATH] = {};
    GetWindowTextA(hWnd, szText, sizeof szText);
    search.bFound = lstrcmpiA(szText, search.pszText) == 0;
    return !search.bFound;
}

// Whether a control of the window shows the text (letters in any case).
bool ShowsText(HWND hWnd, const std::string& text)
{
    TextSearch search{text.c_str(), false};
    EnumChildWindows(hWnd, &FindChildTextAnyCase, reinterpret_cast<LPARAM>(&search));
    return search.bFound;
}

// Selects a folder in another process's browse dialog: the path has to be in that
// process's memory for the dialog to read it.
bool SelectFolderInDialogOf(DWORD dwProcessId, HWND hWndDialog, const std::string& folder)
{
    e2e::SharedMemory shared(dwProcessId, folder.size() + 1);
    if (!shared.IsValid())
        return false;
    std::memcpy(shared.Local(), folder.c_str(), folder.size() + 1);
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(hWndDialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(shared.Remote()),
                               SMTO_ABORTIFHUNG, 10000, &result) != 0;
}

TEST_F(CtrlRun, ChosenFolderReceivesEveryFile)
{
    e2e::TempFolder target;
    ASSERT_TRUE(target.IsValid());
    const std::string data = "ctrl run into the chosen folder\r\n";
    ASSERT_TRUE(SzddWriteCompressedFile(m_folder / "SETUP.EX_", data));
    ASSERT_TRUE(SzddWriteCompressedFile(m_folder / "PIC.GI_", data + data + "tail"));

    {
        e2e::HeldKeys held({VK_CONTROL});
        ASSERT_TRUE(held.IsOk()) << "Ctrl is not seen as held";
        ASSERT_TRUE(m_process.Start(e2e::ProgramPath(), m_folder / "SETUP.EX_" + " " + e2e::Quote(m_folder / "PIC.GI_")));
        HWND hWndQuestion = nullptr;
        ASSERT_TRUE(e2e::WaitUntil([&] {
            const std::vector<HWND> windows = e2e::WindowsOfProcess(m_process.Id());
            hWndQuestion = windows.empty() ? nullptr : windows.front();
            return hWndQuestion != nullptr;
        })) << "no folder question appeared";
        held.Release();
        // A selection made before the dialog has filled its tree is lost.
        ASSERT_TRUE(e2e::WaitUntil([&] {
            HWND hWndTree = FindWindowExA(hWndQuestion, nullptr, "SysTreeView32", nullptr);
            return hWndTree && SendMessageA(hWndTree, TVM_GETNEXTITEM, TVGN_ROOT, 0) != 0;
        })) << "the folder question never filled its tree";
        // The tree may still move to the selection it opened with and undo ours; the status
        // line shows the selected folder's path once the tree is really on it.
        bool bSelected = false;
        for (int nTry = 0; nTry < 5 && !bSelected; ++nTry) {
            ASSERT_TRUE(SelectFolderInDialogOf(m_process.Id(), hWndQuestion, target.Path()));
            bSelected = e2e::WaitUntil([&] { return ShowsText(hWndQuestion, target.Path()); }, 2000);
        }
        ASSERT_TRUE(bSelected) << "the folder question never showed the chosen folder";
        PostMessageA(hWndQuestion, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hWndQuestion, IDOK)));
        ASSERT_TRUE(m_process.Wait()) << "the program did not end after the folder was chosen";
    }

    EXPECT_EQ(m_process.ExitCode(), 0u);
    std::string expanded;
    ASSERT_TRUE(SzddReadFile(target / "SETUP.exe", &expanded));
    EXPECT_EQ(expanded, data);
    ASSERT_TRUE(SzddReadFile(target / "PIC.gif", &expanded));
    EXPECT_EQ(expanded, data + data + "tail");
    EXPECT_EQ(e2e::ListFolder(target.Path()).size(), 2u);
    EXPECT_FALSE(e2e::FileExists(m_folder / "SETUP.exe"));
    EXPECT_FALSE(e2e::FileExists(m_folder / "PIC.gif"));
}

}  // namespace
