#include "core/CompressedFile.h"
#include "core/ExtensionTable.h"
#include "core/MbcsText.h"
#include "lz/ExpandStream.h"
#include "lz/FileStreams.h"
#include "lz/Formats.h"
#include "lz/KwajHeader.h"
#include "platform/File.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

// Folder separators: '\' as on Windows, and '/' which Windows takes as one too
// and which is the separator of native paths. Neither is ever the second byte
// of a double-byte character, so the same rules name files on both.

namespace {

constexpr uint32_t kSizeUnknown = 0xFFFFFFFFu;

// A name for the file that receives the expanded data until it is complete.
std::string TempName(const std::string& strFolder, uint32_t nSerial) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "~zv%04X.tmp", static_cast<unsigned>(nSerial & 0xFFFF));
    return strFolder + sz;
}

uint32_t NextSerial() {
    static std::atomic<uint32_t> s_nSerial{static_cast<uint32_t>(
        std::chrono::steady_clock::now().time_since_epoch().count() * 2654435761u)};
    return s_nSerial.fetch_add(1);
}

// Reads up to nBytes from nOffset; the count read (fewer at the end of the file).
size_t ReadAt(platform::File& file, uint64_t nOffset, uint8_t* p, size_t nBytes) {
    if (!file.Seek(nOffset)) return 0;
    size_t nGot = 0;
    while (nGot < nBytes) {
        int64_t n = file.Read(p + nGot, nBytes - nGot);
        if (n <= 0) break;
        nGot += static_cast<size_t>(n);
    }
    return nGot;
}

// A little-endian length field; a file that ends inside it gives the bytes it has.
uint32_t LengthAt(platform::File& file, uint64_t nOffset) {
    uint8_t ab[4] = {0, 0, 0, 0};
    ReadAt(file, nOffset, ab, sizeof ab);
    return lz::ReadLe32(ab);
}

// The KWAJ header of an open file; false when it is corrupt.
bool ReadKwajHeader(platform::File& file, lz::KwajHeader* pHeader) {
    uint8_t abFixed[lz::kKwajFixedSize];
    size_t nGot = ReadAt(file, 0, abFixed, sizeof abFixed);
    if (nGot < sizeof abFixed) return false;
    std::vector<uint8_t> header(std::max(lz::KwajDataOffset(abFixed), sizeof abFixed));
    nGot = ReadAt(file, 0, header.data(), header.size());
    return lz::ParseKwajHeader(header.data(), nGot, pHeader);
}

// The expanded size of an open file (see GetSize).
uint32_t ExpandedSize(platform::File& file, int64_t nFileSize) {
    uint8_t abSignature[lz::kSignatureSize];
    size_t nGot = ReadAt(file, 0, abSignature, sizeof abSignature);
    switch (lz::DetectFormat(abSignature, nGot)) {
    case lz::Format::kSzdd: return LengthAt(file, 10);
    case lz::Format::kShortSzdd: return LengthAt(file, 8);
    case lz::Format::kPlain: return nFileSize < 0 ? 0 : static_cast<uint32_t>(nFileSize & 0xFFFFFFFFu);
    case lz::Format::kKwaj: break;
    }
    lz::KwajHeader header;
    if (!ReadKwajHeader(file, &header)) return 0;
    if (header.bHasLength) return header.nLength;
    // No length recorded: what the data produces, decoded without writing.
    if (!file.Seek(0)) return 0;
    lz::FileSource source(file);
    lz::CountingSink counter;
    int64_t n = lz::ExpandStream(source, counter);
    return n < 0 ? 0 : static_cast<uint32_t>(static_cast<uint64_t>(n) & 0xFFFFFFFFu);
}

}  // namespace

CCompressedFile::CCompressedFile(const char* pszPath) : m_nLzHandle(0) {
    std::memset(&m_ofs, 0, sizeof m_ofs);
    m_ofs.cBytes = sizeof m_ofs;
    m_szOutputPath[0] = '\0';
    // A path that does not fit names no file rather than a shortened, different one.
    size_t nLen = pszPath ? std::strlen(pszPath) : size_t(kMaxPath);
    if (nLen < kMaxPath)
        std::memcpy(m_szPath, pszPath, nLen + 1);
    else
        m_szPath[0] = '\0';
    GuessExtension();
}

CCompressedFile::~CCompressedFile() {
    if (m_nLzHandle > 0) LzClose(m_nLzHandle);
}

bool CCompressedFile::GuessExtension() {
    const char* pDot = mbcs::FindLast(m_szPath, '.');
    const char* pszRestored = pDot ? RestoredExtension(pDot + 1) : nullptr;
    if (!pszRestored) {
        m_szExt[0] = '\0';
        return false;
    }
    std::strcpy(m_szExt, pszRestored);
    return true;
}

const char* CCompressedFile::CompressedExtension() const {
    const char* pDot = mbcs::FindLast(m_szPath, '.');
    return pDot ? pDot + 1 : m_szPath;
}

bool CCompressedFile::GuessExtensionFromHeader() {
    char szExt[kMaxExt];
    if (!RecordedExtension(szExt)) return false;
    std::memcpy(m_szExt, szExt, sizeof szExt);
    return true;
}

bool CCompressedFile::RestoreExtensionFromHeader() {
    if (m_szExt[0] != '\0') return false;
    return GuessExtensionFromHeader();
}

bool CCompressedFile::RecordedExtension(char (&szExt)[kMaxExt]) const {
    platform::File file;
    if (m_szPath[0] == '\0' || !file.OpenRead(m_szPath)) return false;
    uint8_t abSignature[lz::kSignatureSize];
    size_t nGot = ReadAt(file, 0, abSignature, sizeof abSignature);
    lz::KwajHeader header;
    if (lz::DetectFormat(abSignature, nGot) != lz::Format::kKwaj || !ReadKwajHeader(file, &header) ||
        header.szExt[0] == '\0')
        return false;
    static_assert(sizeof header.szExt <= kMaxExt, "a recorded extension fits the entry");
    std::memcpy(szExt, header.szExt, sizeof header.szExt);
    mbcs::LowerCase(szExt);
    return true;
}

uint32_t CCompressedFile::GetSize(bool bCompressed) const {
    const uint32_t nFailed = bCompressed ? kSizeUnknown : 0;
    platform::File file;
    if (m_szPath[0] == '\0' || !file.OpenRead(m_szPath)) return nFailed;
    int64_t nSize = file.Size();
    if (!bCompressed) return ExpandedSize(file, nSize);
    return nSize < 0 ? kSizeUnknown : static_cast<uint32_t>(nSize & 0xFFFFFFFFu);
}

void CCompressedFile::GetSizes(uint32_t* pnCompressed, uint32_t* pnExpanded) const {
    *pnCompressed = kSizeUnknown;
    *pnExpanded = 0;
    platform::File file;
    if (m_szPath[0] == '\0' || !file.OpenRead(m_szPath)) return;
    int64_t nSize = file.Size();
    if (nSize >= 0) *pnCompressed = static_cast<uint32_t>(nSize & 0xFFFFFFFFu);
    *pnExpanded = ExpandedSize(file, nSize);
}

bool CCompressedFile::Expand(const char* pszDestPrefix) {
    m_eFailure = kFailNone;
    std::string strName;
    bool bDone = OutputName(pszDestPrefix, &strName) && WriteExpanded(strName);
    // Only a file this expansion wrote is ever named here.
    if (bDone)
        std::memcpy(m_szOutputPath, strName.c_str(), strName.size() + 1);
    else
        m_szOutputPath[0] = '\0';
    return bDone;
}

// The source path without its last extension, put under the prefix, with
// m_szExt (or, when that is empty, the source's own extension with its dot).
bool CCompressedFile::OutputName(const char* pszDestPrefix, std::string* pName) {
    m_eFailure = kFailNone;
    if (!pszDestPrefix) pszDestPrefix = "";
    if (m_szPath[0] == '\0') return Fail(kFailNoFile);
    // A file name without a '.' would be cut at a folder's '.' or vanish.
    const char* pSep = mbcs::FindLastSeparator(m_szPath);
    if (!mbcs::FindLast(pSep ? pSep + 1 : m_szPath, '.')) return Fail(kFailNoDot);

    const char* pDot = mbcs::FindLast(m_szPath, '.');
    std::string strName(m_szPath, static_cast<size_t>(pDot - m_szPath) + 1);
    if (*pszDestPrefix) {
        const char* pCut = mbcs::FindLastSeparator(strName.c_str());
        if (pCut) strName.erase(0, static_cast<size_t>(pCut - strName.c_str()) + 1);
        strName.insert(0, pszDestPrefix);
    }
    if (m_szExt[0] == '\0') {
        const char* pszOwn = mbcs::PathExtension(m_szPath);
        size_t nLen = std::strlen(pszOwn);
        if (nLen >= kMaxExt) return Fail(kFailExtTooLong);
        std::memcpy(m_szExt, pszOwn, nLen + 1);
    }
    strName += m_szExt;
    if (strName.size() >= kMaxPath) return Fail(kFailNameTooLong);
    // Never expand a file onto itself.
    if (mbcs::EqualNoCase(strName.c_str(), m_szPath)) return Fail(kFailSameAsSource);
    *pName = std::move(strName);
    return true;
}

// Expands into a new file in the target's folder and puts it in place of the
// target only when it is complete, so a failure leaves no partial file and
// keeps an existing target.
bool CCompressedFile::WriteExpanded(const std::string& strName) {
    if (platform::FilesAreSame(strName.c_str(), m_szPath)) return Fail(kFailSameAsSource);
    const char* pSep = mbcs::FindLastSeparator(strName.c_str());
    std::string strFolder(strName.c_str(), pSep ? static_cast<size_t>(pSep - strName.c_str()) + 1 : 0);

    int32_t hSource = LzOpenFile(m_szPath, &m_ofs, LZ_OF_READ);
    if (hSource < 0) return Fail(kFailSourceUnreadable);

    std::string strTemp;
    bool bReserved = false;
    for (int nTry = 0; nTry < 64 && !bReserved; ++nTry) {
        strTemp = TempName(strFolder, NextSerial());
        if (strTemp.size() >= kMaxPath) break;
        platform::File reserve;
        bReserved = reserve.CreateNew(strTemp.c_str());
        if (!bReserved && !platform::FileExists(strTemp.c_str())) break;  // the folder refuses new files
    }
    if (!bReserved) {
        LzClose(hSource);
        return Fail(kFailTargetUnwritable);
    }

    int32_t hTarget = LzOpenFile(strTemp.c_str(), &m_ofs, LZ_OF_CREATE | LZ_OF_READWRITE);
    int64_t nCopied = hTarget > 0 ? LzCopy(hSource, hTarget) : hTarget;
    LzClose(hSource);
    if (hTarget > 0) LzClose(hTarget);

    if (nCopied < 0 || !platform::FileReplace(strTemp.c_str(), strName.c_str())) {
        platform::FileRemove(strTemp.c_str());
        if (hTarget < 0 || nCopied >= 0) return Fail(kFailTargetUnwritable);
        return Fail(nCopied == LZ_ERROR_WRITE ? kFailWrite : kFailCorrupt);
    }
    std::strncpy(m_ofs.szPathName, strName.c_str(), sizeof m_ofs.szPathName - 1);
    m_ofs.szPathName[sizeof m_ofs.szPathName - 1] = '\0';
    return true;
}
