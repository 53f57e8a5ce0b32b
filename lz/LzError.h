// What the LZ service returns where a count of bytes would be: negative values,
// each one reason. Named apart from the system header's macros, so both can be included.
#pragma once
#include <cstdint>

enum : int32_t {
    LZ_ERROR_READ = -3,       // the source cannot be read, or its data ends early
    LZ_ERROR_WRITE = -4,      // the sink refused bytes (a full disk)
    LZ_ERROR_GLOBALLOC = -5,  // memory for the decoder could not be had
    LZ_ERROR_UNKNOWNALG = -8, // a compression method the service cannot expand
    // The data is malformed (a bad code table, invalid Deflate data, a bad header),
    // where LZ_ERROR_READ says it ends early.
    LZ_ERROR_CORRUPT = -9,
    // A cabinet that is not one compressed file: an archive of several files, or
    // one of a set that continues from or into another cabinet.
    LZ_ERROR_ARCHIVE = -10,
    LZ_ERROR_SPANNED = -11,
};
