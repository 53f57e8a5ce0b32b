// Decoding a whole file into a sink of zorvane-expand's own: standard output for
// -c, nothing at all for -l. Either way the bytes produced are counted, for the
// progress line.
#pragma once
#include "lz/ExpandStream.h"

#include <atomic>
#include <cstdint>

// Writes to standard output, or only counts.
class CCountingSink : public lz::ByteSink {
public:
    explicit CCountingSink(bool bToStdout) : m_bToStdout(bToStdout) {}
    bool ToStdout() const { return m_bToStdout; }
    bool Write(const uint8_t* pBuffer, size_t nBytes) override;
    uint64_t Count() const { return m_nCount.load(std::memory_order_relaxed); }
    // Why the last write failed, as platform::LastError gave it.
    int WriteError() const { return m_nError; }

private:
    bool m_bToStdout;
    int m_nError = 0;
    std::atomic<uint64_t> m_nCount{0};
};

struct DecodeResult {
    int64_t nResult;   // bytes written, or a negative LZ_ERROR_ value
    bool bReadFailed;  // the file itself could not be read
    bool bCompressed;  // the file is in one of the compressed formats
    bool bInputIsOutput = false;  // standard output writes to the file: nothing was decoded
};

// Decodes the file at pszPath into the sink through the LZ service's stream
// entry; false when the file cannot be opened. A file that standard output writes
// to is never decoded into it.
bool DecodeFile(const char* pszPath, CCountingSink& sink, DecodeResult* pResult);
