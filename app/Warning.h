// The warning box through which every user error is shown.
#pragma once
#include <windows.h>

// Shows string nStringId of hInstance with the caption and the warning icon, owned by
// hWndOwner; returns when the user has closed the box.
void ShowWarning(HINSTANCE hInstance, UINT nStringId, LPCSTR pszCaption, HWND hWndOwner);
// Shows that the file at pszPath is a cabinet of nMembers files, which only the
// command-line tool extracts (string IDS_ARCHIVE_REFUSED with the file's name and
// the number), as ShowWarning does.
void ShowArchiveWarning(HINSTANCE hInstance, const char* pszPath, size_t nMembers, LPCSTR pszCaption, HWND hWndOwner);
