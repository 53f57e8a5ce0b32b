#include "lz/KwajLzhStream.h"
#include "lz/LzError.h"
#include "lz/OutputWindow.h"

#include <memory>
#include <new>

namespace lz {

namespace {

constexpr unsigned kMaxCodeLength = 16;
constexpr unsigned kFastBits = 10;
constexpr size_t kWindow = OutputWindow::kHistory;

uint64_t ReadBe64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = v << 8 | p[i];
    return v;
}

// Bits most significant first, kept left-aligned in 64 bits.
class BitReader {
public:
    explicit BitReader(Input& in) : m_in(in) {}

    // For a loop that keeps the bits in locals: the input, and the bits to take and give back.
    Input& In() const { return m_in; }
    uint64_t& Bits() { return m_nBuf; }
    unsigned& BitCount() { return m_nCount; }

    // At least 57 bits afterwards, unless the input ends first.
    void Refill() {
        if (m_nCount > 56) return;
        if (m_in.Available() < 8) m_in.Fill(8);
        const uint8_t* p = m_in.Data();
        size_t n = m_in.Available();
        if (n >= 8) {
            // The bits of a byte only partly taken are taken again, identically, next time.
            m_nBuf |= ReadBe64(p) >> m_nCount;
            size_t nBytes = (64 - m_nCount) >> 3;
            m_nCount += static_cast<unsigned>(nBytes * 8);
            m_in.Skip(nBytes);
            return;
        }
        size_t i = 0;
        for (; i < n && m_nCount <= 56; ++i, m_nCount += 8) m_nBuf |= uint64_t(p[i]) << (56 - m_nCount);
        m_in.Skip(i);
    }
    uint64_t Peek() const { return m_nBuf; }
    unsigned Count() const { return m_nCount; }
    void Consume(unsigned n) {
        m_nBuf <<= n;
        m_nCount -= n;
    }
    // n (1..16) bits as a number; false when the input ends first.
    bool Get(unsigned n, unsigned* pValue) {
        if (m_nCount < n) Refill();
        if (m_nCount < n) return false;
        *pValue = static_cast<unsigned>(m_nBuf >> (64 - n));
        Consume(n);
        return true;
    }

private:
    Input& m_in;
    uint64_t m_nBuf = 0;
    unsigned m_nCount = 0;
};

// A canonical code: a table of the first kFastBits bits, and a search by
// length for the longer codes.
class HuffmanCode {
public:
    static constexpr uint16_t kInvalid = 0;

    // False when the lengths over-subscribe the code.
    bool Build(const uint8_t* pLengths, unsigned nSymbols) {
        uint16_t aCount[kMaxCodeLength + 1] = {};
        for (unsigned s = 0; s < nSymbols; ++s) ++aCount[pLengths[s]];
        aCount[0] = 0;
        int nLeft = 1;
        for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
            nLeft = nLeft * 2 - aCount[len];
            if (nLeft < 0) return false;
        }
        uint32_t aNext[kMaxCodeLength + 2];
        uint16_t aOffset[kMaxCodeLength + 2];
        uint32_t nCode = 0;
        uint16_t nIndex = 0;
        for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
            aNext[len] = nCode;
            m_aFirst[len] = nCode;
            m_aCount[len] = aCount[len];
            aOffset[len] = nIndex;
            m_aIndex[len] = nIndex;
            nIndex = static_cast<uint16_t>(nIndex + aCount[len]);
            nCode = (nCode + aCount[len]) << 1;
        }
        std::memset(m_aFast, 0, sizeof m_aFast);
        for (unsigned s = 0; s < nSymbols; ++s) {
            unsigned len = pLengths[s];
            if (len == 0) continue;
            uint32_t code = aNext[len]++;
            m_aSorted[aOffset[len]++] = static_cast<uint16_t>(s);
            if (len > kFastBits) continue;
            uint16_t nEntry = static_cast<uint16_t>(s << 5 | len);
            uint32_t nFirst = code << (kFastBits - len), nFill = 1u << (kFastBits - len);
            for (uint32_t i = 0; i < nFill; ++i) m_aFast[nFirst + i] = nEntry;
        }
        return true;
    }

    // The entry (symbol << 5 | length) of the code at the top of the bits, or kInvalid.
    uint16_t Decode(uint64_t nBits) const {
        uint16_t nEntry = m_aFast[nBits >> (64 - kFastBits)];
        return nEntry != kInvalid ? nEntry : DecodeLong(nBits);
    }

private:
    // Out of line, so that the short codes' path is small enough to be inlined everywhere.
    __attribute__((noinline)) uint16_t DecodeLong(uint64_t nBits) const {
        for (unsigned len = kFastBits + 1; len <= kMaxCodeLength; ++len) {
            uint32_t code = static_cast<uint32_t>(nBits >> (64 - len));
            if (code - m_aFirst[len] < m_aCount[len])
                return static_cast<uint16_t>(m_aSorted[m_aIndex[len] + code - m_aFirst[len]] << 5 | len);
        }
        return kInvalid;
    }

    uint16_t m_aFast[1u << kFastBits];
    uint32_t m_aFirst[kMaxCodeLength + 1] = {};
    uint32_t m_aCount[kMaxCodeLength + 1] = {};
    uint16_t m_aIndex[kMaxCodeLength + 1] = {};
    uint16_t m_aSorted[256];
};

enum Table { kMatchLen, kMatchLen2, kLitLen, kOffset, kLiteral, kTables };
const unsigned kSymbols[kTables] = {16, 16, 32, 64, 256};
const uint8_t kFixedLength[kTables] = {4, 4, 5, 6, 8};

// One length list in its storage type: 0, LZ_ERROR_READ when it is cut off, or
// LZ_ERROR_CORRUPT for an unknown type or a length out of range.
int32_t ReadLengths(BitReader& bits, unsigned nType, unsigned nSymbols, uint8_t nFixed, uint8_t* pLengths) {
    unsigned v;
    if (nType == 0) {
        std::memset(pLengths, nFixed, nSymbols);
        return 0;
    }
    if (nType > 3) return LZ_ERROR_CORRUPT;
    int nPrev = 0;
    for (unsigned s = 0; s < nSymbols; ++s) {
        int nLen;
        if (nType == 3 || s == 0) {
            if (!bits.Get(4, &v)) return LZ_ERROR_READ;
            nLen = static_cast<int>(v);
        } else if (nType == 1) {
            if (!bits.Get(1, &v)) return LZ_ERROR_READ;
            if (v == 0) {
                nLen = nPrev;
            } else {
                if (!bits.Get(1, &v)) return LZ_ERROR_READ;
                if (v == 0) {
                    nLen = nPrev + 1;
                } else {
                    if (!bits.Get(4, &v)) return LZ_ERROR_READ;
                    nLen = static_cast<int>(v);
                }
            }
        } else {
            if (!bits.Get(2, &v)) return LZ_ERROR_READ;
            if (v == 3) {
                if (!bits.Get(4, &v)) return LZ_ERROR_READ;
                nLen = static_cast<int>(v);
            } else {
                nLen = nPrev + static_cast<int>(v) - 1;
            }
        }
        if (nLen < 0 || nLen > static_cast<int>(kMaxCodeLength)) return LZ_ERROR_CORRUPT;
        pLengths[s] = static_cast<uint8_t>(nLen);
        nPrev = nLen;
    }
    return 0;
}

class Decoder {
public:
    Decoder(Input& in, OutputWindow& out) : m_bits(in), m_out(out) {}

    int64_t Run();

private:
    enum Step { kGot, kCutOff, kBad };
    // One symbol of code c into *pSymbol.
    Step Symbol(const HuffmanCode& c, unsigned* pSymbol) {
        if (m_bits.Count() < kMaxCodeLength) m_bits.Refill();
        uint16_t nEntry = c.Decode(m_bits.Peek());
        unsigned nLen = nEntry & 31u;
        // Where no full code fits any more, a pattern that is no code is cut off too.
        if (nEntry == HuffmanCode::kInvalid) return m_bits.Count() < kMaxCodeLength ? kCutOff : kBad;
        if (nLen > m_bits.Count()) return kCutOff;
        m_bits.Consume(nLen);
        *pSymbol = nEntry >> 5;
        return kGot;
    }
    int32_t ReadTables();
    bool FastSteps(uint8_t*& op, const HuffmanCode*& pLengthCode);

    BitReader m_bits;
    OutputWindow& m_out;
    HuffmanCode m_aCodes[kTables];
};

// 0, or the error of the first table that is cut off or malformed.
int32_t Decoder::ReadTables() {
    unsigned aType[kTables], nPadding;
    for (unsigned& t : aType)
        if (!m_bits.Get(4, &t)) return LZ_ERROR_READ;
    if (!m_bits.Get(4, &nPadding)) return LZ_ERROR_READ;
    uint8_t aLengths[256];
    for (int t = 0; t < kTables; ++t) {
        const int32_t nError = ReadLengths(m_bits, aType[t], kSymbols[t], kFixedLength[t], aLengths);
        if (nError != 0) return nError;
        if (!m_aCodes[t].Build(aLengths, kSymbols[t])) return LZ_ERROR_CORRUPT;
    }
    return 0;
}

// The most a step (a match, or a run of up to 32 literals) reads: its codes, the
// bytes already in the bit buffer and a refill's eight; and the most it writes.
constexpr size_t kStepReach = (kMaxCodeLength * (2 + 32)) / 8 + 8 + 8;
constexpr size_t kStepOutput = 32;

// Whole steps with the bits in locals and no check of the input's or the output's end,
// while the input holds a longest step, the output buffer has room for one and the
// expanded length cannot end inside it. False at a pattern that is no code.
// Out of line: an engine that compiles in tiers (WebAssembly in browsers) swaps in its
// optimised code only between calls, so the first file waits for a return.
__attribute__((noinline)) bool Decoder::FastSteps(uint8_t*& op, const HuffmanCode*& pLengthCode) {
    Input& in = m_bits.In();
    const uint8_t* ip = in.Data();
    const size_t nAvail = in.Available();
    uint64_t nLeftHere = m_out.LeftAt(op);
    if (nAvail < kStepReach || nLeftHere < kStepOutput) return true;
    const uint8_t* const pSafeEnd = ip + nAvail - (kStepReach - 1);
    uint8_t* pStop = m_out.FlushMark();
    if (nLeftHere < static_cast<uint64_t>(pStop - op)) pStop = op + (nLeftHere - kStepOutput) + 1;
    uint64_t nBuf = m_bits.Bits();
    unsigned nCount = m_bits.BitCount();
    bool bOk = true;
    // At least 57 bits afterwards, as BitReader::Refill gives them.
    auto need = [&](unsigned n) {
        if (nCount >= n) return;
        nBuf |= ReadBe64(ip) >> nCount;
        const unsigned nBytes = (64 - nCount) >> 3;
        ip += nBytes;
        nCount += nBytes * 8;
    };
    auto symbol = [&](const HuffmanCode& c) {
        need(kMaxCodeLength);
        const uint16_t nEntry = c.Decode(nBuf);
        const unsigned nLen = nEntry & 31u;
        nBuf <<= nLen;
        nCount -= nLen;
        if (nEntry == HuffmanCode::kInvalid) bOk = false;
        return nEntry >> 5;
    };
    while (bOk && ip < pSafeEnd && op < pStop) {
        const unsigned c = symbol(*pLengthCode);
        if (!bOk) break;
        if (c > 0) {
            const unsigned x = symbol(m_aCodes[kOffset]);
            if (!bOk) break;
            need(6);
            const unsigned y = static_cast<unsigned>(nBuf >> 58);
            nBuf <<= 6;
            nCount -= 6;
            size_t nDist = ((x << 6 | y) + kWindow - 1) % kWindow + 1;  // 0 is 4096 back
            OutputWindow::CopyMatch(op, nDist, c + 2);
            op += c + 2;
            pLengthCode = &m_aCodes[kMatchLen];
            continue;
        }
        const unsigned x = symbol(m_aCodes[kLitLen]);
        for (unsigned i = 0; bOk && i <= x; ++i) {
            const unsigned nByte = symbol(m_aCodes[kLiteral]);
            if (bOk) *op++ = static_cast<uint8_t>(nByte);
        }
        if (x != 31) pLengthCode = &m_aCodes[kMatchLen2];
    }
    m_bits.Bits() = nBuf;
    m_bits.BitCount() = nCount;
    in.Skip(static_cast<size_t>(ip - in.Data()));
    return bOk;
}

int64_t Decoder::Run() {
    const int32_t nTables = ReadTables();
    if (nTables != 0) return nTables;
    uint8_t* op = m_out.Start();
    const HuffmanCode* pLengthCode = &m_aCodes[kMatchLen];
    Step step = kGot;
    unsigned c, x, y;
    while (!m_out.Done(op)) {
        if (op >= m_out.FlushMark() && !m_out.Flush(op)) return LZ_ERROR_WRITE;
        m_bits.In().Fill(kStepReach);
        if (!FastSteps(op, pLengthCode)) {
            step = kBad;
            break;
        }
        if (op >= m_out.FlushMark() || m_out.Done(op)) continue;
        if ((step = Symbol(*pLengthCode, &c)) != kGot) break;
        if (c > 0) {
            if ((step = Symbol(m_aCodes[kOffset], &x)) != kGot) break;
            if (!m_bits.Get(6, &y)) {
                step = kCutOff;
                break;
            }
            size_t nDist = ((x << 6 | y) + kWindow - 1) % kWindow + 1;  // 0 is 4096 back
            size_t nLen = c + 2;
            OutputWindow::CopyMatch(op, nDist, nLen);
            op += nLen;
            pLengthCode = &m_aCodes[kMatchLen];
            continue;
        }
        if ((step = Symbol(m_aCodes[kLitLen], &x)) != kGot) break;
        uint64_t nRun = x + 1;
        if (nRun > m_out.LeftAt(op)) nRun = m_out.LeftAt(op);
        for (uint64_t i = 0; i < nRun; ++i) {
            unsigned nByte;
            if ((step = Symbol(m_aCodes[kLiteral], &nByte)) != kGot) break;
            *op++ = static_cast<uint8_t>(nByte);
        }
        if (step != kGot) break;
        if (x != 31) pLengthCode = &m_aCodes[kMatchLen2];
    }
    if (!m_out.Flush(op)) return LZ_ERROR_WRITE;
    if (step == kBad) return LZ_ERROR_CORRUPT;
    if (step == kCutOff && m_out.Bounded() && !m_out.Done(op)) return LZ_ERROR_READ;
    return m_out.Written();
}

}  // namespace

int64_t ExpandKwajLzh(Input& in, ByteSink& sink, uint64_t nLength) {
    std::unique_ptr<uint8_t[]> pOut(new (std::nothrow) uint8_t[OutputWindow::kBufferSize]);
    if (!pOut) return LZ_ERROR_GLOBALLOC;
    OutputWindow out(sink, pOut.get(), nLength);
    // The code tables are some kilobytes: on the heap, with the window.
    std::unique_ptr<Decoder> pDecoder(new (std::nothrow) Decoder(in, out));
    if (!pDecoder) return LZ_ERROR_GLOBALLOC;
    int64_t n = pDecoder->Run();
    return in.Failed() ? int64_t{LZ_ERROR_READ} : n;
}

}  // namespace lz
