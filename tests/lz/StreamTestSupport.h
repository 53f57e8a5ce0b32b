// Memory streams for the tests of the decoders: a source that hands out uneven
// pieces or fails at a chosen point, and a sink that may refuse beyond a limit.
#pragma once
#include "lz/ExpandStream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

namespace lz_test {

// Hands out the data in pieces of varying small sizes, so that every refill
// boundary of the decoder is met; seeks unless told not to, as a pipe would.
class MemorySource : public lz::ByteSource {
public:
    explicit MemorySource(const std::string& s, size_t nMaxPiece = 0, int64_t nFailAt = -1, bool bSeeks = true)
        : m_s(s), m_nMaxPiece(nMaxPiece), m_nFailAt(nFailAt), m_bSeeks(bSeeks) {}
    bool Seek(uint64_t nOffset) override {
        if (!m_bSeeks) return false;
        m_nPos = static_cast<size_t>(std::min<uint64_t>(nOffset, m_s.size()));
        return true;
    }
    int64_t Size() override { return m_bSeeks ? static_cast<int64_t>(m_s.size()) : -1; }
    int64_t Read(uint8_t* p, size_t n) override {
        if (m_nFailAt >= 0 && static_cast<int64_t>(m_nPos) >= m_nFailAt) return -1;
        if (m_nMaxPiece) n = std::min(n, 1 + (m_nCalls++ * 7) % m_nMaxPiece);
        size_t nGot = std::min(n, m_s.size() - m_nPos);
        std::memcpy(p, m_s.data() + m_nPos, nGot);
        m_nPos += nGot;
        return static_cast<int64_t>(nGot);
    }

private:
    const std::string& m_s;
    size_t m_nPos = 0;
    size_t m_nMaxPiece;
    size_t m_nCalls = 0;
    int64_t m_nFailAt;
    bool m_bSeeks;
};

class StringSink : public lz::ByteSink {
public:
    explicit StringSink(size_t nLimit = SIZE_MAX) : m_nLimit(nLimit) {}
    bool Write(const uint8_t* p, size_t n) override {
        if (m_str.size() + n > m_nLimit) return false;
        m_str.append(reinterpret_cast<const char*>(p), n);
        return true;
    }
    std::string m_str;

private:
    size_t m_nLimit;
};

struct Result {
    int64_t nCode;
    std::string strOut;
};

inline Result Expand(const std::string& input, size_t nMaxPiece = 0) {
    MemorySource source(input, nMaxPiece);
    StringSink sink;
    int64_t n = lz::ExpandStream(source, sink);
    return {n, sink.m_str};
}

inline std::string RandomBytes(std::mt19937& rng, size_t n, int nAlphabet = 256) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng() % nAlphabet);
    return s;
}

}  // namespace lz_test
