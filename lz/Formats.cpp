#include "lz/Formats.h"

#include <cstring>

namespace lz {

namespace {

const uint8_t kSzddSignature[kSignatureSize] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
const uint8_t kShortSignature[kSignatureSize] = {'S', 'Z', ' ', 0x88, 0xF0, 0x27, 0x33, 0xD1};
const uint8_t kKwajSignature[kSignatureSize] = {'K', 'W', 'A', 'J', 0x88, 0xF0, 0x27, 0xD1};
// A cabinet's signature is four bytes; whether the header behind it is sound is the
// cabinet reader's to judge.
const uint8_t kCabinetSignature[4] = {'M', 'S', 'C', 'F'};

}  // namespace

Format DetectFormat(const uint8_t* p, size_t nSize) {
    if (nSize < kSignatureSize) return Format::kPlain;
    if (std::memcmp(p, kSzddSignature, kSignatureSize) == 0) return Format::kSzdd;
    if (std::memcmp(p, kShortSignature, kSignatureSize) == 0) return Format::kShortSzdd;
    if (std::memcmp(p, kKwajSignature, kSignatureSize) == 0) return Format::kKwaj;
    if (std::memcmp(p, kCabinetSignature, sizeof kCabinetSignature) == 0) return Format::kCabinet;
    return Format::kPlain;
}

}  // namespace lz
