#include "core/HeaderName.h"

#include <cstring>
#include <string>

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

namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// A name Windows takes for a device, whatever extension follows it.
bool IsDeviceName(const char* psz) {
    std::string strStem;
    for (const char* p = psz; *p && *p != '.'; ++p) strStem += Upper(*p);
    while (!strStem.empty() && strStem.back() == ' ') strStem.pop_back();
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$"};
    for (const char* pszDevice : kDevices)
        if (strStem == pszDevice) return true;
    return strStem.size() == 4 && (strStem.compare(0, 3, "COM") == 0 || strStem.compare(0, 3, "LPT") == 0) &&
           strStem[3] >= '0' && strStem[3] <= '9';
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
