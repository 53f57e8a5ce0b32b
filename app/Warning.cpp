#include "app/Warning.h"
#include "core/MbcsText.h"
#include "resource.h"

#include <cstdio>

void ShowWarning(HINSTANCE hInstance, UINT nStringId, LPCSTR pszCaption, HWND hWndOwner)
{
    // Longer strings are cut to 499 bytes by LoadStringA.
    char szText[500] = {};
    LoadStringA(hInstance, nStringId, szText, sizeof szText);
    MessageBoxA(hWndOwner, szText, pszCaption, MB_ICONWARNING);
}

void ShowArchiveWarning(HINSTANCE hInstance, const char* pszPath, size_t nMembers, LPCSTR pszCaption, HWND hWndOwner)
{
    char szFormat[500] = {};
    LoadStringA(hInstance, IDS_ARCHIVE_REFUSED, szFormat, sizeof szFormat);
    const char* pszSeparator = mbcs::FindLastSeparator(pszPath);
    char szText[1024] = {};
    std::snprintf(szText, sizeof szText, szFormat, pszSeparator ? pszSeparator + 1 : pszPath,
                  static_cast<unsigned>(nMembers));
    MessageBoxA(hWndOwner, szText, pszCaption, MB_ICONWARNING);
}
