// Help > Contents of the real program: where Windows has WinHelp, it opens the help file
// built beside the program and shows a topic; on Windows Vista and later, which have
// none, the shell opens the HTML page of the same help. Japanese or English as the
// window is. The program shows no error of its own. What the topics say is the help's
// structural test's to check.
#include "resource.h"
#include "tests/e2e/E2eSupport.h"
#include <gtest/gtest.h>

namespace {

const char kMainTitle[] = "Zorvane for Windows95/98";

BOOL CALLBACK CollectChild(HWND hWnd, LPARAM lParam)
{
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

// The length in characters of the text that the viewer shows: its rich edit control's. (Wine's control
// tells its length to another process but not its text.)
LRESULT ShownTextLength(HWND hWndTop)
{
    std::vector<HWND> children;
    EnumChildWindows(hWndTop, &CollectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND hWnd : children) {
        char szClass[64] = {};
        GetClassNameA(hWnd, szClass, sizeof szClass);
        if (std::strncmp(szClass, "RichEdit", 8) == 0)
            return SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0);
    }
    return 0;
}

// The help's files and the viewer's caption, which the help file gives it: Japanese
// where the code page is 932, English elsewhere.
const char* HelpName()
{
    return GetACP() == 932 ? "ZORVANE" : "ZORVANEE";
}

const char* ViewerTitle()
{
    return GetACP() == 932 ? "Zorvane ヘルプ" : "Zorvane Help";
}

void StartAndAskForHelp(e2e::Process& program, HWND* phWndMain)
{
    ASSERT_TRUE(program.Start(e2e::ProgramPath(), ""));
    ASSERT_TRUE(e2e::WaitUntil(
        [&] { return (*phWndMain = e2e::FindWindowOfProcess(program.Id(), kMainTitle)) != nullptr; }));
    PostMessageA(*phWndMain, WM_COMMAND, ID_HELP_CONTENTS, 0);
}

void ContentsOpensTheHelpFileBuiltBesideTheProgram()
{
    ASSERT_TRUE(e2e::FileExists(e2e::ModuleFolder() + "\\" + HelpName() + ".HLP")) << "the build makes the help file";
    // The last Windows with WinHelp of its own.
    e2e::ReportedVersion version("winxp");
    ASSERT_TRUE(version.IsOk("winxp"));
    e2e::Process program;
    HWND hWndMain = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartAndAskForHelp(program, &hWndMain));
    HWND hWndHelp = nullptr;
    ASSERT_TRUE(e2e::WaitUntil([&] { return (hWndHelp = FindWindowA(nullptr, ViewerTitle())) != nullptr; }))
        << "no help viewer showing the help file";
    EXPECT_TRUE(e2e::WaitUntil([&] { return ShownTextLength(hWndHelp) > 100; })) << "no topic shown";
    // No box of the program's own says that help could not start.
    EXPECT_EQ(e2e::WindowsOfProcess(program.Id()).size(), 1u);

    PostMessageA(hWndHelp, WM_CLOSE, 0, 0);
    EXPECT_TRUE(e2e::WaitUntil([&] { return FindWindowA(nullptr, ViewerTitle()) == nullptr; }));
    PostMessageA(hWndMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.Wait());
}

// The program that opens .htm files, for one test: it copies the page it is given to a
// marker file. What the file type named before comes back afterwards.
class CRecordedPageOpen {
public:
    explicit CRecordedPageOpen(const std::string& marker)
    {
        char szPrevious[256] = {};
        LONG cbPrevious = sizeof szPrevious;
        if (RegQueryValueA(HKEY_CLASSES_ROOT, ".htm", szPrevious, &cbPrevious) == ERROR_SUCCESS)
            m_strPrevious = szPrevious;
        const std::string command = "cmd.exe /c copy \"%1\" \"" + marker + "\"";
        m_bMade = SetDefault(".htm", kClass) && SetDefault(std::string(kClass) + "\\shell\\open\\command", command);
    }
    ~CRecordedPageOpen()
    {
        for (const char* pszKey : {"\\shell\\open\\command", "\\shell\\open", "\\shell", ""})
            RegDeleteKeyA(HKEY_CLASSES_ROOT, (kClass + pszKey).c_str());
        if (!m_strPrevious.empty())
            SetDefault(".htm", m_strPrevious);
    }
    CRecordedPageOpen(const CRecordedPageOpen&) = delete;
    CRecordedPageOpen& operator=(const CRecordedPageOpen&) = delete;

    bool m_bMade = false;

private:
    static bool SetDefault(const std::string& key, const std::string& value)
    {
        return RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(),
                            static_cast<DWORD>(value.size())) == ERROR_SUCCESS;
    }

    static inline const std::string kClass = "ZorvaneTest.RecordedPage";
    std::string m_strPrevious;
};

// Where Windows has no WinHelp, the shell's "open" gets the page of the window's language.
void ContentsOpensTheHtmlPage(const char* pszVersion)
{
    const std::string page = e2e::ModuleFolder() + "\\" + HelpName() + ".HTM";
    std::vector<uint8_t> expected;
    ASSERT_TRUE(e2e::ReadFileBytes(page, expected)) << "the build makes the page " << page;
    e2e::ReportedVersion version(pszVersion);
    ASSERT_TRUE(version.IsOk(pszVersion));
    e2e::TempFolder folder;
    ASSERT_TRUE(folder.IsValid());
    const std::string marker = folder / "opened.htm";
    CRecordedPageOpen recorder(marker);
    ASSERT_TRUE(recorder.m_bMade);

    e2e::Process program;
    HWND hWndMain = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartAndAskForHelp(program, &hWndMain));
    std::vector<uint8_t> opened;
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::ReadFileBytes(marker, opened) && opened == expected; }))
        << "the shell was not given " << page;
    EXPECT_EQ(e2e::WindowsOfProcess(program.Id()).size(), 1u) << "a box of the program's own";
    PostMessageA(hWndMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.Wait());
}

TEST(HelpContentsTest, ContentsOpensTheHelpFileBuiltBesideTheProgram)
{
    ASSERT_EQ(GetACP(), 932u) << "run with a Japanese locale";
    ContentsOpensTheHelpFileBuiltBesideTheProgram();
}

TEST(EnglishHelpContentsTest, ContentsOpensTheEnglishHelpFileBuiltBesideTheProgram)
{
    ASSERT_NE(GetACP(), 932u) << "run with a locale whose code page is not 932";
    ContentsOpensTheHelpFileBuiltBesideTheProgram();
}

class HelpPageTest : public testing::TestWithParam<const char*> {};
class EnglishHelpPageTest : public testing::TestWithParam<const char*> {};

// Windows 7 still has WinHelp as a download of its own, 10 not even that.
INSTANTIATE_TEST_SUITE_P(Versions, HelpPageTest, testing::Values("win7", "win10"), e2e::ReportedVersionName);
INSTANTIATE_TEST_SUITE_P(Versions, EnglishHelpPageTest, testing::Values("win7", "win10"), e2e::ReportedVersionName);

TEST_P(HelpPageTest, ContentsOpensTheJapanesePageWhereWindowsHasNoWinHelp)
{
    ASSERT_EQ(GetACP(), 932u) << "run with a Japanese locale";
    ContentsOpensTheHtmlPage(GetParam());
}

TEST_P(EnglishHelpPageTest, ContentsOpensTheEnglishPageWhereWindowsHasNoWinHelp)
{
    ASSERT_NE(GetACP(), 932u) << "run with a locale whose code page is not 932";
    ContentsOpensTheHtmlPage(GetParam());
}

}  // namespace
