// The warning box through which every user error is shown.
#pragma once
#include <windows.h>
#include <string>

// Shows string nStringId of hInstance with the caption and the warning icon, owned by
// hWndOwner; returns when the user has closed the box.
void ShowWarning(HINSTANCE hInstance, UINT nStringId, LPCSTR pszCaption, HWND hWndOwner);
// Shows a text that the caller made (a string-table pattern filled in) as ShowWarning does.
void ShowWarningText(const std::string& strText, LPCSTR pszCaption, HWND hWndOwner);
