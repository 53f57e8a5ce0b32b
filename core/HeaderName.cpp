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
