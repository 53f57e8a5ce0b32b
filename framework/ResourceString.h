// Strings from the program's string table.
#pragma once
#include <windows.h>
#include <string>

// The string with the id, or the empty text when there is none. Strings longer
// than nMaxBytes - 1 bytes are cut, as LoadStringA cuts them.
std::string LoadResString(UINT nID, int nMaxBytes = 1024);
