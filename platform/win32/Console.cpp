#include "platform/Console.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace platform {

bool IsTerminal(StandardStream eStream) {
    HANDLE h = GetStdHandle(eStream == StandardStream::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD dwMode;
    // Only a console has a mode; the NUL device is a character device too, but none.
    return h != INVALID_HANDLE_VALUE && h != nullptr && GetConsoleMode(h, &dwMode);
}

bool HasDosCommandLine() { return true; }

// Consoles before Windows 10 show escape sequences as they are: blanks wipe the line.
void WipeErrorLine(size_t nColumns) {
    std::fputs(("\r" + std::string(nColumns, ' ') + "\r").c_str(), stderr);
    std::fflush(stderr);
}

bool WriteStandardOutput(const void* pBuffer, size_t nBytes) {
    HANDLE h = GetStdHandle(STD_OUTPUT_HANDLE);
    const char* p = static_cast<const char*>(pBuffer);
    while (nBytes > 0) {
        DWORD dwWant = nBytes > (1u << 30) ? (1u << 30) : static_cast<DWORD>(nBytes);
        DWORD dwDone = 0;
        if (!WriteFile(h, p, dwWant, &dwDone, nullptr)) return false;
        if (dwDone == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        p += dwDone;
        nBytes -= dwDone;
    }
    return true;
}

}  // namespace platform
