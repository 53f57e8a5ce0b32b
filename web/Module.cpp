#include "web/Module.h"
#include "core/ExtensionTable.h"
#include "core/HeaderName.h"
#include "core/MbcsText.h"
#include "lz/ByteStream.h"
#include "lz/ExpandStream.h"
#include "lz/Formats.h"
#include "lz/KwajHeader.h"
#include "lz/LzError.h"

#include <cstdlib>
#include <cstring>

#define ZV_EXPORT(name) __attribute__((export_name(#name)))

namespace {

// The longest name, in bytes, that the usual file systems take: longer ones are refused,
// not cut. Texts are kept in fixed buffers: the library's strings report their failures
// on stderr, through WASI.
constexpr size_t kMaxName = 255;

struct Probe {
    ZvFormat eFormat = kZvPlain;
    int32_t nMethod = 0;
    int32_t nFault = 0;
    double fLength = -1;
    ZvRecorded eRecorded = kZvNoneRecorded;
    char szRecorded[sizeof lz::KwajHeader().szExt] = {};
    char cLost = '\0';
};

// The module serves one worker, one call at a time.
Probe g_probe;
ZvRule g_eRule = kZvRuleNone;
ZvNameFault g_eNameFault = kZvNameOk;
char g_szText[kMaxName + 1];

class PageSource : public lz::ByteSource {
public:
    int64_t Read(uint8_t* p, size_t n) override { return zv_source_read(p, static_cast<uint32_t>(n)); }
};

class PageSink : public lz::ByteSink {
public:
    bool Write(const uint8_t* p, size_t n) override { return zv_sink_write(p, static_cast<uint32_t>(n)) != 0; }
};

// Lowers the ASCII letters of a code page 932 text, stepping over double-byte characters,
// whose second byte may look like a letter.
void LowerCodePage932(char* psz) {
    for (unsigned char* p = reinterpret_cast<unsigned char*>(psz); *p; ++p) {
        if (((*p >= 0x81 && *p <= 0x9F) || (*p >= 0xE0 && *p <= 0xFC)) && p[1] != 0)
            ++p;
        else if (*p >= 'A' && *p <= 'Z')
            *p = static_cast<unsigned char>(*p - 'A' + 'a');
    }
}

void ProbeKwaj(const uint8_t* p, uint32_t nBytes, double fFileSize) {
    lz::KwajHeader header;
    const lz::KwajHeaderFault eFault = lz::ParseKwajHeader(p, nBytes, &header);
    if (eFault != lz::KwajHeaderFault::kNone) {
        g_probe.nFault = lz::KwajHeaderError(eFault);
        return;
    }
    g_probe.nMethod = header.nMethod;
    if (header.nMethod > lz::kKwajDeflate) g_probe.nFault = LZ_ERROR_UNKNOWNALG;
    const bool bStored = header.nMethod == lz::kKwajStored || header.nMethod == lz::kKwajXor;
    if (header.bHasLength)
        g_probe.fLength = header.nLength;
    else if (bStored)
        g_probe.fLength = fFileSize - header.nDataOffset;
    if (header.szExt[0] == '\0') return;
    if (!IsSafeHeaderName(header.szExt)) {
        g_probe.eRecorded = kZvRecordedRefused;
        return;
    }
    g_probe.eRecorded = kZvRecordedTaken;
    std::memcpy(g_probe.szRecorded, header.szExt, sizeof header.szExt);
    LowerCodePage932(g_probe.szRecorded);
}

// Puts into g_szText the compressed extension with its '_' replaced by the character the
// SZDD header says the name lost, in the case of the letter before it ("IN_" and 'i' give
// "INI"); false when the name or the header does not allow it.
bool LostCharacterExtension(const char* pszName) {
    const char cLost = g_probe.cLost;
    const char szLost[2] = {cLost, '\0'};
    if (g_probe.eFormat != kZvSzdd || static_cast<unsigned char>(cLost) >= 0x80 || !IsSafeHeaderName(szLost))
        return false;
    const char* pDot = mbcs::FindLast(pszName, '.');
    const size_t nLen = pDot ? std::strlen(pDot + 1) : 0;
    if (nLen == 0 || nLen > kMaxName || std::strchr(pDot + 1, '_') != pDot + nLen) return false;
    std::memcpy(g_szText, pDot + 1, nLen + 1);
    char c = cLost;
    const char cBefore = nLen >= 2 ? g_szText[nLen - 2] : '\0';
    if (cBefore >= 'A' && cBefore <= 'Z' && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (cBefore >= 'a' && cBefore <= 'z' && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    g_szText[nLen - 1] = c;
    return true;
}

const char* NameFault(ZvNameFault eFault) {
    g_eNameFault = eFault;
    return nullptr;
}

}  // namespace

extern "C" {

ZV_EXPORT(zv_alloc) void* zv_alloc(uint32_t nBytes) { return std::malloc(nBytes ? nBytes : 1); }
ZV_EXPORT(zv_free) void zv_free(void* p) { std::free(p); }

ZV_EXPORT(zv_probe) ZvFormat zv_probe(const uint8_t* p, uint32_t nBytes, double fFileSize) {
    g_probe = Probe();
    switch (lz::DetectFormat(p, nBytes)) {
    case lz::Format::kPlain:
        g_probe.fLength = fFileSize;
        break;
    case lz::Format::kSzdd:
        g_probe.eFormat = kZvSzdd;
        if (nBytes < lz::kSzddHeaderSize) {
            g_probe.nFault = LZ_ERROR_READ;
            break;
        }
        g_probe.nMethod = p[8];
        if (p[8] != 'A') g_probe.nFault = LZ_ERROR_UNKNOWNALG;
        g_probe.cLost = static_cast<char>(p[9]);
        g_probe.fLength = lz::ReadLe32(p + 10);
        break;
    case lz::Format::kShortSzdd:
        g_probe.eFormat = kZvShortSzdd;
        if (nBytes < lz::kShortHeaderSize)
            g_probe.nFault = LZ_ERROR_READ;
        else
            g_probe.fLength = lz::ReadLe32(p + 8);
        break;
    case lz::Format::kKwaj:
        g_probe.eFormat = kZvKwaj;
        ProbeKwaj(p, nBytes, fFileSize);
        break;
    case lz::Format::kCabinet:
        g_probe.eFormat = kZvCabinet;
        g_probe.nFault = LZ_ERROR_UNKNOWNALG;
        break;
    }
    return g_probe.eFormat;
}

ZV_EXPORT(zv_probe_method) int32_t zv_probe_method() { return g_probe.nMethod; }
ZV_EXPORT(zv_probe_fault) int32_t zv_probe_fault() { return g_probe.nFault; }
ZV_EXPORT(zv_probe_length) double zv_probe_length() { return g_probe.fLength; }
ZV_EXPORT(zv_probe_recorded) ZvRecorded zv_probe_recorded() { return g_probe.eRecorded; }

ZV_EXPORT(zv_extension) const char* zv_extension(const char* pszName) {
    const char* pDot = mbcs::FindLast(pszName, '.');
    const char* pszTable = pDot ? RestoredExtension(pDot + 1) : nullptr;
    g_szText[0] = '\0';
    if (g_probe.eRecorded == kZvRecordedTaken) {
        g_eRule = kZvRuleRecorded;
        std::strcpy(g_szText, g_probe.szRecorded);
    } else if (pszTable) {
        g_eRule = kZvRuleTable;
        std::strcpy(g_szText, pszTable);
    } else {
        g_eRule = LostCharacterExtension(pszName) ? kZvRuleHeader : kZvRuleNone;
    }
    return g_szText;
}

ZV_EXPORT(zv_extension_rule) ZvRule zv_extension_rule() { return g_eRule; }

ZV_EXPORT(zv_output_name) const char* zv_output_name(const char* pszName, const char* pszExt) {
    g_eNameFault = kZvNameOk;
    // A bare name: a separator here would be a folder the page never meant.
    if (std::strpbrk(pszName, "/\\")) return NameFault(kZvNameUnsafe);
    const char* pDot = mbcs::FindLast(pszName, '.');
    if (!pDot) return NameFault(kZvNameNoDot);
    if (pszExt[0] == '\0') return NameFault(kZvNameNoExtension);
    if (!IsSafeHeaderName(pszExt)) return NameFault(kZvNameUnsafe);
    const size_t nStem = static_cast<size_t>(pDot - pszName) + 1;
    const size_t nExt = std::strlen(pszExt);
    if (nStem + nExt > kMaxName) return NameFault(kZvNameTooLong);
    std::memcpy(g_szText, pszName, nStem);
    std::memcpy(g_szText + nStem, pszExt, nExt + 1);
    // Names that differ in case only are one file on the systems the files come from.
    if (mbcs::EqualNoCase(g_szText, pszName)) return NameFault(kZvNameSameAsSource);
    return g_szText;
}

ZV_EXPORT(zv_name_fault) ZvNameFault zv_name_fault() { return g_eNameFault; }

ZV_EXPORT(zv_expand) double zv_expand() {
    PageSource source;
    PageSink sink;
    return static_cast<double>(lz::ExpandStream(source, sink));
}

}  // extern "C"
