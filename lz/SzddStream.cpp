#include "lz/SzddStream.h"
#include "lz/LzExpand.h"

#include <cstring>
#include <memory>
#include <new>

namespace lz {

namespace {

constexpr size_t kWindow = 4096;
constexpr uint32_t kStartPos = 4080;
constexpr size_t kHeaderSize = 14;
constexpr size_t kInCap = 64 * 1024;
constexpr size_t kOutCap = 128 * 1024;
// Room for one group of eight longest matches beyond the flush mark, plus the
// over-copy of the match loop.
constexpr size_t kOutSlack = 8 * 18 + 32;
// The longest group: a control byte and eight matches.
constexpr size_t kMaxGroup = 1 + 8 * 2;

const uint8_t kSignature[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};

// Input buffer with refill; unread bytes are kept when it is topped up.
class Input {
public:
    explicit Input(ByteSource& source, uint8_t* pBuffer) : m_source(source), m_p(pBuffer) {}

    size_t Available() const { return m_nEnd - m_nPos; }
    const uint8_t* Data() const { return m_p + m_nPos; }
    void Skip(size_t n) { m_nPos += n; }
    bool Failed() const { return m_bFailed; }

    // Tops the buffer up to at least nWant bytes, unless the source ends first.
    void Fill(size_t nWant) {
        if (Available() >= nWant || m_bEnded) return;
        std::memmove(m_p, m_p + m_nPos, Available());
        m_nEnd -= m_nPos;
        m_nPos = 0;
        while (m_nEnd < nWant && !m_bEnded) {
            int64_t n = m_source.Read(m_p + m_nEnd, kInCap - m_nEnd);
            if (n < 0) m_bFailed = true;
            if (n <= 0)
                m_bEnded = true;
            else
                m_nEnd += static_cast<size_t>(n);
        }
    }

private:
    ByteSource& m_source;
    uint8_t* m_p;
    size_t m_nPos = 0;
    size_t m_nEnd = 0;
    bool m_bEnded = false;
    bool m_bFailed = false;
};

int64_t CopyUnchanged(Input& in, ByteSink& sink) {
    int64_t nTotal = 0;
    for (;;) {
        in.Fill(kInCap);
        if (in.Failed()) return LZ_ERROR_READ;
        size_t n = in.Available();
        if (n == 0) return nTotal;
        if (!sink.Write(in.Data(), n)) return LZ_ERROR_WRITE;
        in.Skip(n);
        nTotal += static_cast<int64_t>(n);
    }
}

// The decoder proper. The output buffer keeps the last kWindow bytes in front of
// the bytes not yet written, so a match is a plain copy from behind the write
// position: the ring offset in the stream only tells how far back.
class Decoder {
public:
    Decoder(Input& in, ByteSink& sink, uint8_t* pOut, uint32_t nLength)
        : m_in(in), m_sink(sink), m_pOut(pOut), m_nLeft(nLength) {
        std::memset(m_pOut, ' ', kWindow);
    }

    int64_t Run();

private:
    // Distance back from the write position to ring position nOffset.
    size_t Distance(uint8_t* pOp, uint32_t nOffset) const {
        uint32_t nRing = m_nRingBase + static_cast<uint32_t>(pOp - m_pOut);
        uint32_t nDist = (nRing - nOffset) & (kWindow - 1);
        return nDist == 0 ? kWindow : nDist;
    }
    bool SlowGroup(uint8_t*& op);
    void FastGroups(uint8_t*& op, uint8_t* pFlushMark);

    Input& m_in;
    ByteSink& m_sink;
    uint8_t* m_pOut;
    uint64_t m_nLeft;          // bytes still to be written to the sink
    uint32_t m_nRingBase = kStartPos;  // ring position of m_pOut[0], modulo the window
    int64_t m_nWritten = 0;
};

int64_t Decoder::Run() {
    uint8_t* op = m_pOut + kWindow;
    uint8_t* const pFlushMark = m_pOut + kWindow + kOutCap;
    // Writes what was produced (never beyond the expanded length) and keeps the window.
    auto flush = [&]() -> bool {
        size_t nProduced = static_cast<size_t>(op - (m_pOut + kWindow));
        size_t nOut = nProduced < m_nLeft ? nProduced : static_cast<size_t>(m_nLeft);
        if (nOut > 0 && !m_sink.Write(m_pOut + kWindow, nOut)) return false;
        m_nLeft -= nOut;
        m_nWritten += static_cast<int64_t>(nOut);
        std::memmove(m_pOut, op - kWindow, kWindow);
        m_nRingBase = (m_nRingBase + static_cast<uint32_t>(nProduced)) & (kWindow - 1);
        op = m_pOut + kWindow;
        return true;
    };
    bool bCorrupt = false;
    while (m_nLeft > static_cast<uint64_t>(op - (m_pOut + kWindow))) {
        if (op >= pFlushMark && !flush()) return LZ_ERROR_WRITE;
        m_in.Fill(kMaxGroup);
        FastGroups(op, pFlushMark);
        if (op >= pFlushMark || m_nLeft <= static_cast<uint64_t>(op - (m_pOut + kWindow))) continue;
        m_in.Fill(kMaxGroup);
        if (m_in.Available() == 0) {
            bCorrupt = true;
            break;
        }
        if (!SlowGroup(op)) {
            bCorrupt = true;
            break;
        }
    }
    if (!flush()) return LZ_ERROR_WRITE;
    if (m_in.Failed() || (bCorrupt && m_nLeft > 0)) return LZ_ERROR_READ;
    return m_nWritten;
}

// Whole groups without checks, while the input holds a longest group, the
// output buffer has room for one, and the expanded length cannot end inside it.
void Decoder::FastGroups(uint8_t*& op, uint8_t* pFlushMark) {
    const uint8_t* ip = m_in.Data();
    const size_t nAvail = m_in.Available();
    const uint8_t* const pSafeEnd = nAvail < kMaxGroup ? ip : ip + nAvail - (kMaxGroup - 1);
    uint8_t* const pStart = m_pOut + kWindow;
    uint64_t nLeftHere = m_nLeft - static_cast<uint64_t>(op - pStart);  // > 0 on entry
    uint8_t* pStop = pFlushMark;
    if (nLeftHere < static_cast<uint64_t>(pFlushMark - op)) {
        if (nLeftHere < 8 * 18) return;
        pStop = op + (nLeftHere - 8 * 18) + 1;
    }
    const uint32_t nRingBase = m_nRingBase;
    while (ip < pSafeEnd && op < pStop) {
        unsigned ctrl = *ip++;
        if (ctrl == 0xFF) {
            std::memcpy(op, ip, 8);
            op += 8;
            ip += 8;
            continue;
        }
        for (int bit = 0; bit < 8; ++bit, ctrl >>= 1) {
            if (ctrl & 1) {
                *op++ = *ip++;
                continue;
            }
            uint32_t nOffset = ip[0] | ((ip[1] & 0xF0u) << 4);
            size_t nLen = (ip[1] & 0x0Fu) + 3;
            ip += 2;
            uint32_t nRing = nRingBase + static_cast<uint32_t>(op - m_pOut);
            size_t nDist = ((nRing - nOffset - 1) & (kWindow - 1)) + 1;  // 1..4096
            const uint8_t* src = op - nDist;
            if (nDist >= 8) {
                // Each 8-byte step reads only bytes already in place.
                std::memcpy(op, src, 8);
                std::memcpy(op + 8, src + 8, 8);
                std::memcpy(op + 16, src + 16, 8);
            } else {
                for (size_t i = 0; i < nLen; ++i) op[i] = src[i];
            }
            op += nLen;
        }
    }
    m_in.Skip(static_cast<size_t>(ip - m_in.Data()));
}

// One group with a check before every item: near the end of the input, or when
// the expanded length may end inside the group. False when the input ran out.
bool Decoder::SlowGroup(uint8_t*& op) {
    const uint8_t* ip = m_in.Data();
    size_t nAvail = m_in.Available();
    const uint8_t* const pEnd = ip + nAvail;
    uint8_t* const pStart = m_pOut + kWindow;
    unsigned ctrl = *ip++;
    bool bOk = true;
    for (int bit = 0; bit < 8; ++bit, ctrl >>= 1) {
        if (m_nLeft <= static_cast<uint64_t>(op - pStart)) break;
        if (ctrl & 1) {
            if (ip >= pEnd) { bOk = false; break; }
            *op++ = *ip++;
        } else {
            if (pEnd - ip < 2) { bOk = false; break; }
            uint32_t nOffset = ip[0] | ((ip[1] & 0xF0u) << 4);
            size_t nLen = (ip[1] & 0x0Fu) + 3;
            ip += 2;
            const uint8_t* src = op - Distance(op, nOffset);
            for (size_t i = 0; i < nLen; ++i) op[i] = src[i];
            op += nLen;
        }
    }
    m_in.Skip(static_cast<size_t>(ip - m_in.Data()));
    return bOk;
}

}  // namespace

int64_t ExpandStream(ByteSource& source, ByteSink& sink) {
    std::unique_ptr<uint8_t[]> pIn(new (std::nothrow) uint8_t[kInCap]);
    if (!pIn) return LZ_ERROR_GLOBALLOC;
    Input in(source, pIn.get());
    in.Fill(kHeaderSize);
    if (in.Failed()) return LZ_ERROR_READ;
    if (in.Available() < sizeof kSignature || std::memcmp(in.Data(), kSignature, sizeof kSignature) != 0)
        return CopyUnchanged(in, sink);
    if (in.Available() < kHeaderSize) return LZ_ERROR_READ;
    const uint8_t* h = in.Data();
    if (h[8] != 'A') return LZ_ERROR_UNKNOWNALG;
    uint32_t nLength = h[10] | (uint32_t(h[11]) << 8) | (uint32_t(h[12]) << 16) | (uint32_t(h[13]) << 24);
    in.Skip(kHeaderSize);

    std::unique_ptr<uint8_t[]> pOut(new (std::nothrow) uint8_t[kWindow + kOutCap + kOutSlack]);
    if (!pOut) return LZ_ERROR_GLOBALLOC;
    Decoder decoder(in, sink, pOut.get(), nLength);
    return decoder.Run();
}

}  // namespace lz
