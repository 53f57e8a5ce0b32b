#include "web/Module.h"
#include "core/ExtensionTable.h"
#include "core/HeaderName.h"
#include "core/MbcsText.h"
#include "lz/ByteStream.h"
#include "lz/Cabinet.h"
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
    char szRecorded[kMaxName + 1] = {};
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
    bool Seek(uint64_t nOffset) override { return zv_source_seek(static_cast<double>(nOffset)) != 0; }
};

// The start of a file that the probe is given, read as the file.
class HeadSource : public lz::ByteSource {
public:
    HeadSource(const uint8_t* p, uint32_t n) : m_p(p), m_n(n) {}
    int64_t Read(uint8_t* p, size_t n) override {
        const size_t nGot = n < m_n - m_nPos ? n : m_n - m_nPos;
        std::memcpy(p, m_p + m_nPos, nGot);
        m_nPos += static_cast<uint32_t>(nGot);
        return static_cast<int64_t>(nGot);
    }
    bool Seek(uint64_t nOffset) override {
        m_nPos = nOffset < m_n ? static_cast<uint32_t>(nOffset) : m_n;
        return true;
    }

private:
    const uint8_t* m_p;
    uint32_t m_n;
    uint32_t m_nPos = 0;
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

// Takes the extension that a recorded name or extension gives, if it may stand in a file
// name: lowered, as the window takes it.
void TakeRecorded(const char* pszExt) {
    if (!IsSafeHeaderName(pszExt) || std::strlen(pszExt) > kMaxName) {
        g_probe.eRecorded = kZvRecordedRefused;
        return;
    }
    g_probe.eRecorded = kZvRecordedTaken;
    std::strcpy(g_probe.szRecorded, pszExt);
    LowerCodePage932(g_probe.szRecorded);
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
    if (header.szExt[0] != '\0') TakeRecorded(header.szExt);
}

// A cabinet's members from its entries, which usually lie at its start. Where they
// lie beyond the bytes given, the expansion judges the cabinet; its name is the table's
// or the user's.
void ProbeCabinet(const uint8_t* p, uint32_t nBytes, double fFileSize) {
    HeadSource source(p, nBytes);
    lz::Cabinet cabinet;
    const int32_t nOpen = cabinet.Open(source);
    if (nOpen == LZ_ERROR_READ && nBytes < fFileSize) return;
    if (nOpen < 0) {
        g_probe.nFault = nOpen;
        return;
    }
    const auto& members = cabinet.Members();
    g_probe.nMethod = members[0].nCompression & 0x0F;
    g_probe.fLength = 0;
    for (const lz::CabinetMember& m : members) g_probe.fLength += m.nSize;
    if (cabinet.Spanned())
        g_probe.nFault = LZ_ERROR_SPANNED;
    else if (members.size() != 1)
        g_probe.nFault = LZ_ERROR_ARCHIVE;
    else if (g_probe.nMethod > lz::kCabinetLzx)
        g_probe.nFault = LZ_ERROR_UNKNOWNALG;
    if (g_probe.nFault != 0) return;
    // The text after the name's last '.', unless that '.' is a folder's. Other than
    // ASCII, a name's text is code page 932, as the window reads it, or UTF-8, which
    // the window cannot put into a name and so refuses: the page refuses it alike.
    const std::string& strName = members[0].strName;
    const size_t nDot = strName.rfind('.');
    if (nDot == std::string::npos || strName.find_first_of("\\/", nDot) != std::string::npos) return;
    const char* pszExt = strName.c_str() + nDot + 1;
    if (*pszExt == '\0') return;
    for (const char* q = pszExt; members[0].bUtf8Name && *q; ++q) {
        if (static_cast<unsigned char>(*q) >= 0x80) {
            g_probe.eRecorded = kZvRecordedRefused;
            return;
        }
    }
    TakeRecorded(pszExt);
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
        ProbeCabinet(p, nBytes, fFileSize);
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
