// Strings from the program's string table, in the language of its resources.
#pragma once
#include <windows.h>
#include <initializer_list>
#include <string>

// The string with the id, in the ANSI code page, or the empty text when there is none.
// Strings longer than nMaxBytes - 1 bytes are cut, never inside a double-byte character.
std::string LoadResString(HINSTANCE hInstance, UINT nID, int nMaxBytes = 1024);
std::string LoadResString(UINT nID, int nMaxBytes = 1024);

// The pattern with %1 to %9 replaced by the texts and %% by %: texts that a program
// builds from numbers and names keep their words and order in the string table.
std::string FormatText(const std::string& strPattern, std::initializer_list<std::string> texts);
