// KWAJ files: the header, then the data in one of five methods.
#pragma once
#include "lz/ByteStream.h"

namespace lz {

// Expands a KWAJ file whose first byte is at the input's position. A file that
// records its expanded length must produce it; one that does not ends where its
// data ends. Returns the bytes written, or LZ_ERROR_READ (the file ends early),
// LZ_ERROR_CORRUPT (a malformed header or data), LZ_ERROR_UNKNOWNALG (a method
// above 4), LZ_ERROR_WRITE, LZ_ERROR_GLOBALLOC.
int64_t ExpandKwaj(Input& in, ByteSink& sink);

}  // namespace lz
