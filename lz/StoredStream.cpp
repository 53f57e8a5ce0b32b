#include "lz/StoredStream.h"
#include "lz/LzError.h"

namespace lz {

int64_t CopyStored(Input& in, ByteSink& sink, uint64_t nLength, uint8_t nXor) {
    uint8_t aXored[16 * 1024];
    int64_t nTotal = 0;
    uint64_t nLeft = nLength;
    while (nLeft > 0) {
        in.Fill(Input::kCapacity);
        if (in.Failed()) return LZ_ERROR_READ;
        size_t n = in.Available();
        if (n == 0) break;
        if (n > nLeft) n = static_cast<size_t>(nLeft);
        const uint8_t* p = in.Data();
        if (nXor != 0) {
            if (n > sizeof aXored) n = sizeof aXored;
            for (size_t i = 0; i < n; ++i) aXored[i] = static_cast<uint8_t>(p[i] ^ nXor);
            p = aXored;
        }
        if (!sink.Write(p, n)) return LZ_ERROR_WRITE;
        in.Skip(n);
        nLeft -= n;
        nTotal += static_cast<int64_t>(n);
    }
    if (nLength != kLengthUnknown && nLeft > 0) return LZ_ERROR_READ;
    return nTotal;
}

}  // namespace lz
