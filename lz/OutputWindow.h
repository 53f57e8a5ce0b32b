// The output side of the ring decoders: the last 4096 bytes stay in front of the
// bytes not yet written, so a match is a plain copy from behind the write
// position, and the sink gets large blocks. The history starts as spaces, as
// the formats' rings do.
#pragma once
#include "lz/ByteStream.h"

namespace lz {

class OutputWindow {
public:
    static constexpr size_t kHistory = 4096;
    static constexpr size_t kBlock = 128 * 1024;
    // Room beyond the flush mark for the longest step a decoder takes without a
    // check (eight SZDD matches), plus the over-copy of a match loop.
    static constexpr size_t kSlack = 8 * 18 + 32;
    static constexpr size_t kBufferSize = kHistory + kBlock + kSlack;

    // pBuffer holds kBufferSize bytes; nLength is the expanded length, or kLengthUnknown.
    OutputWindow(ByteSink& sink, uint8_t* pBuffer, uint64_t nLength)
        : m_sink(sink), m_p(pBuffer), m_nLeft(nLength) {
        std::memset(m_p, ' ', kHistory);
    }

    uint8_t* Start() const { return m_p + kHistory; }
    uint8_t* FlushMark() const { return m_p + kHistory + kBlock; }
    // Bytes still to be produced at op; kLengthUnknown stays far above any count.
    uint64_t LeftAt(const uint8_t* op) const { return m_nLeft - static_cast<uint64_t>(op - Start()); }
    bool Done(const uint8_t* op) const { return m_nLeft <= static_cast<uint64_t>(op - Start()); }
    bool Bounded() const { return m_bBounded; }
    int64_t Written() const { return m_nWritten; }

    // Writes what was produced up to op (never beyond the expanded length), keeps
    // the history and moves op back to Start(). False when the sink fails.
    bool Flush(uint8_t*& op) {
        size_t nProduced = static_cast<size_t>(op - Start());
        size_t nOut = nProduced < m_nLeft ? nProduced : static_cast<size_t>(m_nLeft);
        if (nOut > 0 && !m_sink.Write(Start(), nOut)) return false;
        m_nLeft -= nOut;
        m_nWritten += static_cast<int64_t>(nOut);
        std::memmove(m_p, op - kHistory, kHistory);
        op = Start();
        return true;
    }

    // Copies a match of nLen (at most 18) bytes from nDist (1..4096) bytes behind op,
    // byte by byte in effect, so that it may repeat its own output. Writes up to
    // 24 bytes, within the slack.
    static void CopyMatch(uint8_t* op, size_t nDist, size_t nLen) {
        const uint8_t* src = op - nDist;
        if (nDist >= 8) {
            // Each 8-byte step reads only bytes already in place.
            std::memcpy(op, src, 8);
            std::memcpy(op + 8, src + 8, 8);
            std::memcpy(op + 16, src + 16, 8);
        } else {
            for (size_t i = 0; i < nLen; ++i) op[i] = src[i];
        }
    }

private:
    ByteSink& m_sink;
    uint8_t* m_p;
    uint64_t m_nLeft;
    bool m_bBounded = m_nLeft != kLengthUnknown;
    int64_t m_nWritten = 0;
};

}  // namespace lz
