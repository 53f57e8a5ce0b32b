// How long the visible main window takes to take in many files each way they come
// (a drop of files, a dropped folder's scan, the start files) and to remove and expand
// them all again; each time includes the repaint that shows the result.
// Run under wine64 with a display: zorvane_wine_bench.exe [count...] (default 200 2000 20000)
#include "ui/main/MainDlg.h"
#include "framework/WinApp.h"
#include "resource.h"
#include "tests/szdd/SzddWriter.h"
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

class CBenchApp : public CWinApp {};
CBenchApp g_app;

class CStopwatch {
public:
    CStopwatch() { QueryPerformanceCounter(&m_start); }
    double Seconds() const
    {
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(now.QuadPart - m_start.QuadPart) / static_cast<double>(frequency.QuadPart);
    }

private:
    LARGE_INTEGER m_start;
};

bool g_bAllListed = true;

void Report(const char* pszWhat, size_t nFiles, double seconds, int nRows, int nExpectedRows)
{
    std::printf("%-34s x %6u: %8.3f s, %7.3f ms per file (rows %d)\n", pszWhat, static_cast<unsigned>(nFiles),
                seconds, seconds * 1000.0 / static_cast<double>(nFiles ? nFiles : 1), nRows);
    if (nRows != nExpectedRows) {
        std::printf("  expected %d rows\n", nExpectedRows);
        g_bAllListed = false;
    }
    std::fflush(stdout);
}

// A drop block as the shell builds it: DROPFILES, the ANSI paths with their NULs, one more NUL.
HDROP MakeDrop(const std::vector<std::string>& paths)
{
    size_t nSize = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths)
        nSize += path.size() + 1;
    HGLOBAL hGlobal = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, nSize);
    char* pBlock = static_cast<char*>(GlobalLock(hGlobal));
    reinterpret_cast<DROPFILES*>(pBlock)->pFiles = sizeof(DROPFILES);
    char* pPath = pBlock + sizeof(DROPFILES);
    for (const std::string& path : paths) {
        std::memcpy(pPath, path.c_str(), path.size() + 1);
        pPath += path.size() + 1;
    }
    GlobalUnlock(hGlobal);
    return static_cast<HDROP>(hGlobal);
}

void RemoveFiles(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (hFind != INVALID_HANDLE_VALUE) {
        do
            DeleteFileA((folder + "\\" + found.cFileName).c_str());
        while (FindNextFileA(hFind, &found));
        FindClose(hFind);
    }
    RemoveDirectoryA(folder.c_str());
}

// The main window, run modally; the script runs inside its loop once it shows.
class CBenchDlg : public CMainDlg {
public:
    std::function<void(CBenchDlg&)> m_script;
    double m_initSeconds = 0;

    int RowCount() const { return static_cast<int>(SendMessageA(m_lstFiles.m_hWnd, LVM_GETITEMCOUNT, 0, 0)); }

    // The handler's time and the repaint that shows its result.
    double Time(const std::function<void()>& step)
    {
        CStopwatch watch;
        step();
        UpdateWindow(m_hWnd);
        UpdateWindow(m_lstFiles.m_hWnd);
        return watch.Seconds();
    }

    void SelectAll()
    {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageA(m_lstFiles.m_hWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    }
    void Command(int nID) { SendMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), 0); }
    void Drop(const std::vector<std::string>& paths)
    {
        SendMessageA(m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    }

protected:
    enum { kRun = WM_APP + 1 };

    BOOL OnInitDialog() override
    {
        CStopwatch watch;
        const BOOL result = CMainDlg::OnInitDialog();
        m_initSeconds = watch.Seconds();
        PostMessageA(m_hWnd, kRun, 0, 0);
        return result;
    }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg != kRun)
            return CMainDlg::WindowProc(msg, wParam, lParam);
        // The window shows, painted, before the work starts.
        UpdateWindow(m_hWnd);
        if (m_script)
            m_script(*this);
        EndDialog(IDOK);
        return 0;
    }
};

void RunDlg(CBenchDlg& dlg)
{
    g_app.m_pMainWnd = &dlg;
    dlg.DoModal();
    g_app.m_pMainWnd = nullptr;
}

void Bench(const std::string& root, size_t nCount)
{
    const std::string folder = root + "\\in" + std::to_string(nCount);
    const std::string output = root + "\\out" + std::to_string(nCount);
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA(output.c_str(), nullptr);
    // A few kinds of compressed files, as on an installation disk.
    const char* const kExtensions[] = {".EX_", ".DL_", ".TX_", ".DO_", ".HL_"};
    const std::string packed = SzddCompress(std::string(4000, 'z') + "tail of the file");
    std::vector<std::string> paths;
    for (size_t i = 0; i < nCount; ++i) {
        char szName[32];
        std::snprintf(szName, sizeof szName, "\\FILE%05u", static_cast<unsigned>(i));
        paths.push_back(folder + szName + kExtensions[i % 5]);
        if (!SzddWriteFile(paths.back(), packed)) {
            std::fprintf(stderr, "cannot write %s\n", paths.back().c_str());
            std::exit(1);
        }
    }
    const int nRows = static_cast<int>(nCount);

    {
        CBenchDlg dlg;
        dlg.m_script = [&](CBenchDlg& d) {
            double seconds = d.Time([&] { d.Drop(paths); });
            Report("drop of files", nCount, seconds, d.RowCount(), nRows);
            d.SelectAll();
            seconds = d.Time([&] { d.Command(IDC_REMOVE); });
            Report("remove all selected", nCount, seconds, d.RowCount(), 0);
            seconds = d.Time([&] { d.Drop({folder}); });
            Report("drop of their folder (scan)", nCount, seconds, d.RowCount(), nRows);
            d.m_strDestination = output;
            d.SelectAll();
            seconds = d.Time([&] { d.Command(IDC_EXPAND); });
            Report("expand all selected", nCount, seconds, d.RowCount(), 0);
        };
        RunDlg(dlg);
    }
    RemoveFiles(output);
    CreateDirectoryA(output.c_str(), nullptr);

    // The expansions alone, without the window, to tell the list's share of the expand command.
    CStopwatch expandWatch;
    for (const std::string& path : paths) {
        CCompressedFile file(path.c_str());
        file.Expand((output + "\\").c_str());
    }
    const double expandSeconds = expandWatch.Seconds();
    Report("  of which the expansions alone", nCount, expandSeconds, nRows, nRows);
    RemoveFiles(output);

    {
        CBenchDlg dlg;
        dlg.m_arrStartFiles = paths;
        int nListed = 0;
        double paintSeconds = 0;
        dlg.m_script = [&](CBenchDlg& d) {
            nListed = d.RowCount();
            paintSeconds = d.Time([] {});
        };
        RunDlg(dlg);
        Report("start files", nCount, dlg.m_initSeconds + paintSeconds, nListed, nRows);
    }

    RemoveFiles(folder);
}

}  // namespace

int main(int argc, char** argv)
{
    InitCommonControls();
    std::vector<size_t> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(static_cast<size_t>(std::strtoul(argv[i], nullptr, 10)));
    if (counts.empty())
        counts = {200, 2000, 20000};

    char szTemp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, szTemp);
    const std::string root = std::string(szTemp) + "zvbench" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(root.c_str(), nullptr);
    for (size_t nCount : counts)
        Bench(root, nCount);
    RemoveDirectoryA(root.c_str());
    return g_bAllListed ? 0 : 1;
}
