#include "lz/KwajStream.h"
#include "lz/KwajDeflateStream.h"
#include "lz/KwajHeader.h"
#include "lz/KwajLzhStream.h"
#include "lz/LzError.h"
#include "lz/StoredStream.h"
#include "lz/SzddStream.h"

namespace lz {

static_assert(Input::kCapacity >= kKwajMaxHeader, "the whole header fits the input buffer");

int64_t ExpandKwaj(Input& in, ByteSink& sink) {
    // The decoder reads these bytes next anyway.
    in.Fill(kKwajMaxHeader);
    if (in.Failed()) return LZ_ERROR_READ;
    KwajHeader header;
    const KwajHeaderFault eFault = ParseKwajHeader(in.Data(), in.Available(), &header);
    if (eFault != KwajHeaderFault::kNone) return KwajHeaderError(eFault);
    if (header.nMethod > kKwajDeflate) return LZ_ERROR_UNKNOWNALG;
    in.Skip(header.nDataOffset);

    const uint64_t nLength = header.bHasLength ? header.nLength : kLengthUnknown;
    switch (header.nMethod) {
    case kKwajStored: return CopyStored(in, sink, nLength, 0);
    case kKwajXor: return CopyStored(in, sink, nLength, 0xFF);
    case kKwajLzss: return ExpandLzss(in, sink, kShortRingStart, nLength);
    case kKwajLzh: return ExpandKwajLzh(in, sink, nLength);
    default: return ExpandKwajDeflate(in, sink, nLength);
    }
}

}  // namespace lz
