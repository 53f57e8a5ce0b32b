// Data stored as it is, or with every byte XORed with a constant: files without
// a signature and KWAJ methods 0 and 1.
#pragma once
#include "lz/ByteStream.h"

namespace lz {

// Copies the data at the input's position, each byte XORed with nXor. With a known
// nLength, exactly that many bytes or LZ_ERROR_READ when the data ends first; with
// kLengthUnknown, all of it. Returns the bytes written or a negative LZ_ERROR_ value.
int64_t CopyStored(Input& in, ByteSink& sink, uint64_t nLength, uint8_t nXor);

}  // namespace lz
