#include "lz/Cabinet.h"
#include "lz/LzError.h"

#include <mspack.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace lz {

namespace {

// The only two files the library is let open: the cabinet (for reading, as often as
// it likes) and the output of one extraction.
const char kSourceName[] = "<cabinet>";
const char kSinkName[] = "<member>";

struct System;

// One open file of the library's: a reading position of its own over the one
// source, or the sink.
struct Handle {
    System* pSystem;
    bool bSink;
    int64_t nPos;
};

// The library's view of the world: our streams and the C heap.
struct System {
    mspack_system calls;  // first, so the library's pointer is ours
    ByteSource* pSource = nullptr;
    ByteSink* pSink = nullptr;
    int64_t nSourcePos = -1;  // where the source stands; -1 when not known
};

Handle* AsHandle(mspack_file* pFile) { return reinterpret_cast<Handle*>(pFile); }

mspack_file* SysOpen(mspack_system* pSelf, const char* pszName, int nMode) {
    System* pSystem = reinterpret_cast<System*>(pSelf);
    const bool bSource = nMode == MSPACK_SYS_OPEN_READ && std::strcmp(pszName, kSourceName) == 0;
    const bool bSink = nMode == MSPACK_SYS_OPEN_WRITE && std::strcmp(pszName, kSinkName) == 0;
    if ((!bSource && !bSink) || (bSink && !pSystem->pSink)) return nullptr;
    Handle* pHandle = new (std::nothrow) Handle{pSystem, bSink, 0};
    return reinterpret_cast<mspack_file*>(pHandle);
}

void SysClose(mspack_file* pFile) { delete AsHandle(pFile); }

// The library may call with no file: after a block that claims to continue in another
// cabinet it drops its handle but keeps its state, and the next member reads on.
int SysRead(mspack_file* pFile, void* pBuffer, int nBytes) {
    Handle* h = AsHandle(pFile);
    if (!h || h->bSink || nBytes < 0) return -1;
    System* s = h->pSystem;
    if (s->nSourcePos != h->nPos) {
        s->nSourcePos = -1;
        if (!s->pSource->Seek(static_cast<uint64_t>(h->nPos))) return -1;
        s->nSourcePos = h->nPos;
    }
    // The library takes a short count for the end of the file: fill what is asked.
    auto* p = static_cast<uint8_t*>(pBuffer);
    int nGot = 0;
    while (nGot < nBytes) {
        const int64_t n = s->pSource->Read(p + nGot, static_cast<size_t>(nBytes - nGot));
        if (n < 0) {
            s->nSourcePos = -1;
            return -1;
        }
        if (n == 0) break;
        nGot += static_cast<int>(n);
    }
    h->nPos += nGot;
    s->nSourcePos = h->nPos;
    return nGot;
}

int SysWrite(mspack_file* pFile, void* pBuffer, int nBytes) {
    Handle* h = AsHandle(pFile);
    if (!h || !h->bSink || nBytes < 0) return -1;
    if (!h->pSystem->pSink->Write(static_cast<const uint8_t*>(pBuffer), static_cast<size_t>(nBytes))) return -1;
    h->nPos += nBytes;
    return nBytes;
}

int SysSeek(mspack_file* pFile, off_t nOffset, int nMode) {
    Handle* h = AsHandle(pFile);
    if (!h || h->bSink) return -1;
    int64_t nBase = 0;
    if (nMode == MSPACK_SYS_SEEK_CUR)
        nBase = h->nPos;
    else if (nMode == MSPACK_SYS_SEEK_END)
        nBase = h->pSystem->pSource->Size();
    else if (nMode != MSPACK_SYS_SEEK_START)
        return -1;
    const int64_t nPos = nBase + static_cast<int64_t>(nOffset);
    if (nBase < 0 || nPos < 0) return -1;
    h->nPos = nPos;
    return 0;
}

off_t SysTell(mspack_file* pFile) { return pFile ? static_cast<off_t>(AsHandle(pFile)->nPos) : 0; }

// The library's warnings (a truncated cabinet, a bad checksum) are told by its results.
void SysMessage(mspack_file*, const char*, ...) {}

// Zeroed: damaged data may copy from window bytes that nothing has written yet, and
// those must be the same zeros every time, never what the heap held before.
void* SysAlloc(mspack_system*, size_t nBytes) { return std::calloc(1, nBytes); }
void SysFree(void* p) { std::free(p); }
void SysCopy(void* pFrom, void* pTo, size_t nBytes) { std::memmove(pTo, pFrom, nBytes); }

int32_t ErrorOf(int nMspackError) {
    switch (nMspackError) {
    case MSPACK_ERR_OPEN:
    case MSPACK_ERR_READ:
    case MSPACK_ERR_SEEK: return LZ_ERROR_READ;
    case MSPACK_ERR_WRITE: return LZ_ERROR_WRITE;
    case MSPACK_ERR_NOMEMORY: return LZ_ERROR_GLOBALLOC;
    default: return LZ_ERROR_CORRUPT;
    }
}

}  // namespace

struct Cabinet::Reader {
    System system;
    mscab_decompressor* pDecompressor = nullptr;
    mscabd_cabinet* pCabinet = nullptr;
    std::vector<mscabd_file*> files;

    Reader() {
        system.calls = {SysOpen, SysClose, SysRead, SysWrite, SysSeek, SysTell, SysMessage, SysAlloc, SysFree, SysCopy, nullptr};
        pDecompressor = mspack_create_cab_decompressor(&system.calls);
    }
    ~Reader() {
        if (pCabinet) pDecompressor->close(pDecompressor, pCabinet);
        if (pDecompressor) mspack_destroy_cab_decompressor(pDecompressor);
    }
};

Cabinet::Cabinet() = default;
Cabinet::~Cabinet() = default;

int32_t Cabinet::Open(ByteSource& source) {
    m_members.clear();
    m_bSpanned = false;
    m_pReader.reset(new (std::nothrow) Reader);
    if (!m_pReader || !m_pReader->pDecompressor) return LZ_ERROR_GLOBALLOC;
    Reader& r = *m_pReader;
    r.system.pSource = &source;
    r.pCabinet = r.pDecompressor->open(r.pDecompressor, kSourceName);
    if (!r.pCabinet) return ErrorOf(r.pDecompressor->last_error(r.pDecompressor));
    m_bSpanned = (r.pCabinet->flags & (MSCAB_HDR_PREVCAB | MSCAB_HDR_NEXTCAB)) != 0;
    for (mscabd_file* f = r.pCabinet->files; f; f = f->next) {
        CabinetMember m;
        m.strName = f->filename;
        m.bUtf8Name = (f->attribs & MSCAB_ATTRIB_UTF_NAME) != 0;
        m.nSize = f->length;
        m.time = {f->date_y, f->date_m, f->date_d, f->time_h, f->time_m, f->time_s};
        m.nCompression = static_cast<uint16_t>(f->folder->comp_type);
        m_members.push_back(std::move(m));
        r.files.push_back(f);
    }
    return 0;
}

int64_t Cabinet::Extract(size_t nIndex, ByteSink& sink) {
    if (!m_pReader || nIndex >= m_members.size()) return LZ_ERROR_READ;
    if ((m_members[nIndex].nCompression & 0x0F) > kCabinetLzx) return LZ_ERROR_UNKNOWNALG;
    Reader& r = *m_pReader;
    r.system.pSink = &sink;
    const int nError = r.pDecompressor->extract(r.pDecompressor, r.files[nIndex], kSinkName);
    r.system.pSink = nullptr;
    return nError == MSPACK_ERR_OK ? int64_t{m_members[nIndex].nSize} : int64_t{ErrorOf(nError)};
}

int64_t ExpandCabinet(ByteSource& source, ByteSink& sink) {
    Cabinet cabinet;
    const int32_t nOpen = cabinet.Open(source);
    if (nOpen < 0) return nOpen;
    if (cabinet.Spanned()) return LZ_ERROR_SPANNED;
    if (cabinet.Members().size() != 1) return LZ_ERROR_ARCHIVE;
    return cabinet.Extract(0, sink);
}

}  // namespace lz
