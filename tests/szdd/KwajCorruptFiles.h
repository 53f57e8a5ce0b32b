// Test data for the KWAJ decoder and the entries that use it: text-like data,
// and tables of corrupt files with the error each must give.
#pragma once
#include "lz/LzError.h"
#include "tests/szdd/KwajWriter.h"

#include <random>
#include <string>
#include <vector>

// Lines of words from a small skewed vocabulary: repeats near and far, as in text.
inline std::string TextLike(size_t nSize, unsigned nSeed) {
    std::mt19937 rng(nSeed);
    std::vector<std::string> words(500);
    for (std::string& w : words)
        for (size_t n = 2 + rng() % 8; w.size() < n;) w.push_back(static_cast<char>('a' + rng() % 26));
    std::string s;
    while (s.size() < nSize) {
        size_t r = rng() % 500;
        s += words[r * r / 500];
        s += rng() % 12 ? " " : "\r\n";
    }
    s.resize(nSize);
    return s;
}

// Cases of a table: a file, and what expanding it must give.
struct KwajBadFile {
    const char* pszWhat;
    std::string strFile;
    int64_t nCode;
};

inline std::string Cut(std::string s, size_t nFromEnd) { return s.substr(0, s.size() - nFromEnd); }

inline std::string WithLength(const std::string& data, unsigned nMethod, uint32_t nLength) {
    KwajOptions o;
    o.nLength = nLength;
    return KwajHeader(nMethod, o) + KwajBody(data, nMethod, o);
}

// Method 3 data with hand-made length lists: type nibbles, then bits.
inline std::string LzhTables(const std::vector<std::pair<uint32_t, unsigned>>& bits) {
    KwajBitWriter w;
    for (auto [v, n] : bits) w.Put(v, n);
    KwajOptions o;
    o.nFlags = 0;
    return KwajHeader(3, o) + w.Finish() + std::string(8, '\0');
}

inline std::vector<KwajBadFile> KwajBadHeaders() {
    std::vector<KwajBadFile> cases;
    const char* aszField[] = {"length", "unknown 2 bytes", "unknown counted", "name", "extension", "text"};
    for (unsigned nBit = 0; nBit < 6; ++nBit) {
        KwajOptions o;
        o.nFlags = 1u << nBit;
        // The file ending inside the field.
        cases.push_back({aszField[nBit], Cut(KwajHeader(0, o), 1), LZ_ERROR_CORRUPT});
    }
    KwajOptions all;
    all.nFlags = 63;
    cases.push_back({"all fields, cut in the middle", KwajHeader(0, all).substr(0, 24), LZ_ERROR_CORRUPT});
    KwajOptions none;
    none.nFlags = 0;
    cases.push_back({"data offset inside the fixed part", KwajHeader(0, none, 13) + "data", LZ_ERROR_CORRUPT});
    cases.push_back({"data offset 0", KwajHeader(0, none, 0) + "data", LZ_ERROR_CORRUPT});
    cases.push_back({"data offset past the end", KwajHeader(0, none, 14 + 5) + "data", LZ_ERROR_READ});
    cases.push_back({"fixed part cut short", KwajHeader(0, none).substr(0, 12), LZ_ERROR_READ});
    KwajOptions name;
    name.nFlags = kKwajName;
    name.strName = "LONGNAME9";
    cases.push_back({"name of nine characters", KwajHeader(0, name) + "data", LZ_ERROR_CORRUPT});
    KwajOptions ext;
    ext.nFlags = kKwajExt;
    ext.strExt = "HTML";
    cases.push_back({"extension of four characters", KwajHeader(0, ext) + "data", LZ_ERROR_CORRUPT});
    cases.push_back({"method 5", KwajHeader(5, none) + "data", LZ_ERROR_UNKNOWNALG});
    cases.push_back({"method 65535", KwajHeader(0xFFFF, none) + "data", LZ_ERROR_UNKNOWNALG});
    return cases;
}

inline std::vector<KwajBadFile> KwajBadData() {
    std::vector<KwajBadFile> cases;
    std::string data = TextLike(80000, 6);
    const char* aszMethod[] = {"stored", "xor", "lzss", "lzh", "deflate"};
    for (unsigned nMethod = 0; nMethod <= 4; ++nMethod)
        cases.push_back({aszMethod[nMethod], WithLength(data, nMethod, 80001), LZ_ERROR_READ});
    // Sixteen lengths of 1 for sixteen symbols over-subscribe the code.
    std::vector<std::pair<uint32_t, unsigned>> over = {{3, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}};
    for (int i = 0; i < 16; ++i) over.push_back({1, 4});
    cases.push_back({"over-subscribed lengths", LzhTables(over), LZ_ERROR_CORRUPT});
    // Type 2 going one below a length of 0.
    cases.push_back({"negative length", LzhTables({{2, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 2}}),
                     LZ_ERROR_CORRUPT});
    cases.push_back({"storage type 4", LzhTables({{4, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}}), LZ_ERROR_CORRUPT});
    KwajOptions none;
    none.nFlags = 0;
    cases.push_back({"length lists cut off", KwajHeader(3, none) + std::string("\x33\x33\x30", 3), LZ_ERROR_READ});

    std::string deflate = KwajDeflateBody(data);
    std::string noCk = deflate;
    noCk[2] = 'C';
    noCk[3] = 'C';
    cases.push_back({"block without CK", KwajHeader(4, none) + noCk, LZ_ERROR_CORRUPT});
    cases.push_back({"missing final empty block", KwajHeader(4, none) + Cut(deflate, 2), LZ_ERROR_READ});
    cases.push_back({"final block of one byte", KwajHeader(4, none) + Cut(deflate, 1), LZ_ERROR_READ});
    cases.push_back({"file ends inside a block", KwajHeader(4, none) + deflate.substr(0, 1000), LZ_ERROR_READ});
    cases.push_back({"block of length 1", KwajHeader(4, none) + std::string("\x01\x00" "CK", 4), LZ_ERROR_CORRUPT});
    cases.push_back({"Deflate data that is no Deflate",
                     KwajHeader(4, none) + std::string("\x06\x00" "CK\xFF\xFF\xFF\xFF\x00\x00", 10), LZ_ERROR_CORRUPT});
    // The first block's Deflate stream runs past its block into the next one.
    std::string longer = deflate;
    unsigned nShorter = (uint8_t(longer[0]) | uint8_t(longer[1]) << 8) - 100;
    longer[0] = static_cast<char>(nShorter & 0xFF);
    longer[1] = static_cast<char>(nShorter >> 8);
    cases.push_back({"Deflate stream longer than its block", KwajHeader(4, none) + longer, LZ_ERROR_CORRUPT});
    return cases;
}

