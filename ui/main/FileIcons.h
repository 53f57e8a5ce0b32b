// The rows' small icons: one image of the list per file type, shared by every row
// of that type. The shell is asked once per type, without touching the disk, except
// for the types whose icon comes from the file itself (programs, icons, shortcuts)
// and for folders: those rows are asked for file by file and get an image each.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <map>
#include <string>

class CFileIcons {
public:
    // The image of the path's icon in the list, appended to it when new; -1 when the
    // shell has no icon for the path.
    int ImageFor(HIMAGELIST hImageList, const char* pszPath);
    // Forgets every image, for when the list is destroyed.
    void Clear();

private:
    enum { kAskPerFile = -2 };

    static int AskShell(HIMAGELIST hImageList, const char* pszPath, DWORD dwAttributes, UINT nFlags);

    std::map<std::string, int> m_typeImages;  // extension -> image, or kAskPerFile
};
