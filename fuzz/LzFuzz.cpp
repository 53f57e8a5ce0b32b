// libFuzzer target for the LZ service: any input must expand without a crash,
// a hang or growing memory, and an SZDD input must expand exactly as a plain
// byte-at-a-time ring decoder reads it. Built and run by scripts/fuzz.
#include "lz/LzExpand.h"
#include "lz/ExpandStream.h"

#include <cstdlib>
#include <cstring>
#include <string>

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

// Returns false when the data ends before nLength bytes are produced.
bool ReferenceExpand(const uint8_t* p, size_t n, uint32_t nLength, std::string* pOut) {
    unsigned char ring[4096];
    std::memset(ring, ' ', sizeof ring);
    unsigned pos = 4080;
    size_t i = 0;
    while (pOut->size() < nLength) {
        if (i >= n) return false;
        unsigned ctrl = p[i++];
        for (int bit = 0; bit < 8 && pOut->size() < nLength; ++bit, ctrl >>= 1) {
            if (ctrl & 1) {
                if (i >= n) return false;
                ring[pos] = p[i++];
                pOut->push_back(static_cast<char>(ring[pos]));
                pos = (pos + 1) & 4095;
            } else {
                if (i + 2 > n) return false;
                unsigned off = p[i] | ((p[i + 1] & 0xF0u) << 4), len = (p[i + 1] & 0x0Fu) + 3;
                i += 2;
                for (unsigned k = 0; k < len && pOut->size() < nLength; ++k) {
                    ring[pos] = ring[(off + k) & 4095];
                    pOut->push_back(static_cast<char>(ring[pos]));
                    pos = (pos + 1) & 4095;
                }
            }
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    MemorySource source(pData, nSize);
    StringSink sink;
    int64_t nResult = lz::ExpandStream(source, sink);

    static const uint8_t kSignature[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
    if (nSize < 8 || std::memcmp(pData, kSignature, 8) != 0) {
        // Anything else is copied unchanged.
        if (nResult != static_cast<int64_t>(nSize) || sink.m_str.compare(0, std::string::npos,
                                                                         reinterpret_cast<const char*>(pData), nSize) != 0)
            std::abort();
        return 0;
    }
    if (nSize < 14) {
        if (nResult != LZ_ERROR_READ) std::abort();
        return 0;
    }
    if (pData[8] != 'A') {
        if (nResult != LZ_ERROR_UNKNOWNALG) std::abort();
        return 0;
    }
    uint32_t nLength = pData[10] | (uint32_t(pData[11]) << 8) | (uint32_t(pData[12]) << 16) | (uint32_t(pData[13]) << 24);
    std::string expect;
    bool bComplete = ReferenceExpand(pData + 14, nSize - 14, nLength, &expect);
    if (bComplete) {
        if (nResult != static_cast<int64_t>(nLength) || sink.m_str != expect) std::abort();
    } else {
        // Corrupt: fails, and what was written so far is a true prefix.
        if (nResult != LZ_ERROR_READ || sink.m_str.size() > expect.size() ||
            expect.compare(0, sink.m_str.size(), sink.m_str) != 0)
            std::abort();
    }
    return 0;
}
