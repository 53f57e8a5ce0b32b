#include "ui/main/FileIcons.h"
#include "core/MbcsText.h"
#include <shellapi.h>

namespace {
// Types whose icon is the file's own even where no association says so.
const char* const kOwnIconTypes[] = {".exe", ".com", ".pif", ".scr", ".ico", ".cur", ".ani", ".lnk"};

bool HasKey(const std::string& key)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

std::string DefaultValue(const std::string& key)
{
    char szValue[MAX_PATH] = {};
    LONG cbValue = sizeof szValue;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), szValue, &cbValue) != ERROR_SUCCESS)
        return std::string();
    return szValue;
}

// True when files of the type can show icons of their own: the type is one of the
// known ones, or its class takes the icon from the file ("%1") or from a handler.
bool IconComesFromFile(const char* pszExtension)
{
    for (const char* pszType : kOwnIconTypes)
        if (mbcs::EqualNoCase(pszExtension, pszType))
            return true;
    if (!pszExtension[0])
        return false;
    const std::string fileClass = DefaultValue(pszExtension);
    if (fileClass.empty())
        return false;
    return HasKey(fileClass + "\\shellex\\IconHandler") ||
           DefaultValue(fileClass + "\\DefaultIcon").find("%1") != std::string::npos;
}
}

int CFileIcons::ImageFor(HIMAGELIST hImageList, const char* pszPath)
{
    // A path that cannot be read is asked for as it is (the shell then has none for it),
    // and so is a folder, which can carry an icon of its own; folder rows are rare.
    const DWORD dwAttributes = GetFileAttributesA(pszPath);
    if (dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        const char* pszExtension = mbcs::PathExtension(pszPath);
        auto found = m_typeImages.find(pszExtension);
        if (found == m_typeImages.end()) {
            int nImage = kAskPerFile;
            if (!IconComesFromFile(pszExtension))
                nImage = AskShell(hImageList, pszPath, FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES);
            // A shell that cannot answer by type is asked file by file.
            found = m_typeImages.emplace(pszExtension, nImage < 0 ? kAskPerFile : nImage).first;
        }
        if (found->second != kAskPerFile)
            return found->second;
    }
    return AskShell(hImageList, pszPath, 0, 0);
}

void CFileIcons::Clear()
{
    m_typeImages.clear();
}

// Appends the shell's small icon to the list (which keeps its own copy); -1 when there is none.
int CFileIcons::AskShell(HIMAGELIST hImageList, const char* pszPath, DWORD dwAttributes, UINT nFlags)
{
    SHFILEINFOA info = {};
    // The icon handle is only set when the call succeeds.
    if (!SHGetFileInfoA(pszPath, dwAttributes, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON | nFlags) ||
        !info.hIcon)
        return -1;
    const int nImage = ImageList_ReplaceIcon(hImageList, -1, info.hIcon);
    DestroyIcon(info.hIcon);
    return nImage;
}
