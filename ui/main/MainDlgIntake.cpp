// The ways compressed files enter the list besides the command line: the
// file-open dialog, a folder's compressed files, and files dropped on the window.
#include "ui/main/MainDlg.h"
#include "framework/FileDialog.h"
#include "framework/ResourceString.h"
#include "framework/WaitCursor.h"
#include "resource.h"
#include "ui/common/FolderPicker.h"
#include "ui/main/ListRedrawPause.h"
#include <shellapi.h>
#include <shlobj.h>
#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {
const char kSearchPattern[] = "\\*.*";

bool IsDotEntry(const char* pszName)
{
    return std::strcmp(pszName, ".") == 0 || std::strcmp(pszName, "..") == 0;
}

// Calls take(path) for the entries directly in the folder whose full path ends in
// the byte '_' (a byte test: the second byte of a double-byte character counts too).
// Subfolders are passed over unless bTakeFolders; "." and ".." always are. A path
// that an entry could not hold (260 bytes or more) is passed over.
template <typename Take>
void ScanFolder(const std::string& folder, bool bTakeFolders, Take take)
{
    // A drive root such as C:\ already ends in its backslash.
    std::string prefix = folder;
    if (prefix.size() == 3 && prefix.compare(1, 2, ":\\") == 0)
        prefix.pop_back();
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA((prefix + kSearchPattern).c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do {
        const bool bFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (bFolder && (!bTakeFolders || IsDotEntry(found.cFileName)))
            continue;
        const std::string path = prefix + "\\" + found.cFileName;
        if (path.size() < MAX_PATH && path.back() == '_')
            take(path);
    } while (FindNextFileA(hFind, &found));
    FindClose(hFind);
}

// The dropped paths in drop order, read from the drop block in one pass: asking for them
// one at a time (DragQueryFileA) walks the block from its start for each. A path is cut
// to what a 260-byte buffer holds, as that query cuts it.
std::vector<std::string> DroppedPaths(HDROP hDrop)
{
    std::vector<std::string> paths;
    const SIZE_T nSize = GlobalSize(hDrop);
    const BYTE* pBlock = static_cast<const BYTE*>(GlobalLock(hDrop));
    if (!pBlock)
        return paths;
    const DROPFILES* pHeader = reinterpret_cast<const DROPFILES*>(pBlock);
    if (nSize >= sizeof(DROPFILES) && pHeader->pFiles < nSize) {
        const BYTE* pEnd = pBlock + nSize;
        if (pHeader->fWide) {
            const auto* pName = reinterpret_cast<const wchar_t*>(pBlock + pHeader->pFiles);
            const auto* pLast = reinterpret_cast<const wchar_t*>(pEnd) - 1;
            while (pName < pLast && *pName) {
                const int nLength = static_cast<int>(wcsnlen(pName, static_cast<size_t>(pLast - pName)));
                char szPath[MAX_PATH] = {};
                if (!WideCharToMultiByte(CP_ACP, 0, pName, nLength, szPath, MAX_PATH - 1, nullptr, nullptr))
                    szPath[0] = '\0';
                paths.push_back(szPath);
                pName += nLength + 1;
            }
        } else {
            const auto* pName = reinterpret_cast<const char*>(pBlock + pHeader->pFiles);
            const auto* pLast = reinterpret_cast<const char*>(pEnd) - 1;
            while (pName < pLast && *pName) {
                const size_t nLength = strnlen(pName, static_cast<size_t>(pLast - pName));
                paths.emplace_back(pName, nLength < MAX_PATH ? nLength : MAX_PATH - 1);
                pName += nLength + 1;
            }
        }
    }
    GlobalUnlock(hDrop);
    return paths;
}
}

void CMainDlg::OnOpenFile()
{
    // The string table separates the filter's texts with '|', which no description or
    // pattern holds; the dialog wants NULs, the last one doubled.
    std::string filter = LoadResString(IDS_OPEN_FILE_FILTER);
    std::replace(filter.begin(), filter.end(), '|', '\0');
    filter += '\0';
    CFileDialog dialog(true, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter.c_str(), this);
    dialog.SetTitle(LoadResString(IDS_OPEN_FILE_TITLE).c_str());
    if (dialog.DoModal() != IDOK)
        return;
    AddFile(dialog.GetPathName().c_str());
    UpdateStatusBar();
}

void CMainDlg::OnOpenFolder()
{
    CFolderPicker picker(m_hWnd, nullptr, IDS_OPENFOLDER_TITLE);
    picker.SetFlags(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT);
    if (!picker.Browse())
        return;
    CWaitCursor wait;
    CListRedrawPause pause(m_lstFiles.m_hWnd);
    ScanFolder(picker.GetPath(), false, [this](const std::string& path) { AddFile(path.c_str()); });
    pause.Resume();
    UpdateStatusBar();
}

void CMainDlg::OnDropFiles(HDROP hDropInfo)
{
    CWaitCursor wait;
    CListRedrawPause pause(m_lstFiles.m_hWnd);
    for (const std::string& path : DroppedPaths(hDropInfo)) {
        // A name the code page cannot hold names nothing here (nor the current drive's root).
        if (path.empty())
            continue;
        // An item whose attributes cannot be read (all bits set) is tried as a folder.
        const DWORD dwAttributes = GetFileAttributesA(path.c_str());
        if (!(dwAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM)))
            AddFile(path.c_str());
        else
            ScanFolder(path, true, [this](const std::string& found) { AddFile(found.c_str()); });
    }
    pause.Resume();
    UpdateStatusBar();
    Default();
    DragFinish(hDropInfo);
}
