// KWAJ method 3: LZ over a 4096-byte ring with five canonical Huffman codes
// (match lengths twice, literal run lengths, upper offset bits, literals).
#pragma once
#include "lz/ByteStream.h"

namespace lz {

// Expands the data at the input's position. The code tables must be complete in
// the input and form prefix codes (lengths 0..16, not over-subscribed); a bit
// pattern that is no code where a full code fits is corrupt (LZ_ERROR_CORRUPT). The
// data ends where the input ends: an item cut off there is dropped. With a known
// nLength exactly that many bytes are written, or LZ_ERROR_READ when the data ends first.
int64_t ExpandKwajLzh(Input& in, ByteSink& sink, uint64_t nLength);

}  // namespace lz
