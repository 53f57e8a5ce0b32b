// The compressed formats, told apart by their first bytes.
#pragma once
#include <cstddef>
#include <cstdint>

namespace lz {

enum class Format {
    kPlain,      // none of the signatures: copied unchanged
    kSzdd,       // header of 14 bytes, length at offset 10
    kShortSzdd,  // the variant: header of 12 bytes, length at offset 8
    kKwaj,       // header with optional fields, five methods
    kCabinet,    // "MSCF": the members of a cabinet, read by libmspack
};

constexpr size_t kSignatureSize = 8;
constexpr size_t kSzddHeaderSize = 14;
constexpr size_t kShortHeaderSize = 12;

// The format of a file whose first nSize bytes (or fewer, for a short file) are at p.
Format DetectFormat(const uint8_t* p, size_t nSize);

inline uint32_t ReadLe32(const uint8_t* p) {
    return p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace lz
