#include "lz/ExpandStream.h"
#include "lz/Cabinet.h"
#include "lz/Formats.h"
#include "lz/KwajStream.h"
#include "lz/LzError.h"
#include "lz/StoredStream.h"
#include "lz/SzddStream.h"

#include <memory>
#include <new>

namespace lz {

int64_t ExpandStream(ByteSource& source, ByteSink& sink) {
    std::unique_ptr<uint8_t[]> pIn(new (std::nothrow) uint8_t[Input::kCapacity]);
    if (!pIn) return LZ_ERROR_GLOBALLOC;
    Input in(source, pIn.get());
    in.Fill(kSzddHeaderSize);
    if (in.Failed()) return LZ_ERROR_READ;
    const uint8_t* h = in.Data();
    switch (DetectFormat(h, in.Available())) {
    case Format::kPlain:
        return CopyStored(in, sink, kLengthUnknown, 0);
    case Format::kSzdd:
        if (in.Available() < kSzddHeaderSize) return LZ_ERROR_READ;
        if (h[8] != 'A') return LZ_ERROR_UNKNOWNALG;
        in.Skip(kSzddHeaderSize);
        return ExpandLzss(in, sink, kSzddRingStart, ReadLe32(h + 10));
    case Format::kShortSzdd:
        if (in.Available() < kShortHeaderSize) return LZ_ERROR_READ;
        in.Skip(kShortHeaderSize);
        return ExpandLzss(in, sink, kShortRingStart, ReadLe32(h + 8));
    case Format::kKwaj:
        return ExpandKwaj(in, sink);
    case Format::kCabinet:
        // The cabinet reader goes its own ways through the file, from its start.
        return source.Seek(0) ? ExpandCabinet(source, sink) : int64_t{LZ_ERROR_READ};
    }
    return LZ_ERROR_UNKNOWNALG;
}

}  // namespace lz
