// The program's dialog templates, menus and strings in the language that the
// application chose. Windows 95 takes the language of every resource it loads by
// itself from its own build, and newer systems from the user's interface language;
// so each resource is looked up here by language, and in any language only when the
// chosen one has none of it.
#pragma once
#include <windows.h>

// The language of the resources looked up below; 0, the default, leaves the choice
// to the system.
void SetResourceLanguage(LANGID wLanguage);
LANGID ResourceLanguage();

// The data of the resource, or null when the module has none in any language.
const void* FindResourceData(HINSTANCE hInstance, LPCSTR pszType, UINT nID, DWORD* pcbSize = nullptr);

// The menu, to be destroyed by the caller; null when there is none.
HMENU LoadResMenu(UINT nID);

// The menu id that a dialog template names by number; 0 when it names none.
UINT DialogTemplateMenu(const void* pTemplate);
