// How long the main window takes to list many files and to remove them all again.
// Run under wine64 with a display: zorvane_wine_bench.exe [count]
#include "ui/main/MainDlg.h"
#include "framework/WinApp.h"
#include "resource.h"
#include "tests/szdd/SzddWriter.h"
#include <commctrl.h>
#include <shellapi.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class CBenchApp : public CWinApp {};
CBenchApp g_app;

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

class CBenchDlg : public CMainDlg {
public:
    std::vector<std::string> m_paths;
    double m_addSeconds = 0;
    double m_removeSeconds = 0;
    int m_nRowsAdded = 0;
    int m_nRowsLeft = -1;
    bool m_bFrozen = false;  // list drawing held back while the rows are added

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
        LARGE_INTEGER t0, t1, t2, t3;
        QueryPerformanceCounter(&t0);
        if (m_bFrozen)
            SendMessageA(m_lstFiles.m_hWnd, WM_SETREDRAW, FALSE, 0);
        for (const std::string& path : m_paths)
            AddFile(path.c_str());
        if (m_bFrozen)
            SendMessageA(m_lstFiles.m_hWnd, WM_SETREDRAW, TRUE, 0);
        QueryPerformanceCounter(&t1);
        m_nRowsAdded = static_cast<int>(SendMessageA(m_lstFiles.m_hWnd, LVM_GETITEMCOUNT, 0, 0));

        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageA(m_lstFiles.m_hWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
        QueryPerformanceCounter(&t2);
        SendMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_REMOVE, 0), 0);
        QueryPerformanceCounter(&t3);
        m_nRowsLeft = static_cast<int>(SendMessageA(m_lstFiles.m_hWnd, LVM_GETITEMCOUNT, 0, 0));

        m_addSeconds = Seconds(t0, t1);
        m_removeSeconds = Seconds(t2, t3);
        EndDialog(IDOK);
        return 0;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    const int nCount = argc > 1 ? std::atoi(argv[1]) : 2000;
    InitCommonControls();

    char szTemp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, szTemp);
    const std::string folder = std::string(szTemp) + "zvbench" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string packed = SzddCompress(std::string(4000, 'z') + "tail of the file");

    CBenchDlg dlg;
    dlg.m_bFrozen = argc > 2 && std::string(argv[2]) == "frozen";
    for (int i = 0; i < nCount; ++i) {
        dlg.m_paths.push_back(folder + "\\FILE" + std::to_string(i) + ".EX_");
        if (!SzddWriteFile(dlg.m_paths.back(), packed)) {
            std::fprintf(stderr, "cannot write %s\n", dlg.m_paths.back().c_str());
            return 1;
        }
    }

    // The parts of one addition that do not touch the list: the shell's icon and the two size queries.
    LARGE_INTEGER t0, t1, t2;
    QueryPerformanceCounter(&t0);
    for (const std::string& path : dlg.m_paths) {
        SHFILEINFOA info = {};
        SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON);
        if (info.hIcon)
            DestroyIcon(info.hIcon);
    }
    QueryPerformanceCounter(&t1);
    for (const std::string& path : dlg.m_paths) {
        CCompressedFile file(path.c_str());
        file.GetSize(true);
        file.GetSize(false);
    }
    QueryPerformanceCounter(&t2);
    const double iconSeconds = Seconds(t0, t1);
    const double sizeSeconds = Seconds(t1, t2);

    g_app.m_pMainWnd = &dlg;
    dlg.DoModal();
    g_app.m_pMainWnd = nullptr;

    for (const std::string& path : dlg.m_paths)
        DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());

    std::printf("AddFile x %d: %.3f s (%.3f ms per entry), rows listed: %d\n", nCount, dlg.m_addSeconds,
                dlg.m_addSeconds * 1000.0 / (nCount ? nCount : 1), dlg.m_nRowsAdded);
    std::printf("remove all %d selected rows: %.3f s, rows left: %d\n", nCount, dlg.m_removeSeconds, dlg.m_nRowsLeft);
    std::printf("of which outside the list: shell icons %.3f s, size queries %.3f s\n", iconSeconds, sizeSeconds);
    return dlg.m_nRowsAdded == nCount && dlg.m_nRowsLeft == 0 ? 0 : 1;
}
