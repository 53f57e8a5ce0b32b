// SZDD expansion between byte streams: the decoder under LzCopy, usable on
// memory as well as on files. Memory use is fixed (the 4096-byte window and two
// bounded buffers) whatever the size of the data.
#pragma once
#include <cstddef>
#include <cstdint>

namespace lz {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Bytes read into pBuffer (0 at the end), or a negative value on error.
    virtual int64_t Read(uint8_t* pBuffer, size_t nBytes) = 0;
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Writes all bytes, or returns false.
    virtual bool Write(const uint8_t* pBuffer, size_t nBytes) = 0;
};

// Writes the expanded form of an SZDD stream to the sink; a stream that does
// not start with the SZDD signature is copied unchanged. Returns the number of
// bytes written, or a negative LZ_ERROR_ value: LZ_ERROR_READ when the source fails
// or ends before the header's expanded length is produced, LZ_ERROR_WRITE when the
// sink fails, LZ_ERROR_UNKNOWNALG for a compression mode other than 'A'.
int64_t ExpandStream(ByteSource& source, ByteSink& sink);

}  // namespace lz
