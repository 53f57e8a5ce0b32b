#include "lz/SzddStream.h"
#include "lz/LzError.h"
#include "lz/OutputWindow.h"

#include <cstring>
#include <memory>
#include <new>

namespace lz {

namespace {

constexpr size_t kWindow = OutputWindow::kHistory;
// The longest group: a control byte and eight matches.
constexpr size_t kMaxGroup = 1 + 8 * 2;
// What the fast loop may read of a group: its last literals are read as eight bytes.
constexpr size_t kGroupReach = 1 + 7 * 2 + 8;

// The decoder proper: the ring offset in the stream only tells how far back
// from the write position a match starts.
class Decoder {
public:
    Decoder(Input& in, OutputWindow& out, uint32_t nRingStart) : m_in(in), m_out(out), m_nRingBase(nRingStart) {}

    int64_t Run();

private:
    // Distance back (1..4096) from the write position to ring position nOffset.
    size_t Distance(const uint8_t* pOp, uint32_t nOffset) const {
        uint32_t nRing = m_nRingBase + static_cast<uint32_t>(pOp - m_out.Start());
        return ((nRing - nOffset - 1) & (kWindow - 1)) + 1;
    }
    bool Flush(uint8_t*& op) {
        m_nRingBase = (m_nRingBase + static_cast<uint32_t>(op - m_out.Start())) & (kWindow - 1);
        return m_out.Flush(op);
    }
    bool SlowGroup(uint8_t*& op);
    void FastGroups(uint8_t*& op);

    Input& m_in;
    OutputWindow& m_out;
    uint32_t m_nRingBase;  // ring position of m_out.Start(), modulo the window
};

int64_t Decoder::Run() {
    uint8_t* op = m_out.Start();
    bool bCutOff = false;
    while (!m_out.Done(op)) {
        if (op >= m_out.FlushMark() && !Flush(op)) return LZ_ERROR_WRITE;
        m_in.Fill(kGroupReach);
        FastGroups(op);
        if (op >= m_out.FlushMark() || m_out.Done(op)) continue;
        m_in.Fill(kMaxGroup);
        if (m_in.Available() == 0 || !SlowGroup(op)) {
            bCutOff = true;
            break;
        }
    }
    if (!Flush(op)) return LZ_ERROR_WRITE;
    if (m_in.Failed() || (bCutOff && m_out.Bounded() && !m_out.Done(op))) return LZ_ERROR_READ;
    return m_out.Written();
}

// Whole groups without checks, while the input holds a longest group, the
// output buffer has room for one, and the expanded length cannot end inside it.
// Out of line: an engine that compiles in tiers (WebAssembly in browsers) swaps in
// its optimised code only between calls, so the first file waits for a return.
__attribute__((noinline)) void Decoder::FastGroups(uint8_t*& op) {
    const uint8_t* ip = m_in.Data();
    const size_t nAvail = m_in.Available();
    const uint8_t* const pSafeEnd = nAvail < kGroupReach ? ip : ip + nAvail - (kGroupReach - 1);
    uint8_t* const pFlushMark = m_out.FlushMark();
    uint64_t nLeftHere = m_out.LeftAt(op);  // > 0 on entry
    uint8_t* pStop = pFlushMark;
    if (nLeftHere < static_cast<uint64_t>(pFlushMark - op)) {
        if (nLeftHere < 8 * 18) return;
        pStop = op + (nLeftHere - 8 * 18) + 1;
    }
    const uint32_t nRingBase = m_nRingBase;
    uint8_t* const pStart = m_out.Start();
    while (ip < pSafeEnd && op < pStop) {
        unsigned ctrl = *ip++;
        unsigned nLeft = 8;
        for (;;) {
            // The literals before the next match at once: the low set bits of ctrl (its
            // used bits are shifted out and its top is zeros, so a run ends with the
            // group), copied as eight bytes whatever their number (the input holds
            // kGroupReach, the output has its slack). One branch per run, not one per
            // literal: as fast natively, far faster compiled for the browser.
            const unsigned nLiterals = static_cast<unsigned>(__builtin_ctz(~ctrl));
            std::memcpy(op, ip, 8);
            op += nLiterals;
            ip += nLiterals;
            nLeft -= nLiterals;
            if (nLeft == 0) break;
            uint32_t nOffset = ip[0] | ((ip[1] & 0xF0u) << 4);
            size_t nLen = (ip[1] & 0x0Fu) + 3;
            ip += 2;
            uint32_t nRing = nRingBase + static_cast<uint32_t>(op - pStart);
            size_t nDist = ((nRing - nOffset - 1) & (kWindow - 1)) + 1;  // 1..4096
            OutputWindow::CopyMatch(op, nDist, nLen);
            op += nLen;
            if (--nLeft == 0) break;
            ctrl >>= nLiterals + 1;
        }
    }
    m_in.Skip(static_cast<size_t>(ip - m_in.Data()));
}

// One group with a check before every item: near the end of the input, or when
// the expanded length may end inside the group. False when the input ran out.
bool Decoder::SlowGroup(uint8_t*& op) {
    const uint8_t* ip = m_in.Data();
    const uint8_t* const pEnd = ip + m_in.Available();
    unsigned ctrl = *ip++;
    bool bOk = true;
    for (int bit = 0; bit < 8; ++bit, ctrl >>= 1) {
        if (m_out.Done(op)) break;
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

int64_t ExpandLzss(Input& in, ByteSink& sink, uint32_t nRingStart, uint64_t nLength) {
    std::unique_ptr<uint8_t[]> pOut(new (std::nothrow) uint8_t[OutputWindow::kBufferSize]);
    if (!pOut) return LZ_ERROR_GLOBALLOC;
    OutputWindow out(sink, pOut.get(), nLength);
    return Decoder(in, out, nRingStart).Run();
}

}  // namespace lz
