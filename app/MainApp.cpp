#include "core/CompressedFile.h"
#include "app/MainApp.h"
#include "app/CommandLine.h"
#include "app/Language.h"
#include "resource.h"
#include "ui/common/FolderPicker.h"
#include "ui/main/MainDlg.h"

namespace {
// A key pressed before the program started can be known to the asynchronous key state
// only, not yet to this thread's; either one counts.
bool IsKeyHeld(int nVirtKey)
{
    return GetKeyState(nVirtKey) < 0 || (GetAsyncKeyState(nVirtKey) & 0x8000) != 0;
}
}

BOOL CMainApp::InitInstance()
{
    // The texts are those of the system's code page: Japanese on 932, English elsewhere.
    UseInterfaceLanguage(*this, InterfaceLanguage(GetACP()));

    // 1. The dialog controls have the 3-D look of their own on every system the program runs on.

    // 2. OLE, for drag-out; the program goes on without it.
    OleInit();

    // 3. The main window object; in the batch runs it never gets a window.
    CMainDlg dlg;
    m_pMainWnd = &dlg;

    // 4. The file names from the command line.
    for (const std::string& name : CommandLineFileNames(GetCommandLineA()))
        dlg.m_arrStartFiles.push_back(name);

    // 5. Shift: expand beside the sources. 6. Ctrl: expand into a folder asked for.
    // 7. Neither: the main window, which lists the names. The batch runs show nothing;
    // their exit code tells whether every file was expanded.
    if (IsKeyHeld(VK_SHIFT))
        m_nExitCode = ExpandFiles(dlg.m_arrStartFiles, TRUE) ? 0 : 1;
    else if (IsKeyHeld(VK_CONTROL))
        m_nExitCode = ExpandFiles(dlg.m_arrStartFiles, FALSE) ? 0 : 1;
    else
        dlg.DoModal();

    // 8. The main window object goes with this routine.
    m_pMainWnd = nullptr;
    return FALSE;
}

bool CMainApp::ExpandFiles(const std::vector<std::string>& arrFiles, BOOL bBesideSource)
{
    std::string strPrefix;
    if (!bBesideSource) {
        // The picker lives only for the question, not for the expansions.
        CFolderPicker picker(m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr, nullptr, IDS_DESTINATION_TITLE);
        picker.SetFlags(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT);
        // Cancelled: the files are expanded beside their sources.
        if (picker.Browse())
            strPrefix = picker.GetPath() + "\\";
    }

    bool bAllExpanded = true;
    for (const std::string& name : arrFiles) {
        CCompressedFile file(name.c_str());
        file.GuessExtensionFromHeader();
        if (file.Expand(strPrefix.c_str()))
            continue;
        bAllExpanded = false;
        // The batch runs report nothing but this: an archive wants another tool. The
        // main window object shows it, without a window of its own here.
        if (file.LastFailure() == CCompressedFile::kFailArchive)
            static_cast<CMainDlg*>(m_pMainWnd)->ShowArchiveRefused(file.m_szPath, file.CabinetMembers());
    }
    return bAllExpanded;
}
