#include "platform/Console.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace platform {

bool IsTerminal(StandardStream eStream) {
    return ::isatty(eStream == StandardStream::kOutput ? STDOUT_FILENO : STDERR_FILENO) != 0;
}

bool HasDosCommandLine() { return false; }

// A terminal erases to the end of the line by itself.
void WipeErrorLine(size_t) {
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
}

bool WriteStandardOutput(const void* pBuffer, size_t nBytes) {
    const char* p = static_cast<const char*>(pBuffer);
    while (nBytes > 0) {
        ssize_t n = ::write(STDOUT_FILENO, p, nBytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        p += n;
        nBytes -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace platform
