// Cabinets ("MSCF"): the members a cabinet lists and their data, decoded by libmspack
// (stored, MSZIP, Quantum, LZX), which reads and writes only through the streams given
// here. Memory use is fixed by the method: LZX's window of at most 2 MiB is the largest.
#pragma once
#include "lz/ByteStream.h"

#include <memory>
#include <string>
#include <vector>

namespace lz {

// The compression of a member's folder: the method in the low four bits, LZX's
// window (15 to 21 bits) in bits 8 to 12.
enum CabinetMethod : uint16_t {
    kCabinetStored = 0,
    kCabinetMszip = 1,
    kCabinetQuantum = 2,
    kCabinetLzx = 3,
};

// When a member was last written, as its entry records it: the local time of the
// system that made the cabinet, fields as recorded (not checked).
struct CabinetTime {
    int nYear = 1980, nMonth = 0, nDay = 0;
    int nHour = 0, nMinute = 0, nSecond = 0;
};

struct CabinetMember {
    // As recorded: '\' between folders; UTF-8 when bUtf8Name, else in the code page of
    // the system that made the cabinet. Data, never a path.
    std::string strName;
    bool bUtf8Name = false;
    uint32_t nSize = 0;
    CabinetTime time;
    uint16_t nCompression = 0;
};

class Cabinet {
public:
    Cabinet();
    ~Cabinet();
    Cabinet(const Cabinet&) = delete;
    Cabinet& operator=(const Cabinet&) = delete;

    // Reads the header and the entries of the cabinet that starts at the source's
    // first byte. The source must be able to seek, and outlive the cabinet. Returns 0,
    // or LZ_ERROR_READ (it cannot be read, or ends inside its entries),
    // LZ_ERROR_CORRUPT (no sound cabinet) or LZ_ERROR_GLOBALLOC.
    int32_t Open(ByteSource& source);
    // The members, in the order of their entries.
    const std::vector<CabinetMember>& Members() const { return m_members; }
    // True when the cabinet is one of a set: its data continues from or into another.
    bool Spanned() const { return m_bSpanned; }
    // Writes member nIndex into the sink. Returns its size, or LZ_ERROR_READ (the data
    // ends early), LZ_ERROR_CORRUPT (bad data or checksum), LZ_ERROR_UNKNOWNALG (a method
    // above LZX), LZ_ERROR_WRITE, LZ_ERROR_GLOBALLOC. What was decoded before an error
    // has been written.
    int64_t Extract(size_t nIndex, ByteSink& sink);

    struct Reader;

private:
    std::unique_ptr<Reader> m_pReader;
    std::vector<CabinetMember> m_members;
    bool m_bSpanned = false;
};

// The expanded form of a cabinet that holds one file whole, from the source's first
// byte: its size, or LZ_ERROR_ARCHIVE (several members), LZ_ERROR_SPANNED (one of a
// set), or an error of Open or Extract.
int64_t ExpandCabinet(ByteSource& source, ByteSink& sink);

}  // namespace lz
