#include "lz/KwajDeflateStream.h"
#include "lz/Formats.h"
#include "lz/LzError.h"

#include <zlib.h>

#include <memory>
#include <new>

namespace lz {

namespace {

constexpr size_t kOutCap = 64 * 1024;
constexpr size_t kBlockHeader = 4;  // the length, then "CK"

class Inflater {
public:
    Inflater(Input& in, ByteSink& sink, uint64_t nLength, uint8_t* pOut)
        : m_in(in), m_sink(sink), m_nLeft(nLength), m_pOut(pOut) {}
    ~Inflater() {
        if (m_bOpen) inflateEnd(&m_z);
    }

    int64_t Run();

private:
    int32_t Block(size_t nDeflate);
    int32_t StartStream();
    bool Emit(size_t nProduced);

    Input& m_in;
    ByteSink& m_sink;
    uint64_t m_nLeft;
    uint8_t* m_pOut;
    z_stream m_z = {};
    bool m_bOpen = false;
    int64_t m_nWritten = 0;
};

int64_t Inflater::Run() {
    for (;;) {
        m_in.Fill(kBlockHeader);
        if (m_in.Failed()) return LZ_ERROR_READ;
        const uint8_t* p = m_in.Data();
        if (m_in.Available() < 2) return LZ_ERROR_READ;  // no final empty block
        size_t n = ReadLe16(p);
        if (n == 0) break;
        if (m_in.Available() < kBlockHeader) return LZ_ERROR_READ;
        if (n < 2 || p[2] != 'C' || p[3] != 'K') return LZ_ERROR_CORRUPT;
        m_in.Skip(kBlockHeader);
        int32_t nResult = Block(n - 2);
        if (nResult < 0) return nResult;
    }
    m_in.Skip(2);
    if (m_nLeft != kLengthUnknown && m_nLeft > 0) return LZ_ERROR_READ;
    return m_nWritten;
}

// A fresh Deflate stream whose history is all that was expanded before: the
// reset that keeps zlib's window, so the history is not copied out and back.
int32_t Inflater::StartStream() {
    if (m_bOpen) return inflateResetKeep(&m_z) == Z_OK ? 0 : LZ_ERROR_GLOBALLOC;
    if (inflateInit2(&m_z, -MAX_WBITS) != Z_OK) return LZ_ERROR_GLOBALLOC;
    m_bOpen = true;
    return 0;
}

// One block of nDeflate bytes of Deflate data; bytes after its final Deflate block are skipped.
int32_t Inflater::Block(size_t nDeflate) {
    int32_t nStart = StartStream();
    if (nStart < 0) return nStart;
    int nZ = Z_OK;
    while (nZ != Z_STREAM_END) {
        m_in.Fill(nDeflate < Input::kCapacity ? nDeflate : Input::kCapacity);
        if (m_in.Failed()) return LZ_ERROR_READ;
        size_t nIn = m_in.Available() < nDeflate ? m_in.Available() : nDeflate;
        m_z.next_in = const_cast<Bytef*>(m_in.Data());
        m_z.avail_in = static_cast<uInt>(nIn);
        m_z.next_out = m_pOut;
        m_z.avail_out = static_cast<uInt>(kOutCap);
        nZ = inflate(&m_z, Z_NO_FLUSH);
        size_t nUsed = nIn - m_z.avail_in;
        m_in.Skip(nUsed);
        nDeflate -= nUsed;
        size_t nProduced = kOutCap - m_z.avail_out;
        if (!Emit(nProduced)) return LZ_ERROR_WRITE;
        if (nZ == Z_MEM_ERROR) return LZ_ERROR_GLOBALLOC;
        if (nZ != Z_OK && nZ != Z_STREAM_END && nZ != Z_BUF_ERROR) return LZ_ERROR_CORRUPT;
        // Without progress the Deflate stream wants more than there is: more than its
        // block holds (a wrong block length), or more than the file holds.
        if (nZ != Z_STREAM_END && nUsed == 0 && nProduced == 0)
            return nDeflate == 0 ? LZ_ERROR_CORRUPT : LZ_ERROR_READ;
    }
    while (nDeflate > 0) {
        m_in.Fill(1);
        if (m_in.Failed() || m_in.Available() == 0) return LZ_ERROR_READ;
        size_t n = m_in.Available() < nDeflate ? m_in.Available() : nDeflate;
        m_in.Skip(n);
        nDeflate -= n;
    }
    return 0;
}

// Writes what inflate produced, never beyond the expanded length.
bool Inflater::Emit(size_t nProduced) {
    size_t nOut = nProduced < m_nLeft ? nProduced : static_cast<size_t>(m_nLeft);
    if (nOut > 0 && !m_sink.Write(m_pOut, nOut)) return false;
    if (m_nLeft != kLengthUnknown) m_nLeft -= nOut;
    m_nWritten += static_cast<int64_t>(nOut);
    return true;
}

}  // namespace

int64_t ExpandKwajDeflate(Input& in, ByteSink& sink, uint64_t nLength) {
    std::unique_ptr<uint8_t[]> pOut(new (std::nothrow) uint8_t[kOutCap]);
    if (!pOut) return LZ_ERROR_GLOBALLOC;
    Inflater inflater(in, sink, nLength, pOut.get());
    return inflater.Run();
}

}  // namespace lz
