// The one streaming entry of the LZ service: expands SZDD, its short-header
// variant and KWAJ, chosen by the first eight bytes, and copies anything else
// unchanged. Usable on memory as well as on files; a sink that only counts
// learns the expanded length without writing. Memory use is fixed (the rings,
// the code tables, the Deflate window and bounded buffers) whatever the size.
#pragma once
#include "lz/ByteStream.h"
#include "lz/LzError.h"

namespace lz {

// Writes the expanded form of the stream to the sink. Returns the number of bytes
// written, or a negative LZ_ERROR_ value: LZ_ERROR_READ when the source fails or the
// data ends early (before its header is whole, or before a recorded length is
// produced), LZ_ERROR_CORRUPT when it is malformed (a KWAJ header, code table or
// Deflate data), LZ_ERROR_WRITE when the sink fails, LZ_ERROR_UNKNOWNALG for an
// SZDD mode other than 'A' or a KWAJ method above 4. What was decoded before an
// error has been written.
int64_t ExpandStream(ByteSource& source, ByteSink& sink);

}  // namespace lz
