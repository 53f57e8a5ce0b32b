// How long one 16 MiB SZDD file of text takes to expand file to file under Windows: by
// ZVEXPAND.EXE (its process start included), by the main window's expand command (its
// repaint included) and by the core alone; each the best of five runs.
// Run under wine64 with a display, from the build folder: zorvane_console_bench.exe [FOLDER]
// It works in FOLDER (by default a new one under the temporary folder, removed at the
// end) and leaves BIG.TX_ there, so that zorvane-expand can be timed natively on it.
#include "core/CompressedFile.h"
#include "framework/WinApp.h"
#include "resource.h"
#include "tests/szdd/SzddWriter.h"
#include "ui/main/MainDlg.h"
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <string>

namespace {

class CBenchApp : public CWinApp {};
CBenchApp g_app;

double Now()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Lines of words from a small vocabulary, some far more common than others, as in text.
std::string Text(size_t nSize)
{
    std::mt19937 rng(12345);
    std::string words[2000];
    for (std::string& word : words)
        for (unsigned k = 2 + rng() % 9; k > 0; --k)
            word.push_back(static_cast<char>('a' + rng() % 26));
    std::string s;
    for (size_t nColumn = 0; s.size() < nSize;) {
        const size_t r = rng() % 2000;
        s += words[r * r / 2000];
        nColumn += words[r * r / 2000].size() + 1;
        s += nColumn > 70 ? "\r\n" : " ";
        nColumn = nColumn > 70 ? 0 : nColumn;
    }
    s.resize(nSize);
    return s;
}

// The main window with the file listed; the timed expand runs inside its loop once it shows.
class CBenchDlg : public CMainDlg {
public:
    double m_seconds = 0;

protected:
    enum { kRun = WM_APP + 1 };

    BOOL OnInitDialog() override
    {
        const BOOL result = CMainDlg::OnInitDialog();
        PostMessageA(m_hWnd, kRun, 0, 0);
        return result;
    }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg != kRun)
            return CMainDlg::WindowProc(msg, wParam, lParam);
        UpdateWindow(m_hWnd);
        LVITEMA item = {};
        item.stateMask = item.state = LVIS_SELECTED;
        SendMessageA(m_lstFiles.m_hWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
        const double start = Now();
        SendMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_EXPAND, BN_CLICKED), 0);
        UpdateWindow(m_hWnd);
        m_seconds = Now() - start;
        EndDialog(IDOK);
        return 0;
    }
};

// The seconds ZVEXPAND.EXE beside this program takes with these arguments; -1 when it fails.
double RunTool(std::string command)
{
    char szTool[MAX_PATH] = {};
    std::string tool(szTool, GetModuleFileNameA(nullptr, szTool, MAX_PATH));
    tool = tool.substr(0, tool.find_last_of('\\') + 1) + "zvexpand.exe";
    command = "zvexpand.exe " + command;
    // What it prints goes nowhere: only its time counts.
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE hNul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = hNul;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    const double start = Now();
    const BOOL bStarted =
        CreateProcessA(tool.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(hNul);
    if (!bStarted)
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    const double seconds = Now() - start;
    DWORD dwStatus = 1;
    GetExitCodeProcess(process.hProcess, &dwStatus);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return dwStatus == 0 ? seconds : -1;
}

double ByTool(const std::string& packed, const std::string& output)
{
    return RunTool("-q -d \"" + output + "\" \"" + packed + "\"");
}

double ByWindow(const std::string& packed, const std::string& output)
{
    CBenchDlg dlg;
    dlg.m_arrStartFiles = {packed};
    dlg.m_strDestination = output;
    g_app.m_pMainWnd = &dlg;
    dlg.DoModal();
    g_app.m_pMainWnd = nullptr;
    return dlg.m_seconds;
}

double ByCore(const std::string& packed, const std::string& output)
{
    const double start = Now();
    CCompressedFile file(packed.c_str());
    return file.Expand((output + "\\").c_str()) ? Now() - start : -1;
}

}  // namespace

int main(int argc, char** argv)
{
    InitCommonControls();
    char szTemp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, szTemp);
    const std::string folder = argc > 1 ? argv[1] : std::string(szTemp) + "zvconsolebench";
    const std::string output = folder + "\\out";
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA(output.c_str(), nullptr);
    const std::string plain = Text(16u << 20);
    const std::string packed = folder + "\\BIG.TX_";
    if (!SzddWriteFile(packed, SzddCompress(plain))) {
        std::fprintf(stderr, "cannot write %s\n", packed.c_str());
        return 1;
    }
    const struct {
        const char* pszWhat;
        double (*pfnRun)(const std::string&, const std::string&);
    } ways[] = {{"ZVEXPAND.EXE", ByTool}, {"the main window's expand", ByWindow}, {"the core alone", ByCore}};
    bool bAllRight = true;
    for (const auto& way : ways) {
        double best = 1e9;
        for (int i = 0; i < 5; ++i) {
            DeleteFileA((output + "\\BIG.txt").c_str());
            const double seconds = way.pfnRun(packed, output);
            std::string expanded;
            if (seconds < 0 || !SzddReadFile(output + "\\BIG.txt", &expanded) || expanded != plain)
                bAllRight = false;
            else if (seconds < best)
                best = seconds;
        }
        std::printf("%-26s 16 MiB file to file: %7.3f s (%.1f MiB/s)\n", way.pszWhat, best, 16 / best);
    }
    double start = 1e9;
    for (int i = 0; i < 5; ++i)
        start = std::min(start, RunTool("--version"));
    std::printf("%-26s start and end alone:  %7.3f s\n", "ZVEXPAND.EXE --version", start);
    DeleteFileA((output + "\\BIG.txt").c_str());
    RemoveDirectoryA(output.c_str());
    if (argc <= 1) {
        DeleteFileA(packed.c_str());
        RemoveDirectoryA(folder.c_str());
    }
    if (!bAllRight)
        std::printf("a run failed or wrote other bytes\n");
    return bAllRight ? 0 : 1;
}
