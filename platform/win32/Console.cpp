#include "platform/Console.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

namespace platform {

namespace {

std::atomic<bool> g_bInterrupted{false};

// Runs on a thread of its own, while the main thread may be writing a file: it only
// asks the work to stop, and leaves the files to the main thread.
BOOL CALLBACK OnConsoleEvent(DWORD dwEvent) {
    switch (dwEvent) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        // The second: the user will not wait, and the system ends the program.
        return g_bInterrupted.exchange(true) ? FALSE : TRUE;
    case CTRL_CLOSE_EVENT:
        // The system ends the program once this returns: the main thread drops its
        // unfinished file and ends it first, well within the seconds the system grants.
        g_bInterrupted = true;
        Sleep(3000);
        return FALSE;
    }
    return FALSE;
}

}  // namespace

void StopOnInterrupt() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

bool Interrupted() { return g_bInterrupted.load(); }

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
    if (Interrupted()) {
        SetLastError(ERROR_OPERATION_ABORTED);
        return false;
    }
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
