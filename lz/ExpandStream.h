// The one streaming entry of the LZ service: expands SZDD, its short-header
// variant, KWAJ and a cabinet that holds one file, chosen by the first bytes, and
// copies anything else unchanged. Usable on memory as well as on files; a sink that
// only counts learns the expanded length without writing. Memory use is fixed (the
// rings, the code tables, the Deflate and LZX windows and bounded buffers) whatever
// the size.
#pragma once
#include "lz/ByteStream.h"
#include "lz/LzError.h"

namespace lz {

// Writes the expanded form of the stream to the sink. Returns the number of bytes
// written, or a negative LZ_ERROR_ value: LZ_ERROR_READ when the source fails or the
// data ends early (before its header is whole, or before a recorded length is
// produced), LZ_ERROR_CORRUPT when it is malformed (a KWAJ header, code table or
// Deflate data), LZ_ERROR_WRITE when the sink fails, LZ_ERROR_UNKNOWNALG for an
// SZDD mode other than 'A', a KWAJ method above 4 or a cabinet method above LZX,
// LZ_ERROR_ARCHIVE or LZ_ERROR_SPANNED for a cabinet that is not one whole file
// (a cabinet needs a source that can seek). What was decoded before an error has
// been written.
int64_t ExpandStream(ByteSource& source, ByteSink& sink);

}  // namespace lz
