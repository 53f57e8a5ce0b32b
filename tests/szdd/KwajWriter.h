// Makes KWAJ files for tests: the header with any of its optional fields, and
// encoders for the five methods (method 3 with a chosen storage type for each
// code length list, method 4 through zlib). Header-only, like SzddWriter.h.
//
//   KwajOptions o;                       // records the length by default
//   o.nFlags |= kKwajExt; o.strExt = "TXT";
//   std::string file = KwajCompress(data, 3, o);
#pragma once
#include "tests/szdd/SzddWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// Flag bits of the optional fields.
enum : unsigned {
    kKwajLength = 1 << 0,
    kKwajUnknown2 = 1 << 1,
    kKwajUnknownN = 1 << 2,
    kKwajName = 1 << 3,
    kKwajExt = 1 << 4,
    kKwajText = 1 << 5,
};

struct KwajOptions {
    unsigned nFlags = kKwajLength;
    uint32_t nLength = 0;  // KwajCompress records the data's own length
    std::string strName = "README";
    std::string strExt = "TXT";
    std::string strUnknown = "??";
    std::string strText = "free text";
    // Storage type (0-3) of the five code length lists of method 3.
    unsigned aLzhTypes[5] = {2, 2, 1, 3, 1};
};

namespace kwaj_detail {

inline void PutLe16(std::string& s, unsigned v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}

// The optional fields that the flags announce, in their order.
inline std::string Fields(const KwajOptions& o) {
    std::string s;
    if (o.nFlags & kKwajLength) szdd_detail::PutLe32(s, o.nLength);
    if (o.nFlags & kKwajUnknown2) s += "\x12\x34";
    if (o.nFlags & kKwajUnknownN) {
        PutLe16(s, static_cast<unsigned>(o.strUnknown.size()));
        s += o.strUnknown;
    }
    if (o.nFlags & kKwajName) s += o.strName + '\0';
    if (o.nFlags & kKwajExt) s += o.strExt + '\0';
    if (o.nFlags & kKwajText) {
        PutLe16(s, static_cast<unsigned>(o.strText.size()));
        s += o.strText;
    }
    return s;
}

}  // namespace kwaj_detail

// The header with the data offset right after the optional fields (or nDataOffset when given).
inline std::string KwajHeader(unsigned nMethod, const KwajOptions& o, int nDataOffset = -1) {
    std::string strFields = kwaj_detail::Fields(o);
    std::string s("KWAJ\x88\xF0\x27\xD1", 8);
    kwaj_detail::PutLe16(s, nMethod);
    kwaj_detail::PutLe16(s, nDataOffset >= 0 ? static_cast<unsigned>(nDataOffset)
                                             : static_cast<unsigned>(14 + strFields.size()));
    kwaj_detail::PutLe16(s, o.nFlags);
    return s + strFields;
}

// Bits most significant first, as method 3 reads them.
class KwajBitWriter {
public:
    void Put(uint32_t nValue, unsigned nBits) {
        for (unsigned i = nBits; i-- > 0;) {
            m_nAcc = (m_nAcc << 1) | ((nValue >> i) & 1);
            if (++m_nBits == 8) {
                m_str.push_back(static_cast<char>(m_nAcc));
                m_nAcc = m_nBits = 0;
            }
        }
    }
    unsigned PendingBits() const { return m_nBits; }
    // Completes the last byte with zero bits.
    std::string Finish() {
        if (m_nBits) Put(0, 8 - m_nBits);
        return m_str;
    }

private:
    std::string m_str;
    unsigned m_nAcc = 0, m_nBits = 0;
};

// One item of method 3: a run of 1-32 literals, or a match of 3-17 bytes from
// nDistance (1-4096) bytes back.
struct LzhItem {
    std::string strLiterals;
    unsigned nLength = 0;
    unsigned nDistance = 0;
};

inline LzhItem LzhLiterals(const std::string& s) { return {s, 0, 0}; }
inline LzhItem LzhMatch(unsigned nLength, unsigned nDistance) { return {"", nLength, nDistance}; }

// What the items produce: the plain meaning of the format, with a history of spaces.
inline std::string LzhApply(const std::vector<LzhItem>& items) {
    std::string s(4096, ' ');
    for (const LzhItem& it : items) {
        s += it.strLiterals;
        for (unsigned k = 0; k < it.nLength; ++k) s.push_back(s[s.size() - it.nDistance]);
    }
    return s.substr(4096);
}

// Greedy items for data: matches where they save bits, literal runs otherwise.
inline std::vector<LzhItem> LzhItems(const std::string& data) {
    std::vector<LzhItem> items;
    const size_t n = data.size();
    std::vector<int64_t> head(1 << 15, -1), prev(4096, -1);
    auto hash = [&](size_t i) {
        uint32_t v = (uint32_t(uint8_t(data[i])) << 16) | (uint32_t(uint8_t(data[i + 1])) << 8) | uint8_t(data[i + 2]);
        return (v * 2654435761u) >> 17;
    };
    auto insert = [&](size_t i) {
        if (i + 2 >= n) return;
        prev[i % 4096] = head[hash(i)];
        head[hash(i)] = static_cast<int64_t>(i);
    };
    size_t i = 0;
    while (i < n) {
        size_t nBest = 0, nDist = 0;
        if (i + 3 <= n) {
            int64_t cand = head[hash(i)];
            for (int nChain = 16; cand >= 0 && nChain-- > 0 && i - size_t(cand) <= 4095; cand = prev[cand % 4096]) {
                size_t len = 0, nLimit = std::min<size_t>(17, n - i);
                while (len < nLimit && data[size_t(cand) + len] == data[i + len]) ++len;
                if (len > nBest) nBest = len, nDist = i - size_t(cand);
                if (prev[cand % 4096] >= cand) break;
            }
        }
        if (nBest >= 3) {
            items.push_back(LzhMatch(static_cast<unsigned>(nBest), static_cast<unsigned>(nDist)));
            for (size_t k = 0; k < nBest; ++k) insert(i + k);
            i += nBest;
        } else {
            if (items.empty() || items.back().nLength || items.back().strLiterals.size() == 32)
                items.push_back(LzhLiterals(""));
            items.back().strLiterals.push_back(data[i]);
            insert(i);
            ++i;
        }
    }
    return items;
}

namespace kwaj_detail {

enum { kMatchLen, kMatchLen2, kLitLen, kOffset, kLiteral, kTables };
const unsigned kSymbols[kTables] = {16, 16, 32, 64, 256};
const unsigned kFixed[kTables] = {4, 4, 5, 6, 8};

// Huffman code lengths of at most 15 bits; every symbol gets a code.
inline std::vector<unsigned> CodeLengths(std::vector<uint64_t> freq) {
    for (uint64_t& f : freq) ++f;
    for (;;) {
        struct Node { uint64_t f; int a, b; };
        std::vector<Node> nodes;
        std::vector<int> live;
        for (size_t s = 0; s < freq.size(); ++s) {
            nodes.push_back({freq[s], -1, -1});
            live.push_back(static_cast<int>(s));
        }
        while (live.size() > 1) {
            std::sort(live.begin(), live.end(), [&](int x, int y) { return nodes[x].f > nodes[y].f; });
            int a = live.back(); live.pop_back();
            int b = live.back(); live.pop_back();
            nodes.push_back({nodes[a].f + nodes[b].f, a, b});
            live.push_back(static_cast<int>(nodes.size() - 1));
        }
        std::vector<unsigned> len(freq.size(), 0);
        std::vector<std::pair<int, unsigned>> stack{{live[0], 0}};
        unsigned nMax = 0;
        while (!stack.empty()) {
            auto [node, depth] = stack.back();
            stack.pop_back();
            if (nodes[node].a < 0) {
                len[node] = std::max(depth, 1u);
                nMax = std::max(nMax, len[node]);
            } else {
                stack.push_back({nodes[node].a, depth + 1});
                stack.push_back({nodes[node].b, depth + 1});
            }
        }
        if (nMax <= 15) return len;
        for (uint64_t& f : freq) f = f / 2 + 1;
    }
}

// Canonical codes from lengths: shorter first, ascending symbols within a length.
inline std::vector<uint32_t> CanonicalCodes(const std::vector<unsigned>& len) {
    std::vector<uint32_t> code(len.size(), 0);
    uint32_t next = 0;
    for (unsigned l = 1; l <= 16; ++l, next <<= 1)
        for (size_t s = 0; s < len.size(); ++s)
            if (len[s] == l) code[s] = next++;
    return code;
}

// A length list in storage type nType (0 writes nothing: the lengths are the fixed ones).
inline void PutLengths(KwajBitWriter& w, unsigned nType, const std::vector<unsigned>& len) {
    if (nType == 0) return;
    for (size_t s = 0; s < len.size(); ++s) {
        if (nType == 3 || s == 0) {
            w.Put(len[s], 4);
        } else if (nType == 1) {
            if (len[s] == len[s - 1]) {
                w.Put(0, 1);
            } else if (len[s] == len[s - 1] + 1) {
                w.Put(2, 2);
            } else {
                w.Put(3, 2);
                w.Put(len[s], 4);
            }
        } else {
            int d = static_cast<int>(len[s]) - static_cast<int>(len[s - 1]);
            if (d >= -1 && d <= 1) {
                w.Put(static_cast<unsigned>(d + 1), 2);
            } else {
                w.Put(3, 2);
                w.Put(len[s], 4);
            }
        }
    }
}

}  // namespace kwaj_detail

// The data of method 3 for the items, with the length lists stored as aTypes says.
// The last byte is completed with the start of a match, which never fits in its
// seven bits at most, so a file without a recorded length ends with the items.
inline std::string KwajLzhBody(const std::vector<LzhItem>& items, const unsigned aTypes[5]) {
    using namespace kwaj_detail;
    std::vector<std::vector<uint64_t>> freq(kTables);
    for (int t = 0; t < kTables; ++t) freq[t].assign(kSymbols[t], 0);
    int cur = kMatchLen;
    for (const LzhItem& it : items) {
        if (it.nLength) {
            ++freq[cur][it.nLength - 2];
            ++freq[kOffset][(it.nDistance & 4095) >> 6];
            cur = kMatchLen;
        } else {
            ++freq[cur][0];
            ++freq[kLitLen][it.strLiterals.size() - 1];
            for (char c : it.strLiterals) ++freq[kLiteral][uint8_t(c)];
            if (it.strLiterals.size() != 32) cur = kMatchLen2;
        }
    }
    std::vector<std::vector<unsigned>> len(kTables);
    std::vector<std::vector<uint32_t>> code(kTables);
    for (int t = 0; t < kTables; ++t) {
        len[t] = aTypes[t] == 0 ? std::vector<unsigned>(kSymbols[t], kFixed[t]) : CodeLengths(freq[t]);
        code[t] = CanonicalCodes(len[t]);
    }
    KwajBitWriter w;
    for (int t = 0; t < kTables; ++t) w.Put(aTypes[t], 4);
    w.Put(0, 4);
    for (int t = 0; t < kTables; ++t) PutLengths(w, aTypes[t], len[t]);
    auto sym = [&](int t, unsigned s) { w.Put(code[t][s], len[t][s]); };
    cur = kMatchLen;
    for (const LzhItem& it : items) {
        if (it.nLength) {
            sym(cur, it.nLength - 2);
            sym(kOffset, (it.nDistance & 4095) >> 6);
            w.Put(it.nDistance & 63, 6);
            cur = kMatchLen;
        } else {
            sym(cur, 0);
            sym(kLitLen, static_cast<unsigned>(it.strLiterals.size() - 1));
            for (char c : it.strLiterals) sym(kLiteral, uint8_t(c));
            if (it.strLiterals.size() != 32) cur = kMatchLen2;
        }
    }
    if (w.PendingBits()) {
        KwajBitWriter pad;
        pad.Put(code[cur][1], len[cur][1]);
        pad.Put(code[kOffset][0], len[kOffset][0]);
        pad.Put(0, 6);
        std::string strPad = pad.Finish();
        unsigned nNeed = 8 - w.PendingBits();
        for (unsigned i = 0; i < nNeed; ++i) w.Put((uint8_t(strPad[i / 8]) >> (7 - i % 8)) & 1, 1);
    }
    return w.Finish();
}

// The data of method 4: pieces of 32768 bytes, each a raw Deflate stream with the
// pieces before it as history, in blocks "n, CK, data", then the empty block.
inline std::string KwajDeflateBody(const std::string& data) {
    std::string out;
    z_stream z = {};
    deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::vector<unsigned char> buf(70000);
    for (size_t nPos = 0; nPos < data.size(); nPos += 32768) {
        size_t nPiece = std::min<size_t>(32768, data.size() - nPos);
        deflateReset(&z);
        size_t nHistory = std::min<size_t>(nPos, 32768);
        if (nHistory)
            deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(data.data() + nPos - nHistory),
                                 static_cast<uInt>(nHistory));
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + nPos));
        z.avail_in = static_cast<uInt>(nPiece);
        z.next_out = buf.data();
        z.avail_out = static_cast<uInt>(buf.size());
        deflate(&z, Z_FINISH);
        size_t n = buf.size() - z.avail_out;
        kwaj_detail::PutLe16(out, static_cast<unsigned>(n + 2));
        out += "CK";
        out.append(reinterpret_cast<const char*>(buf.data()), n);
    }
    deflateEnd(&z);
    return out + std::string(2, '\0');
}

// The data of data in one method (0-4).
inline std::string KwajBody(const std::string& data, unsigned nMethod, const KwajOptions& o) {
    switch (nMethod) {
    case 0: return data;
    case 1: {
        std::string s = data;
        for (char& c : s) c = static_cast<char>(c ^ 0xFF);
        return s;
    }
    case 2: return szdd_detail::LzssBody(data, szdd_detail::kShortStart);
    case 3: return KwajLzhBody(LzhItems(data), o.aLzhTypes);
    default: return KwajDeflateBody(data);
    }
}

// A complete KWAJ file of data; a recorded length is the data's own.
inline std::string KwajCompress(const std::string& data, unsigned nMethod, KwajOptions o = KwajOptions()) {
    o.nLength = static_cast<uint32_t>(data.size());
    return KwajHeader(nMethod, o) + KwajBody(data, nMethod, o);
}
