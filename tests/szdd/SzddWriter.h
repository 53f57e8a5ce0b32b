// Makes SZDD files and files of the short-header variant for tests: a small
// greedy LZSS compressor, a builder for hand-made streams, and whole-file
// read/write helpers. Header-only, standard C++
// only, so that every test program (native and Windows) can include it.
//
//   std::string packed = SzddCompress("hello hello hello");
//   SzddWriteFile("dir/a.tx_", packed);            // raw bytes to a file
//   SzddWriteCompressedFile("dir/b.ex_", data);     // compress and write
//
// Paths are passed to the C runtime as they are (ANSI code page bytes on Windows).
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace szdd_detail {

constexpr unsigned kWindow = 4096;
constexpr unsigned kStart = 4080;       // ring position of the first byte written
constexpr unsigned kShortStart = 4078;  // the same in the short-header variant
constexpr unsigned kMinMatch = 3;
constexpr unsigned kMaxMatch = 18;

inline void PutLe32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace szdd_detail

// The 14-byte header: signature, mode 'A', the replaced character, the expanded length.
inline std::string SzddHeader(uint32_t nExpandedLength, char cReplaced = '\0') {
    std::string s("SZDD\x88\xF0\x27\x33", 8);
    s.push_back('A');
    s.push_back(cReplaced);
    szdd_detail::PutLe32(s, nExpandedLength);
    return s;
}

// The 12-byte header of the variant: signature and the expanded length.
inline std::string ShortSzddHeader(uint32_t nExpandedLength) {
    std::string s("SZ\x20\x88\xF0\x27\x33\xD1", 8);
    szdd_detail::PutLe32(s, nExpandedLength);
    return s;
}

// Builds a stream item by item, for streams that must hold exactly chosen literals and matches.
class SzddStreamBuilder {
public:
    SzddStreamBuilder& Literal(char c) {
        Flag(true);
        m_strBody.push_back(c);
        return *this;
    }
    SzddStreamBuilder& Literals(const std::string& s) {
        for (char c : s) Literal(c);
        return *this;
    }
    // A match of nLength (3-18) bytes copied from ring position nOffset (0-4095).
    SzddStreamBuilder& Match(unsigned nOffset, unsigned nLength) {
        Flag(false);
        m_strBody.push_back(static_cast<char>(nOffset & 0xFF));
        m_strBody.push_back(static_cast<char>(((nOffset >> 4) & 0xF0) | ((nLength - 3) & 0x0F)));
        return *this;
    }
    // Header with the given expanded length, then the items.
    std::string Build(uint32_t nExpandedLength, char cReplaced = '\0') const {
        return SzddHeader(nExpandedLength, cReplaced) + m_strBody;
    }
    // The items alone, without a header.
    const std::string& Body() const { return m_strBody; }

private:
    void Flag(bool bLiteral) {
        if (m_nBits == 8) {
            m_nFlagPos = m_strBody.size();
            m_strBody.push_back('\0');
            m_nBits = 0;
        }
        if (bLiteral) m_strBody[m_nFlagPos] = static_cast<char>(m_strBody[m_nFlagPos] | (1 << m_nBits));
        ++m_nBits;
    }

    std::string m_strBody;
    size_t m_nFlagPos = 0;
    unsigned m_nBits = 8;
};

namespace szdd_detail {

// The LZSS items of data for a ring first written at nRingStart. Greedy matching
// over hash chains; matches may overlap the bytes they produce, as the format allows.
inline std::string LzssBody(const std::string& data, unsigned nRingStart) {
    const size_t n = data.size();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(data.data());
    constexpr unsigned kHashBits = 15;
    constexpr int kMaxChain = 24;
    std::vector<int64_t> head(size_t(1) << kHashBits, -1);
    std::vector<int64_t> prev(kWindow, -1);
    auto hash = [&](size_t i) {
        uint32_t v = (uint32_t(p[i]) << 16) | (uint32_t(p[i + 1]) << 8) | p[i + 2];
        return (v * 2654435761u) >> (32 - kHashBits);
    };
    auto insert = [&](size_t i) {
        if (i + 2 >= n) return;
        uint32_t h = hash(i);
        prev[i % kWindow] = head[h];
        head[h] = static_cast<int64_t>(i);
    };

    std::string out;
    out.reserve(n + n / 8 + 16);
    size_t i = 0;
    unsigned nBits = 8;
    size_t nFlagPos = 0;
    auto flag = [&](bool bLiteral) {
        if (nBits == 8) {
            nFlagPos = out.size();
            out.push_back('\0');
            nBits = 0;
        }
        if (bLiteral) out[nFlagPos] = static_cast<char>(out[nFlagPos] | (1 << nBits));
        ++nBits;
    };
    while (i < n) {
        size_t nBestLen = 0, nBestPos = 0;
        if (i + kMinMatch <= n) {
            int64_t cand = head[hash(i)];
            int nChain = kMaxChain;
            size_t nLimit = std::min<size_t>(kMaxMatch, n - i);
            while (cand >= 0 && nChain-- > 0 && i - static_cast<size_t>(cand) < kWindow) {
                size_t c = static_cast<size_t>(cand);
                size_t len = 0;
                while (len < nLimit && p[c + len] == p[i + len]) ++len;
                if (len > nBestLen) {
                    nBestLen = len;
                    nBestPos = c;
                    if (len == nLimit) break;
                }
                int64_t nx = prev[c % kWindow];
                if (nx >= cand) break;  // the slot was reused by a newer position
                cand = nx;
            }
        }
        if (nBestLen >= kMinMatch) {
            unsigned nOffset = (nRingStart + static_cast<unsigned>(nBestPos)) & (kWindow - 1);
            flag(false);
            out.push_back(static_cast<char>(nOffset & 0xFF));
            out.push_back(static_cast<char>(((nOffset >> 4) & 0xF0) | (nBestLen - kMinMatch)));
            for (size_t k = 0; k < nBestLen; ++k) insert(i + k);
            i += nBestLen;
        } else {
            flag(true);
            out.push_back(static_cast<char>(p[i]));
            insert(i);
            ++i;
        }
    }
    return out;
}

}  // namespace szdd_detail

// Compresses data into a complete SZDD file.
inline std::string SzddCompress(const std::string& data, char cReplaced = '\0') {
    return SzddHeader(static_cast<uint32_t>(data.size()), cReplaced) + szdd_detail::LzssBody(data, szdd_detail::kStart);
}

// Compresses data into a complete file of the short-header variant.
inline std::string ShortSzddCompress(const std::string& data) {
    return ShortSzddHeader(static_cast<uint32_t>(data.size())) + szdd_detail::LzssBody(data, szdd_detail::kShortStart);
}

// Writes bytes to a file, replacing it. False when the file cannot be written.
inline bool SzddWriteFile(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}

// Compresses data and writes the SZDD file.
inline bool SzddWriteCompressedFile(const std::string& path, const std::string& data, char cReplaced = '\0') {
    return SzddWriteFile(path, SzddCompress(data, cReplaced));
}

// Reads a whole file. False when it cannot be opened or read.
inline bool SzddReadFile(const std::string& path, std::string* pBytes) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    pBytes->clear();
    char buf[65536];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) pBytes->append(buf, got);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}
