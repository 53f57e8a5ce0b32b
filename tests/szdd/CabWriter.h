// Makes cabinets for tests: one folder of members, stored, MSZIP (through zlib) or
// LZX in uncompressed blocks, which every LZX reader takes; or the data blocks of a
// folder taken from another cabinet, for methods no test can compress (Quantum).
// Header-only, like SzddWriter.h.
//
//   std::string cab = CabCompress("data", "acpi.sys", kCabMszip);
#pragma once
#include "tests/szdd/SzddWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

enum : uint16_t {
    kCabStored = 0,
    kCabMszip = 1,
    kCabQuantum = 2,
    kCabLzx = 3,
};
// LZX with a window of 2^nBits bytes (15 to 21).
constexpr uint16_t CabLzx(unsigned nBits) { return static_cast<uint16_t>(kCabLzx | (nBits << 8)); }
// The data of one uncompressed LZX block: a whole number of 32 KiB frames.
constexpr size_t kCabLzxBlock = size_t(8) << 20;
// Header flags: one of a set.
enum : uint16_t { kCabHasPrevious = 1, kCabHasNext = 2 };

struct CabMember {
    std::string strName;
    std::string data;
    uint16_t nDate = (20 << 9) | (7 << 5) | 14;  // 2000-07-14
    uint16_t nTime = (9 << 11) | (30 << 5) | 5;  // 09:30:10
    uint16_t nAttributes = 0x20;
};

// One data block: its bytes as stored and the length they expand to.
struct CabBlock {
    std::string strData;
    unsigned nExpanded;
};

namespace cab_detail {

// Little-endian fields of the given widths in bytes.
inline void Put(std::string& s, std::initializer_list<std::pair<uint32_t, int>> fields) {
    for (const auto& field : fields)
        for (int i = 0; i < field.second; ++i) s.push_back(static_cast<char>(field.first >> (8 * i)));
}
inline unsigned Le16(const std::string& s, size_t i) { return uint8_t(s[i]) | (uint8_t(s[i + 1]) << 8); }
inline uint32_t Le32(const std::string& s, size_t i) { return Le16(s, i) | (uint32_t(Le16(s, i + 2)) << 16); }

}  // namespace cab_detail

// Pieces of 32768 bytes each, in the blocks of the method (stored, MSZIP or LZX).
inline std::vector<CabBlock> CabBlocks(const std::string& data, uint16_t nCompression) {
    std::vector<CabBlock> blocks;
    const unsigned nMethod = nCompression & 0x0F;
    z_stream z = {};
    deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::vector<unsigned char> buf(70000);
    for (size_t nPos = 0; nPos < data.size() || blocks.empty(); nPos += 32768) {
        const size_t nPiece = std::min<size_t>(32768, data.size() - nPos);
        std::string piece = data.substr(nPos, nPiece);
        if (nMethod == kCabMszip) {
            // A raw Deflate stream after "CK", with the pieces before it as history.
            deflateReset(&z);
            const size_t nHistory = std::min<size_t>(nPos, 32768);
            if (nHistory)
                deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(data.data() + nPos - nHistory),
                                     static_cast<uInt>(nHistory));
            z.next_in = reinterpret_cast<Bytef*>(&piece[0]);
            z.avail_in = static_cast<uInt>(nPiece);
            z.next_out = buf.data();
            z.avail_out = static_cast<uInt>(buf.size());
            deflate(&z, Z_FINISH);
            piece = "CK" + std::string(reinterpret_cast<const char*>(buf.data()), buf.size() - z.avail_out);
        } else if (nMethod == kCabLzx && nPos % kCabLzxBlock == 0) {
            // An uncompressed block per 8 MiB: the first after the bit that says no
            // translation follows, each with its type (3) and 24-bit length, padded to
            // the next 16-bit word; then R0, R1, R2.
            const uint32_t nLength = static_cast<uint32_t>(std::min<size_t>(kCabLzxBlock, data.size() - nPos));
            const uint32_t v = nPos == 0 ? (3u << 28) | (nLength << 4) : (3u << 29) | (nLength << 5);
            std::string head;
            cab_detail::Put(head, {{v >> 16, 2}, {v & 0xFFFF, 2}, {1, 4}, {1, 4}, {1, 4}});
            piece = head + piece;
        }
        if (nMethod == kCabLzx && nPos + nPiece == data.size() && data.size() % 2) piece += '\0';
        blocks.push_back({piece, static_cast<unsigned>(nPiece)});
    }
    deflateEnd(&z);
    return blocks;
}

// A cabinet of the members, in one folder of the blocks given (their expanded bytes
// are the members' data, one after the other), without checksums.
inline std::string CabBuild(const std::vector<CabMember>& members, uint16_t nCompression,
                            const std::vector<CabBlock>& blocks, uint16_t nFlags = 0) {
    using cab_detail::Put;
    std::string sets;
    if (nFlags & kCabHasPrevious) sets += std::string("prev.cab\0disk 1\0", 16);
    if (nFlags & kCabHasNext) sets += std::string("next.cab\0disk 3\0", 16);
    std::string files, data;
    uint32_t nOffset = 0;
    for (const CabMember& m : members) {
        Put(files, {{uint32_t(m.data.size()), 4}, {nOffset, 4}, {0, 2}, {m.nDate, 2}, {m.nTime, 2}, {m.nAttributes, 2}});
        files += m.strName + '\0';
        nOffset += static_cast<uint32_t>(m.data.size());
    }
    for (const CabBlock& b : blocks) {
        Put(data, {{0, 4}, {uint32_t(b.strData.size()), 2}, {b.nExpanded, 2}});
        data += b.strData;
    }
    const uint32_t nFiles = static_cast<uint32_t>(36 + sets.size() + 8);
    const uint32_t nData = static_cast<uint32_t>(nFiles + files.size());
    std::string s("MSCF");
    Put(s, {{0, 4}, {uint32_t(nData + data.size()), 4}, {0, 4}, {nFiles, 4}, {0, 4}, {0x0103, 2}, {1, 2},
            {uint32_t(members.size()), 2}, {nFlags, 2}, {0x1234, 2}, {(nFlags & kCabHasPrevious) ? 1u : 0u, 2}});
    s += sets;
    Put(s, {{nData, 4}, {uint32_t(blocks.size()), 2}, {nCompression, 2}});
    return s + files + data;
}

// A cabinet of the members, compressed with the method.
inline std::string CabArchive(const std::vector<CabMember>& members, uint16_t nCompression, uint16_t nFlags = 0) {
    std::string all;
    for (const CabMember& m : members) all += m.data;
    return CabBuild(members, nCompression, CabBlocks(all, nCompression), nFlags);
}

// A cabinet of one file, as installation media have them.
inline std::string CabCompress(const std::string& data, const std::string& strName, uint16_t nCompression) {
    return CabArchive({{strName, data}}, nCompression);
}

// The compression and the data blocks of folder nFolder of a cabinet without
// reserved fields; an empty list when it has no such folder.
inline std::vector<CabBlock> CabFolderBlocks(const std::string& cab, unsigned nFolder, uint16_t* pCompression) {
    using cab_detail::Le16;
    std::vector<CabBlock> blocks;
    if (cab.size() < 36 || nFolder >= Le16(cab, 26)) return blocks;
    const size_t nEntry = 36 + 8 * size_t(nFolder);
    *pCompression = static_cast<uint16_t>(Le16(cab, nEntry + 6));
    size_t nPos = cab_detail::Le32(cab, nEntry);
    for (unsigned n = Le16(cab, nEntry + 4); n > 0 && nPos + 8 <= cab.size(); --n) {
        const unsigned nStored = Le16(cab, nPos + 4);
        blocks.push_back({cab.substr(nPos + 8, nStored), Le16(cab, nPos + 6)});
        nPos += 8 + nStored;
    }
    return blocks;
}
