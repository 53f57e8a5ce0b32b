// libFuzzer target for the LZ service: any input must expand without a crash,
// a hang or growing memory, and must expand exactly as plain reference decoders
// of each format read it: SZDD and its short-header variant through a byte-at-
// a-time ring, KWAJ through its own header reader and, per method, a copy, a
// ring, a bit-at-a-time Huffman reader, and zlib fed one whole block at a time.
// Cabinets are libmspack's to decode, with no second decoder here: the stream entry
// must agree with the cabinet reader asked directly, and every member read whole must
// have its recorded size. Built and run by scripts/fuzz.
#include "lz/Cabinet.h"
#include "lz/ExpandStream.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class MemorySource : public lz::ByteSource {
public:
    MemorySource(const uint8_t* p, size_t n) : m_p(p), m_n(n) {}
    int64_t Read(uint8_t* pBuffer, size_t nBytes) override {
        // Uneven pieces, so that refills land anywhere.
        size_t nPiece = 1 + (m_nCalls++ * 13 + m_n) % 61;
        size_t nGot = std::min(std::min(nBytes, nPiece), m_n - m_nPos);
        std::memcpy(pBuffer, m_p + m_nPos, nGot);
        m_nPos += nGot;
        return static_cast<int64_t>(nGot);
    }
    bool Seek(uint64_t nOffset) override {
        m_nPos = static_cast<size_t>(std::min<uint64_t>(nOffset, m_n));
        return true;
    }
    int64_t Size() override { return static_cast<int64_t>(m_n); }

private:
    const uint8_t* m_p;
    size_t m_n;
    size_t m_nPos = 0;
    size_t m_nCalls = 0;
};

class StringSink : public lz::ByteSink {
public:
    bool Write(const uint8_t* p, size_t n) override {
        m_str.append(reinterpret_cast<const char*>(p), n);
        return true;
    }
    std::string m_str;
};

// What a reference decoder gives: the result code and the bytes before it stopped.
struct Outcome {
    int64_t nCode = 0;
    std::string strOut;
};

constexpr uint64_t kNoLength = ~uint64_t(0);

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }
unsigned Le16(const uint8_t* p) { return p[0] | (p[1] << 8); }

// The end of the data: success, unless a recorded length was not reached.
Outcome Ended(std::string& out, uint64_t nLength) {
    if (nLength != kNoLength && out.size() < nLength) return {LZ_ERROR_READ, out};
    return {static_cast<int64_t>(out.size()), out};
}

Outcome Stored(const uint8_t* p, size_t n, uint64_t nLength, uint8_t nXor) {
    std::string out;
    for (size_t i = 0; i < n && out.size() < nLength; ++i) out.push_back(static_cast<char>(p[i] ^ nXor));
    return Ended(out, nLength);
}

Outcome Lzss(const uint8_t* p, size_t n, unsigned pos, uint64_t nLength) {
    unsigned char ring[4096];
    std::memset(ring, ' ', sizeof ring);
    std::string out;
    size_t i = 0;
    while (out.size() < nLength) {
        if (i >= n) return Ended(out, nLength);
        unsigned ctrl = p[i++];
        for (int bit = 0; bit < 8 && out.size() < nLength; ++bit, ctrl >>= 1) {
            if (ctrl & 1) {
                if (i >= n) return Ended(out, nLength);
                ring[pos] = p[i++];
                out.push_back(static_cast<char>(ring[pos]));
                pos = (pos + 1) & 4095;
            } else {
                if (i + 2 > n) return Ended(out, nLength);
                unsigned off = p[i] | ((p[i + 1] & 0xF0u) << 4), len = (p[i + 1] & 0x0Fu) + 3;
                i += 2;
                for (unsigned k = 0; k < len && out.size() < nLength; ++k) {
                    ring[pos] = ring[(off + k) & 4095];
                    out.push_back(static_cast<char>(ring[pos]));
                    pos = (pos + 1) & 4095;
                }
            }
        }
    }
    return Ended(out, nLength);
}

class Bits {
public:
    Bits(const uint8_t* p, size_t n) : m_p(p), m_n(n) {}
    bool Get(unsigned k, unsigned* v) {
        if (m_nPos + k > m_n * 8) return false;
        *v = 0;
        for (unsigned i = 0; i < k; ++i, ++m_nPos) *v = *v << 1 | ((m_p[m_nPos / 8] >> (7 - m_nPos % 8)) & 1);
        return true;
    }

private:
    const uint8_t* m_p;
    size_t m_n;
    size_t m_nPos = 0;
};

struct Code {
    std::vector<int> len, code;
};

enum Read { kOk, kCut, kBad };

// A symbol read bit by bit against every code of the current length.
Read Symbol(Bits& bits, const Code& c, unsigned* pSymbol) {
    unsigned v = 0, b;
    for (int len = 1; len <= 16; ++len) {
        if (!bits.Get(1, &b)) return kCut;
        v = v << 1 | b;
        for (size_t s = 0; s < c.len.size(); ++s)
            if (c.len[s] == len && c.code[s] == static_cast<int>(v)) {
                *pSymbol = static_cast<unsigned>(s);
                return kOk;
            }
    }
    return kBad;
}

// One code's lengths: kOk, kCut when the bits run out, kBad when they are malformed.
Read ReadCode(Bits& bits, unsigned nType, unsigned nSymbols, int nFixed, Code* pCode) {
    pCode->len.assign(nSymbols, nFixed);
    unsigned v;
    for (unsigned s = 0; nType != 0 && s < nSymbols; ++s) {
        int len;
        if (nType > 3) return kBad;
        if (nType == 3 || s == 0) {
            if (!bits.Get(4, &v)) return kCut;
            len = static_cast<int>(v);
        } else if (nType == 1) {
            if (!bits.Get(1, &v)) return kCut;
            len = pCode->len[s - 1];
            if (v) {
                if (!bits.Get(1, &v)) return kCut;
                if (!v) {
                    ++len;
                } else {
                    if (!bits.Get(4, &v)) return kCut;
                    len = static_cast<int>(v);
                }
            }
        } else {
            if (!bits.Get(2, &v)) return kCut;
            if (v == 3) {
                if (!bits.Get(4, &v)) return kCut;
                len = static_cast<int>(v);
            } else {
                len = pCode->len[s - 1] + static_cast<int>(v) - 1;
            }
        }
        if (len < 0 || len > 16) return kBad;
        pCode->len[s] = len;
    }
    // Kraft's sum at most 1, then canonical codes.
    uint64_t nSum = 0;
    for (int len : pCode->len)
        if (len) nSum += uint64_t(1) << (16 - len);
    if (nSum > (uint64_t(1) << 16)) return kBad;
    pCode->code.assign(nSymbols, -1);
    int next = 0;
    for (int len = 1; len <= 16; ++len, next <<= 1)
        for (unsigned s = 0; s < nSymbols; ++s)
            if (pCode->len[s] == len) pCode->code[s] = next++;
    return kOk;
}

Outcome Lzh(const uint8_t* p, size_t n, uint64_t nLength) {
    Bits bits(p, n);
    const unsigned aSymbols[5] = {16, 16, 32, 64, 256};
    const int aFixed[5] = {4, 4, 5, 6, 8};
    unsigned aType[6];
    for (unsigned& t : aType)
        if (!bits.Get(4, &t)) return {LZ_ERROR_READ, ""};
    Code codes[5];
    for (int t = 0; t < 5; ++t) {
        Read r = ReadCode(bits, aType[t], aSymbols[t], aFixed[t], &codes[t]);
        if (r != kOk) return {r == kCut ? LZ_ERROR_READ : LZ_ERROR_CORRUPT, ""};
    }
    std::string out(4096, ' ');
    auto done = [&]() { return nLength != kNoLength && out.size() - 4096 >= nLength; };
    const Code* pLen = &codes[0];
    Read r = kOk;
    unsigned c, x, y;
    while (!done()) {
        if ((r = Symbol(bits, *pLen, &c)) != kOk) break;
        if (c > 0) {
            if ((r = Symbol(bits, codes[3], &x)) != kOk) break;
            if (!bits.Get(6, &y)) {
                r = kCut;
                break;
            }
            size_t d = x << 6 | y;
            if (d == 0) d = 4096;
            for (unsigned k = 0; k < c + 2 && !done(); ++k) out.push_back(out[out.size() - d]);
            pLen = &codes[0];
        } else {
            if ((r = Symbol(bits, codes[2], &x)) != kOk) break;
            for (unsigned k = 0; k <= x && !done() && r == kOk; ++k) {
                unsigned lit;
                if ((r = Symbol(bits, codes[4], &lit)) == kOk) out.push_back(static_cast<char>(lit));
            }
            if (r != kOk) break;
            if (x != 31) pLen = &codes[1];
        }
    }
    out.erase(0, 4096);
    if (r == kBad) return {LZ_ERROR_CORRUPT, out};
    return Ended(out, nLength);
}

Outcome Deflate(const uint8_t* p, size_t n, uint64_t nLength) {
    std::string out;
    size_t pos = 0;
    for (;;) {
        if (n - pos < 2) return {LZ_ERROR_READ, out};
        size_t nBlock = Le16(p + pos);
        if (nBlock == 0) break;
        if (n - pos < 4) return {LZ_ERROR_READ, out};
        if (nBlock < 2 || p[pos + 2] != 'C' || p[pos + 3] != 'K') return {LZ_ERROR_CORRUPT, out};
        // A block that the file cuts off is inflated as far as it goes.
        const bool bCut = n - pos - 2 < nBlock;
        z_stream z = {};
        inflateInit2(&z, -15);
        size_t nHistory = std::min<size_t>(out.size(), 32768);
        if (nHistory)
            inflateSetDictionary(&z, reinterpret_cast<const Bytef*>(out.data() + out.size() - nHistory),
                                 static_cast<uInt>(nHistory));
        z.next_in = const_cast<Bytef*>(p + pos + 4);
        z.avail_in = static_cast<uInt>(bCut ? n - pos - 4 : nBlock - 2);
        int nZ;
        do {
            unsigned char buf[65536];
            z.next_out = buf;
            z.avail_out = sizeof buf;
            nZ = inflate(&z, Z_NO_FLUSH);
            out.append(reinterpret_cast<char*>(buf), sizeof buf - z.avail_out);
        } while (nZ == Z_OK);
        inflateEnd(&z);
        if (nZ != Z_STREAM_END && nZ != Z_BUF_ERROR) return {LZ_ERROR_CORRUPT, out};
        if (bCut) return {LZ_ERROR_READ, out};
        if (nZ != Z_STREAM_END) return {LZ_ERROR_CORRUPT, out};
        pos += 2 + nBlock;
    }
    if (nLength != kNoLength && out.size() > nLength) out.resize(nLength);
    return Ended(out, nLength);
}

Outcome Kwaj(const uint8_t* p, size_t n) {
    if (n < 14) return {LZ_ERROR_READ, ""};
    unsigned nMethod = Le16(p + 8), nOffset = Le16(p + 10), nFlags = Le16(p + 12);
    if (nOffset < 14) return {LZ_ERROR_CORRUPT, ""};
    // The fields as written, in order, up to the end of the file (not the data offset).
    size_t i = 14;
    uint64_t nLength = kNoLength;
    auto room = [&](size_t k) { return n - i >= k; };
    if (nFlags & 1) {
        if (!room(4)) return {LZ_ERROR_CORRUPT, ""};
        nLength = Le32(p + i);
        i += 4;
    }
    if (nFlags & 2) {
        if (!room(2)) return {LZ_ERROR_CORRUPT, ""};
        i += 2;
    }
    for (unsigned nBit : {4u, 8u, 16u, 32u}) {
        if (!(nFlags & nBit)) continue;
        if (nBit == 4 || nBit == 32) {
            if (!room(2) || !room(2 + Le16(p + i))) return {LZ_ERROR_CORRUPT, ""};
            i += 2 + Le16(p + i);
        } else {
            size_t nMax = nBit == 8 ? 9 : 4, k = 0;
            while (k < nMax && room(k + 1) && p[i + k] != 0) ++k;
            if (k == nMax || !room(k + 1)) return {LZ_ERROR_CORRUPT, ""};
            i += k + 1;
        }
    }
    if (nOffset > n) return {LZ_ERROR_READ, ""};
    p += nOffset;
    n -= nOffset;
    switch (nMethod) {
    case 0: return Stored(p, n, nLength, 0);
    case 1: return Stored(p, n, nLength, 0xFF);
    case 2: return Lzss(p, n, 4078, nLength);
    case 3: return Lzh(p, n, nLength);
    case 4: return Deflate(p, n, nLength);
    default: return {LZ_ERROR_UNKNOWNALG, ""};
    }
}

// A cabinet through the reader's own calls: every member extracted, in order.
Outcome Cabinet(const uint8_t* p, size_t n) {
    MemorySource source(p, n);
    lz::Cabinet cabinet;
    const int32_t nOpen = cabinet.Open(source);
    if (nOpen < 0) return {nOpen, ""};
    Outcome first;
    for (size_t i = 0; i < cabinet.Members().size(); ++i) {
        StringSink sink;
        const int64_t nResult = cabinet.Extract(i, sink);
        if (nResult >= 0 && (nResult != cabinet.Members()[i].nSize || sink.m_str.size() != size_t(nResult)))
            std::abort();
        if (i == 0) first = {nResult, sink.m_str};
    }
    if (cabinet.Spanned()) return {LZ_ERROR_SPANNED, ""};
    if (cabinet.Members().size() != 1) return {LZ_ERROR_ARCHIVE, ""};
    return first;
}

Outcome Reference(const uint8_t* p, size_t n) {
    static const uint8_t kSzdd[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
    static const uint8_t kShort[8] = {'S', 'Z', ' ', 0x88, 0xF0, 0x27, 0x33, 0xD1};
    static const uint8_t kKwaj[8] = {'K', 'W', 'A', 'J', 0x88, 0xF0, 0x27, 0xD1};
    if (n >= 8 && std::memcmp(p, kSzdd, 8) == 0) {
        if (n < 14) return {LZ_ERROR_READ, ""};
        if (p[8] != 'A') return {LZ_ERROR_UNKNOWNALG, ""};
        return Lzss(p + 14, n - 14, 4080, Le32(p + 10));
    }
    if (n >= 8 && std::memcmp(p, kShort, 8) == 0) {
        if (n < 12) return {LZ_ERROR_READ, ""};
        return Lzss(p + 12, n - 12, 4078, Le32(p + 8));
    }
    if (n >= 8 && std::memcmp(p, kKwaj, 8) == 0) return Kwaj(p, n);
    if (n >= 8 && std::memcmp(p, "MSCF", 4) == 0) return Cabinet(p, n);
    return Stored(p, n, kNoLength, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    MemorySource source(pData, nSize);
    StringSink sink;
    int64_t nResult = lz::ExpandStream(source, sink);
    Outcome expect = Reference(pData, nSize);
    if (nResult != expect.nCode) std::abort();
    if (nResult >= 0) {
        if (sink.m_str != expect.strOut) std::abort();
    } else {
        // Failed: what was written so far agrees with what the reference had decoded.
        size_t n = std::min(sink.m_str.size(), expect.strOut.size());
        if (sink.m_str.compare(0, n, expect.strOut, 0, n) != 0) std::abort();
    }
    return 0;
}
