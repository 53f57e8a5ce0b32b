// The LZSS ring data of SZDD files, of the short-header variant and of KWAJ
// method 2: one decoder, told where the ring is first written.
#pragma once
#include "lz/ByteStream.h"

namespace lz {

constexpr uint32_t kSzddRingStart = 4096 - 16;
constexpr uint32_t kShortRingStart = 4096 - 18;

// Expands the data at the input's position. With a known nLength, exactly that
// many bytes or LZ_ERROR_READ when the data ends first; with kLengthUnknown,
// everything up to the end of the data (an item cut off there is dropped).
// Returns the bytes written, or LZ_ERROR_READ / LZ_ERROR_WRITE / LZ_ERROR_GLOBALLOC.
int64_t ExpandLzss(Input& in, ByteSink& sink, uint32_t nRingStart, uint64_t nLength);

}  // namespace lz
