#include "core/MbcsText.h"
#include "platform/Dbcs.h"
#include "platform/PathStyle.h"

#include <cstring>

namespace mbcs {

namespace {

// Steps to the next character; a lead byte followed by the terminating NUL counts alone.
const char* Next(const char* p) {
    if (platform::IsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') return p + 2;
    return p + 1;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

const char* FindLast(const char* psz, char c) {
    const char* pFound = nullptr;
    for (const char* p = psz; *p; p = Next(p))
        if (*p == c) pFound = p;
    return pFound;
}

const char* FindLastSeparator(const char* psz) {
    const char* pFound = nullptr;
    for (const char* p = psz; *p; p = Next(p))
        if (platform::IsSeparator(*p)) pFound = p;
    return pFound;
}

bool EqualNoCase(const char* pszA, const char* pszB) {
    const char* a = pszA;
    const char* b = pszB;
    while (*a && *b) {
        bool bLead = platform::IsLeadByte(static_cast<unsigned char>(*a));
        if (bLead != platform::IsLeadByte(static_cast<unsigned char>(*b))) return false;
        if (bLead) {
            if (a[0] != b[0] || a[1] != b[1]) return false;
            if (a[1] == '\0') return true;
            a += 2;
            b += 2;
        } else {
            if (FoldAscii(*a) != FoldAscii(*b)) return false;
            ++a;
            ++b;
        }
    }
    return *a == *b;
}

bool SameFileName(const char* pszA, const char* pszB) {
    return platform::NamesIgnoreCase() ? EqualNoCase(pszA, pszB) : std::strcmp(pszA, pszB) == 0;
}

bool StartsWithNoCase(const char* psz, const char* pszPrefix) {
    const char* p = psz;
    for (const char* q = pszPrefix; *q;) {
        const char* qNext = Next(q);
        // A lead byte is never a letter, so equal bytes keep both texts on character bounds.
        if (qNext - q == 2) {
            if (p[0] != q[0] || p[1] != q[1]) return false;
        } else if (FoldAscii(*p) != FoldAscii(*q)) {
            return false;
        }
        p += qNext - q;
        q = qNext;
    }
    return true;
}

const char* PathExtension(const char* pszPath) {
    const char* p = pszPath;
    if (p[0] != '\0' && p[1] == ':') p += 2;
    const char* pSep = FindLastSeparator(p);
    const char* pName = pSep ? pSep + 1 : p;
    const char* pDot = FindLast(pName, '.');
    return pDot ? pDot : pName + std::strlen(pName);
}

}  // namespace mbcs
