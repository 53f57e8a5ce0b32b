#include "framework/Warning.h"
#include "framework/ResourceString.h"

void ShowWarning(HINSTANCE hInstance, UINT nStringId, LPCSTR pszCaption, HWND hWndOwner)
{
    // Longer strings are cut to 499 bytes.
    const std::string text = LoadResString(hInstance, nStringId, 500);
    MessageBoxA(hWndOwner, text.c_str(), pszCaption, MB_ICONWARNING);
}

void ShowWarningText(const std::string& strText, LPCSTR pszCaption, HWND hWndOwner)
{
    MessageBoxA(hWndOwner, strText.c_str(), pszCaption, MB_ICONWARNING);
}
