#include "core/CompressedFile.h"
#include "core/ExtensionTable.h"
#include "core/MbcsText.h"
#include "platform/File.h"

#include <cstring>

// Folder separators: '\' as on Windows, and '/' which Windows takes as one too
// and which is the separator of native paths. Neither is ever the second byte
// of a double-byte character, so the same rules name files on both.

namespace {

constexpr uint32_t kSizeUnknown = 0xFFFFFFFFu;

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
    const uint32_t nFailed = bCompressed ? kSizeUnknown : 0;
    platform::File file;
    if (m_szPath[0] == '\0' || !file.OpenRead(m_szPath)) return nFailed;
    if (bCompressed) {
        int64_t nSize = file.Size();
        return nSize < 0 ? kSizeUnknown : static_cast<uint32_t>(nSize & 0xFFFFFFFFu);
    }
    // The expanded length at offset 10; a shorter file gives the bytes it has.
    uint8_t ab[4] = {0, 0, 0, 0};
    if (!file.Seek(10)) return 0;
    size_t nGot = 0;
    while (nGot < sizeof ab) {
        int64_t n = file.Read(ab + nGot, sizeof ab - nGot);
        if (n <= 0) break;
        nGot += static_cast<size_t>(n);
    }
    return ab[0] | (uint32_t(ab[1]) << 8) | (uint32_t(ab[2]) << 16) | (uint32_t(ab[3]) << 24);
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
// keeps an existing target. The new file is written only through the handle
// that created it, so nothing put at its name meanwhile ever receives the data.
bool CCompressedFile::WriteExpanded(const std::string& strName) {
    if (platform::FilesAreSame(strName.c_str(), m_szPath)) return Fail(kFailSameAsSource);
    // Replacing would succeed natively and fail on Windows; both refuse it alike.
    if (platform::FileIsReadOnly(strName.c_str())) return Fail(kFailTargetReadOnly);
    const char* pSep = mbcs::FindLastSeparator(strName.c_str());
    std::string strFolder(strName.c_str(), pSep ? static_cast<size_t>(pSep - strName.c_str()) + 1 : 0);

    int32_t hSource = LzOpenFile(m_szPath, &m_ofs, LZ_OF_READ);
    if (hSource < 0) return Fail(kFailSourceUnreadable);

    std::string strTemp;
    platform::File target;
    for (int nTry = 0; nTry < 64 && !target.IsOpen(); ++nTry) {
        strTemp = platform::TemporaryName(strFolder, kMaxPath);
        if (strTemp.empty()) break;
        if (!target.CreateNew(strTemp.c_str()) && !platform::FileExists(strTemp.c_str()))
            break;  // the folder refuses new files
    }
    if (!target.IsOpen()) {
        LzClose(hSource);
        return Fail(kFailTargetUnwritable);
    }

    int64_t nCopied = LzCopyTo(hSource, target);
    LzClose(hSource);
    // Something else at the temporary name is not this file's to move or remove.
    const bool bOwnName = target.IsAt(strTemp.c_str());
    target.Close();
    if (!bOwnName) return Fail(kFailTargetUnwritable);

    if (nCopied < 0 || !platform::FileReplace(strTemp.c_str(), strName.c_str())) {
        platform::FileRemove(strTemp.c_str());
        if (nCopied >= 0) return Fail(kFailTargetUnwritable);
        return Fail(nCopied == LZ_ERROR_WRITE ? kFailWrite : kFailCorrupt);
    }
    std::strncpy(m_ofs.szPathName, strName.c_str(), sizeof m_ofs.szPathName - 1);
    m_ofs.szPathName[sizeof m_ofs.szPathName - 1] = '\0';
    return true;
}
