#include "framework/Warning.h"

void ShowWarning(HINSTANCE hInstance, UINT nStringId, LPCSTR pszCaption, HWND hWndOwner)
{
    // Longer strings are cut to 499 bytes by LoadStringA.
    char szText[500] = {};
    LoadStringA(hInstance, nStringId, szText, sizeof szText);
    MessageBoxA(hWndOwner, szText, pszCaption, MB_ICONWARNING);
}
