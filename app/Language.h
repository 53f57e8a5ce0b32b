// The interface's language, chosen once at start: Japanese where the system's ANSI
// code page can show it, English everywhere else.
#pragma once
#include <windows.h>

class CWinApp;

const LANGID kLanguageJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
const LANGID kLanguageEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The language for a system whose ANSI code page is nCodePage.
LANGID InterfaceLanguage(UINT nCodePage);

// Makes the dialogs, menus, strings and the help file those of the language.
void UseInterfaceLanguage(CWinApp& app, LANGID wLanguage);
