// KWAJ method 4: blocks of raw Deflate, each block a whole Deflate stream that
// has the blocks before it as history; a block of length 0 ends the data.
#pragma once
#include "lz/ByteStream.h"

namespace lz {

// Expands the blocks at the input's position up to and with the final empty
// block. A block without "CK", or Deflate data that is invalid or runs past its
// block, is LZ_ERROR_CORRUPT; data that ends before the final empty block, or
// output shorter than a known nLength (longer output is cut at it), LZ_ERROR_READ.
int64_t ExpandKwajDeflate(Input& in, ByteSink& sink, uint64_t nLength);

}  // namespace lz
