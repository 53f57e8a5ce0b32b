#include "core/CompressedFile.h"
#include "core/ExtensionTable.h"
#include "core/MbcsText.h"
#include "platform/File.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>

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

uint32_t CCompressedFile::GetSize(bool bCompressed) const {
    uint32_t nCompressed = 0;
    uint32_t nExpanded = 0;
    GetSizes(&nCompressed, &nExpanded);
    return bCompressed ? nCompressed : nExpanded;
}

void CCompressedFile::GetSizes(uint32_t* pnCompressed, uint32_t* pnExpanded) const {
    uint32_t nCompressed = kSizeUnknown;
    uint32_t nExpanded = 0;
    platform::File file;
    if (m_szPath[0] != '\0' && file.OpenRead(m_szPath)) {
        const int64_t nSize = file.Size();
        nCompressed = nSize < 0 ? kSizeUnknown : static_cast<uint32_t>(nSize & 0xFFFFFFFFu);
        // The expanded length at offset 10; a shorter file gives the bytes it has.
        uint8_t ab[4] = {0, 0, 0, 0};
        if (file.Seek(10)) {
            size_t nGot = 0;
            while (nGot < sizeof ab) {
                int64_t n = file.Read(ab + nGot, sizeof ab - nGot);
                if (n <= 0) break;
                nGot += static_cast<size_t>(n);
            }
        }
        nExpanded = ab[0] | (uint32_t(ab[1]) << 8) | (uint32_t(ab[2]) << 16) | (uint32_t(ab[3]) << 24);
    }
    if (pnCompressed) *pnCompressed = nCompressed;
    if (pnExpanded) *pnExpanded = nExpanded;
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
