// The LZ expansion service: expands files in the public COMPRESS formats (SZDD,
// its short-header variant and KWAJ).
// Three calls, as the classic service has them: open (source or target),
// copy (writes the whole expanded form), close. Errors are negative values.
#pragma once
#include <cstdint>

namespace platform {
class File;
}

// The open-file record that an open fills in; laid out like the classic one (136 bytes).
struct LzOpenRecord {
    uint8_t cBytes;
    uint8_t fFixedDisk;
    uint16_t nErrCode;
    uint16_t Reserved1;
    uint16_t Reserved2;
    char szPathName[128];
};
static_assert(sizeof(LzOpenRecord) == 136, "the record keeps the classic size");

// Open styles
enum : uint16_t {
    LZ_OF_READ = 0x0000,
    LZ_OF_WRITE = 0x0001,
    LZ_OF_READWRITE = 0x0002,
    LZ_OF_CREATE = 0x1000,
};

// Errors (named apart from the system header's macros, so both can be included)
enum : int32_t {
    LZ_ERROR_BADINHANDLE = -1,
    LZ_ERROR_BADOUTHANDLE = -2,
    LZ_ERROR_READ = -3,
    LZ_ERROR_WRITE = -4,
    LZ_ERROR_GLOBALLOC = -5,
    LZ_ERROR_BADVALUE = -7,
    LZ_ERROR_UNKNOWNALG = -8,
    // Not a classic value: the data is malformed (a bad code table, invalid Deflate
    // data, a bad KWAJ header), where LZ_ERROR_READ says the data ends early.
    LZ_ERROR_CORRUPT = -9,
};

// Opens a source, or creates (empties) a target with LZ_OF_CREATE. A source is
// opened for reading only, whatever other style bits are given, so read-only
// files expand and a source is never written. Fills the record (nErrCode is 0
// on success). Returns a handle greater than 0, or LZ_ERROR_BADINHANDLE (source),
// LZ_ERROR_BADOUTHANDLE (target), LZ_ERROR_GLOBALLOC (too many open handles).
int32_t LzOpenFile(const char* pszPath, LzOpenRecord* pRecord, uint16_t wStyle);
// Writes the expanded form of the source into the target (a source in none of
// the formats is copied unchanged) and gives the target the source's last-write
// time. Everything is written when it returns. Returns the number of bytes
// written, or a negative error: LZ_ERROR_READ when the source cannot be read or
// its data ends before its recorded length, and also, as the classic service
// says it, when the data is malformed; LZ_ERROR_UNKNOWNALG for an unknown method.
// A handle is used by one thread at a time.
int64_t LzCopy(int32_t hSource, int32_t hTarget);
// LzCopy into a target that the caller opened for writing itself (a file it created
// exclusively, so that no other file is ever written); the target stays open.
// Malformed data is told apart here: LZ_ERROR_CORRUPT.
int64_t LzCopyTo(int32_t hSource, platform::File& target);
// Closes a handle from LzOpenFile.
void LzClose(int32_t hFile);
