// The program started with files on its command line and no key held: the main
// window lists them, and closing it ends the program.
#include "resource.h"
#include "tests/e2e/E2eSupport.h"
#include "tests/szdd/SzddWriter.h"
#include "ui/main/DiskSpace.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <cstdlib>

namespace {

const char kMainTitle[] = "Zorvane for Windows95/98";

// Reads list-view cells of a window in another process: the item record and the text
// buffer must live in that process's memory.
class RemoteListReader {
public:
    RemoteListReader(DWORD dwProcessId, HWND hWndList) : m_hWndList(hWndList), m_shared(dwProcessId, kSize) {}

    bool IsValid() const { return m_shared.IsValid(); }

    int RowCount() const { return static_cast<int>(SendMessageA(m_hWndList, LVM_GETITEMCOUNT, 0, 0)); }

    std::string Cell(int nRow, int nColumn) const
    {
        auto* pItem = reinterpret_cast<LVITEMA*>(m_shared.Local());
        *pItem = LVITEMA{};
        pItem->iSubItem = nColumn;
        pItem->pszText = m_shared.Remote() + sizeof(LVITEMA);
        pItem->cchTextMax = static_cast<int>(kSize - sizeof(LVITEMA) - 1);
        char* pText = m_shared.Local() + sizeof(LVITEMA);
        pText[0] = '\0';
        SendMessageA(m_hWndList, LVM_GETITEMTEXTA, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(m_shared.Remote()));
        return std::string(pText, strnlen(pText, kSize - sizeof(LVITEMA)));
    }

    std::string StatusPart(HWND hWndStatus, int nPart) const
    {
        char* pText = m_shared.Local();
        pText[0] = '\0';
        SendMessageA(hWndStatus, SB_GETTEXTA, static_cast<WPARAM>(nPart), reinterpret_cast<LPARAM>(m_shared.Remote()));
        return std::string(pText, strnlen(pText, kSize));
    }

private:
    enum : size_t { kSize = 4096 };
    HWND m_hWndList;
    e2e::SharedMemory m_shared;
};

// The numbers of a drive text: free and total KByte, and the percentage free.
std::vector<long long> Numbers(const std::string& text)
{
    std::vector<long long> numbers;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            continue;
        size_t end = i;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9')
            ++end;
        numbers.push_back(std::atoll(text.substr(i, end - i).c_str()));
        i = end;
    }
    return numbers;
}

// What the window shows in one language.
struct WindowTexts {
    const char* pszUnknown;         // the extension column of a file without one
    const char* pszBytes;           // after a size
    const char* pszThreeFiles;      // the count part with three files
    const char* pszBeforeLetter;    // the drive text up to its first number: these two
    const char* pszAfterLetter;     // around the drive letter
    const char* pszExpand;          // the expand button
    const char* pszSameFolder;      // the destination button at start
};

const WindowTexts kJapanese = {"特定不可", " Byte", "3 個のファイル", "", " ドライブ : 空き容量 ",
                               "MS-EXPAND展開", "圧縮ファイルと同じフォルダへ展開します。"};
const WindowTexts kEnglish = {"Unknown", " bytes", "3 files", "Drive ", ": ", "Expand",
                              "Same folder as the compressed file"};

std::string WindowText(HWND hWnd)
{
    char szText[512] = {};
    GetWindowTextA(hWnd, szText, sizeof szText);
    return szText;
}

// Starts the program with three files on its command line, reads its list, buttons and
// status bar, and closes it: nothing is expanded on the way.
void ListsTheCommandLineFiles(const WindowTexts& texts, const std::string& version)
{
    e2e::TempFolder folder;
    ASSERT_TRUE(folder.IsValid());
    ASSERT_EQ(folder.Path().find(' '), std::string::npos) << "the command line splits names at spaces";
    const std::string setup = folder / "SETUP.EX_";
    const std::string readme = folder / "README.QQ_";
    const std::string missing = folder / "GONE.tx_";
    ASSERT_TRUE(SzddWriteFile(setup, SzddHeader(200) + std::string(36, 'x')));
    const std::string readmeText = "read me, read me, read me";
    ASSERT_TRUE(SzddWriteCompressedFile(readme, readmeText));

    e2e::Process program;
    ASSERT_TRUE(program.Start(e2e::ProgramPath(), setup + "  " + readme + " " + missing));
    HWND hWndMain = nullptr;
    ASSERT_TRUE(e2e::WaitUntil([&] { return (hWndMain = e2e::FindWindowOfProcess(program.Id(), kMainTitle)) != nullptr; }))
        << "no main window";

    HWND hWndList = GetDlgItem(hWndMain, IDC_FILELIST);
    ASSERT_NE(hWndList, nullptr);
    RemoteListReader list(program.Id(), hWndList);
    ASSERT_TRUE(list.IsValid());
    ASSERT_EQ(list.RowCount(), 3);

    std::string packed;
    ASSERT_TRUE(SzddReadFile(readme, &packed));
    const std::string bytes = texts.pszBytes;
    const std::vector<std::vector<std::string>> expected = {
        {setup, "exe", "50" + bytes, "200" + bytes, "25.0 %"},
        {readme, texts.pszUnknown, std::to_string(packed.size()) + bytes, std::to_string(readmeText.size()) + bytes},
        {missing, "txt", "-1" + bytes, "0" + bytes, "---"},
    };
    for (int nRow = 0; nRow < 3; ++nRow)
        for (size_t nColumn = 0; nColumn < expected[nRow].size(); ++nColumn)
            EXPECT_EQ(list.Cell(nRow, static_cast<int>(nColumn)), expected[nRow][nColumn])
                << "row " << nRow << ", column " << nColumn;
    EXPECT_EQ(WindowText(GetDlgItem(hWndMain, IDC_EXPAND)), texts.pszExpand);
    EXPECT_EQ(WindowText(GetDlgItem(hWndMain, IDC_BROWSE_DEST)), texts.pszSameFolder);

    // The drive of the Windows folder. The free space may change meanwhile on a shared
    // disk; its total may not.
    char szWindows[MAX_PATH] = {};
    GetWindowsDirectoryA(szWindows, MAX_PATH);
    const std::string root = std::string(szWindows).substr(0, 3);
    const DriveSpace space = QueryDriveSpace(root.c_str(), DiskSpaceQueries());
    HWND hWndStatus = GetDlgItem(hWndMain, IDC_STATUSBAR);
    ASSERT_NE(hWndStatus, nullptr);
    EXPECT_EQ(list.StatusPart(hWndStatus, 0), texts.pszThreeFiles);
    const std::string drive = list.StatusPart(hWndStatus, 1);
    const std::string head = texts.pszBeforeLetter + root.substr(0, 1) + texts.pszAfterLetter;
    EXPECT_EQ(drive.substr(0, head.size()), head) << drive;
    const std::vector<long long> numbers = Numbers(drive);
    ASSERT_EQ(numbers.size(), 3u) << drive;
    if (version == "win95") {
        // The first Windows 95 has only the 32-bit query, which tells of 2 GB at most.
        EXPECT_LE(numbers[1], 2097152) << drive;
        EXPECT_LE(numbers[0], numbers[1]) << drive;
        EXPECT_EQ(numbers[2], numbers[1] ? numbers[0] * 100 / numbers[1] : 0) << drive;
    } else {
        EXPECT_EQ(numbers[1], space.totalKByte) << drive;
        EXPECT_LE(std::llabs(numbers[0] - space.freeKByte), space.totalKByte / 100 + 1) << drive;
        EXPECT_LE(std::llabs(numbers[2] - space.percent), 1) << drive;
    }

    PostMessageA(hWndMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.Wait());
    EXPECT_EQ(program.ExitCode(), 0u);
    // Nothing was expanded on the way.
    EXPECT_FALSE(e2e::FileExists(folder / "SETUP.exe"));
}

class MainWindowTest : public testing::TestWithParam<const char*> {
protected:
    e2e::ReportedVersion m_version{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Versions, MainWindowTest, testing::ValuesIn(e2e::kReportedVersions),
                         e2e::ReportedVersionName);

TEST_P(MainWindowTest, ListsTheCommandLineFilesAndEndsWhenClosed)
{
    ASSERT_TRUE(m_version.IsOk(GetParam())) << "cannot set the reported version " << GetParam();
    ASSERT_EQ(GetACP(), 932u) << "run with a Japanese locale";
    ListsTheCommandLineFiles(kJapanese, GetParam());
}

// Where the code page is not 932, the same window in English; as the first Windows 95
// and the last Windows before Vista too.
class EnglishMainWindowTest : public MainWindowTest {};

INSTANTIATE_TEST_SUITE_P(Versions, EnglishMainWindowTest, testing::Values("", "win95", "winxp"),
                         e2e::ReportedVersionName);

TEST_P(EnglishMainWindowTest, ListsTheCommandLineFilesAndEndsWhenClosed)
{
    ASSERT_TRUE(m_version.IsOk(GetParam())) << "cannot set the reported version " << GetParam();
    ASSERT_NE(GetACP(), 932u) << "run with a locale whose code page is not 932";
    ListsTheCommandLineFiles(kEnglish, GetParam());
}

}  // namespace
