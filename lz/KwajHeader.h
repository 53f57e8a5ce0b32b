// The KWAJ header: method, data offset and the optional fields that the flags announce.
#pragma once
#include <cstddef>
#include <cstdint>

namespace lz {

constexpr size_t kKwajFixedSize = 14;

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

// The data offset of a header whose first kKwajFixedSize bytes are at p.
inline size_t KwajDataOffset(const uint8_t* p) { return p[10] | (p[11] << 8); }

// Reads the header from the first nSize bytes of the file (all of them when the
// file is shorter than the data offset). False when the file is corrupt: too short
// for the fixed part, a data offset inside the fixed part or past the end of the
// file, or optional fields that run past the data offset. The method is not judged.
bool ParseKwajHeader(const uint8_t* p, size_t nSize, KwajHeader* pHeader);

}  // namespace lz
