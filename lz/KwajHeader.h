// The KWAJ header: method, data offset and the optional fields that the flags announce.
#pragma once
#include <cstddef>
#include <cstdint>

namespace lz {

constexpr size_t kKwajFixedSize = 14;
// The longest header a file can have: every optional field at its longest.
constexpr size_t kKwajMaxHeader = kKwajFixedSize + 4 + 2 + (2 + 0xFFFF) + 9 + 4 + (2 + 0xFFFF);

enum KwajMethod : uint16_t {
    kKwajStored = 0,
    kKwajXor = 1,
    kKwajLzss = 2,
    kKwajLzh = 3,
    kKwajDeflate = 4,
};

struct KwajHeader {
    uint16_t nMethod = 0;
    uint16_t nDataOffset = 0;
    bool bHasLength = false;
    uint32_t nLength = 0;
    char szName[9] = {};  // the original name without extension, as stored ("" when absent)
    char szExt[4] = {};   // the original extension, as stored ("" when absent)
};

enum class KwajHeaderFault {
    kNone,
    kShort,      // the file ends inside the fixed part or before the data offset
    kFieldsCut,  // an optional field runs past the bytes given
    kMalformed,  // a data offset inside the fixed part, a name or extension without its NUL
};

// The data offset of a header whose first kKwajFixedSize bytes are at p.
inline size_t KwajDataOffset(const uint8_t* p) { return p[10] | (p[11] << 8); }

// Reads the header from the first nSize bytes of the file. The optional fields are
// read as written, in order after the fixed part, whatever the data offset says
// (files exist whose offset points into them), and must end within the nSize bytes:
// pass the whole file, or at least the data offset and kKwajMaxHeader bytes of a
// longer one. The method is not judged.
KwajHeaderFault ParseKwajHeader(const uint8_t* p, size_t nSize, KwajHeader* pHeader);

// The LZ service's error for a header fault: LZ_ERROR_READ when the file ends
// early, LZ_ERROR_CORRUPT when the header is wrong.
int32_t KwajHeaderError(KwajHeaderFault eFault);

}  // namespace lz
