#include "lz/KwajHeader.h"
#include "lz/Formats.h"

#include <cstring>

namespace lz {

namespace {

enum : uint16_t {
    kHasLength = 1 << 0,
    kHasUnknown2 = 1 << 1,
    kHasUnknownN = 1 << 2,
    kHasName = 1 << 3,
    kHasExt = 1 << 4,
    kHasText = 1 << 5,
};

// A NUL-terminated text of at most nMax bytes with its NUL, copied to psz.
bool ReadText(const uint8_t*& p, const uint8_t* pEnd, size_t nMax, char* psz) {
    for (size_t i = 0; i < nMax; ++i) {
        if (p + i >= pEnd) return false;
        psz[i] = static_cast<char>(p[i]);
        if (p[i] == 0) {
            p += i + 1;
            return true;
        }
    }
    return false;
}

bool SkipCounted(const uint8_t*& p, const uint8_t* pEnd) {
    if (pEnd - p < 2) return false;
    size_t n = ReadLe16(p);
    if (static_cast<size_t>(pEnd - p) - 2 < n) return false;
    p += 2 + n;
    return true;
}

}  // namespace

bool ParseKwajHeader(const uint8_t* p, size_t nSize, KwajHeader* pHeader) {
    *pHeader = KwajHeader();
    if (nSize < kKwajFixedSize) return false;
    pHeader->nMethod = ReadLe16(p + 8);
    pHeader->nDataOffset = ReadLe16(p + 10);
    const uint16_t nFlags = ReadLe16(p + 12);
    if (pHeader->nDataOffset < kKwajFixedSize || pHeader->nDataOffset > nSize) return false;

    // Every field lies between the fixed part and the data.
    const uint8_t* q = p + kKwajFixedSize;
    const uint8_t* const pEnd = p + pHeader->nDataOffset;
    if (nFlags & kHasLength) {
        if (pEnd - q < 4) return false;
        pHeader->bHasLength = true;
        pHeader->nLength = ReadLe32(q);
        q += 4;
    }
    if (nFlags & kHasUnknown2) {
        if (pEnd - q < 2) return false;
        q += 2;
    }
    if ((nFlags & kHasUnknownN) && !SkipCounted(q, pEnd)) return false;
    if ((nFlags & kHasName) && !ReadText(q, pEnd, sizeof pHeader->szName, pHeader->szName)) return false;
    if ((nFlags & kHasExt) && !ReadText(q, pEnd, sizeof pHeader->szExt, pHeader->szExt)) return false;
    if ((nFlags & kHasText) && !SkipCounted(q, pEnd)) return false;
    return true;
}

}  // namespace lz
