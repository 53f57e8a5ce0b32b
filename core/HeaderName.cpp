#include "core/HeaderName.h"
#include "platform/Dbcs.h"

#include <cstring>

bool IsSafeHeaderName(const char* psz) {
    const size_t nLen = std::strlen(psz);
    if (nLen == 0 || psz[nLen - 1] == ' ') return false;
    for (const char* p = psz; *p; ++p) {
        // Byte by byte, not character by character: a 0x5C second byte is a '\' to
        // a reader that does not know the code page.
        const auto c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == 0x7F || std::strchr("/\\:*?\"<>|.", c)) return false;
    }
    return true;
}

void LowerHeaderName(char* psz) {
    for (char* p = psz; *p; ++p) {
        if (platform::IsHeaderLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0')
            ++p;
        else if (*p >= 'A' && *p <= 'Z')
            *p = static_cast<char>(*p - 'A' + 'a');
    }
}

namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// A name Windows takes for a device, whatever extension follows it.
bool IsDeviceName(const char* psz) {
    char szStem[8] = {};
    size_t nLen = 0;
    for (const char* p = psz; *p && *p != '.'; ++p) {
        if (nLen == sizeof szStem - 1) return false;
        szStem[nLen++] = Upper(*p);
    }
    while (nLen > 0 && szStem[nLen - 1] == ' ') szStem[--nLen] = '\0';
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$"};
    for (const char* pszDevice : kDevices)
        if (std::strcmp(szStem, pszDevice) == 0) return true;
    return nLen == 4 && (std::strncmp(szStem, "COM", 3) == 0 || std::strncmp(szStem, "LPT", 3) == 0) &&
           szStem[3] >= '0' && szStem[3] <= '9';
}

}  // namespace

bool IsSafeMemberName(const char* psz) {
    const size_t nLen = std::strlen(psz);
    if (nLen == 0 || psz[nLen - 1] == ' ' || psz[nLen - 1] == '.' || IsDeviceName(psz)) return false;
    for (const char* p = psz; *p; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == 0x7F || std::strchr("/\\:*?\"<>|", c)) return false;
    }
    return true;
}
