#include "lz/KwajHeader.h"
#include "lz/Formats.h"
#include "lz/LzError.h"

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
KwajHeaderFault ReadText(const uint8_t*& p, const uint8_t* pEnd, size_t nMax, char* psz) {
    for (size_t i = 0; i < nMax; ++i) {
        if (p + i >= pEnd) return KwajHeaderFault::kFieldsCut;
        psz[i] = static_cast<char>(p[i]);
        if (p[i] == 0) {
            p += i + 1;
            return KwajHeaderFault::kNone;
        }
    }
    return KwajHeaderFault::kMalformed;
}

bool Skip(const uint8_t*& p, const uint8_t* pEnd, size_t n) {
    if (static_cast<size_t>(pEnd - p) < n) return false;
    p += n;
    return true;
}

bool SkipCounted(const uint8_t*& p, const uint8_t* pEnd) {
    return Skip(p, pEnd, 2) && Skip(p, pEnd, ReadLe16(p - 2));
}

KwajHeaderFault ReadFields(const uint8_t* q, const uint8_t* pEnd, uint16_t nFlags, KwajHeader* pHeader) {
    if (nFlags & kHasLength) {
        if (!Skip(q, pEnd, 4)) return KwajHeaderFault::kFieldsCut;
        pHeader->bHasLength = true;
        pHeader->nLength = ReadLe32(q - 4);
    }
    if ((nFlags & kHasUnknown2) && !Skip(q, pEnd, 2)) return KwajHeaderFault::kFieldsCut;
    if ((nFlags & kHasUnknownN) && !SkipCounted(q, pEnd)) return KwajHeaderFault::kFieldsCut;
    KwajHeaderFault eFault = KwajHeaderFault::kNone;
    if (nFlags & kHasName) eFault = ReadText(q, pEnd, sizeof pHeader->szName, pHeader->szName);
    if (eFault == KwajHeaderFault::kNone && (nFlags & kHasExt))
        eFault = ReadText(q, pEnd, sizeof pHeader->szExt, pHeader->szExt);
    if (eFault == KwajHeaderFault::kNone && (nFlags & kHasText) && !SkipCounted(q, pEnd))
        eFault = KwajHeaderFault::kFieldsCut;
    return eFault;
}

}  // namespace

KwajHeaderFault ParseKwajHeader(const uint8_t* p, size_t nSize, KwajHeader* pHeader) {
    *pHeader = KwajHeader();
    if (nSize < kKwajFixedSize) return KwajHeaderFault::kShort;
    pHeader->nMethod = ReadLe16(p + 8);
    pHeader->nDataOffset = ReadLe16(p + 10);
    if (pHeader->nDataOffset < kKwajFixedSize) return KwajHeaderFault::kMalformed;
    KwajHeaderFault eFault = ReadFields(p + kKwajFixedSize, p + nSize, ReadLe16(p + 12), pHeader);
    if (eFault == KwajHeaderFault::kNone && pHeader->nDataOffset > nSize) return KwajHeaderFault::kShort;
    return eFault;
}

int32_t KwajHeaderError(KwajHeaderFault eFault) {
    return eFault == KwajHeaderFault::kShort ? int32_t{LZ_ERROR_READ} : int32_t{LZ_ERROR_CORRUPT};
}

}  // namespace lz
