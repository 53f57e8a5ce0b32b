// The warning box through which every user error is shown.
#pragma once
#include <windows.h>

// Shows string nStringId of hInstance with the caption and the warning icon, owned by
// hWndOwner; returns when the user has closed the box.
void ShowWarning(HINSTANCE hInstance, UINT nStringId, LPCSTR pszCaption, HWND hWndOwner);
