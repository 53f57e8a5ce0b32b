#include "core/CompressedFile.h"
#include "core/ExtensionTable.h"
#include "core/FileStreams.h"
#include "core/HeaderName.h"
#include "core/MbcsText.h"
#include "lz/Cabinet.h"
#include "lz/ExpandStream.h"
#include "lz/Formats.h"
#include "lz/KwajHeader.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kSizeUnknown = 0xFFFFFFFFu;

// Reads up to nBytes at nOffset; the number of bytes the file had there.
size_t ReadAt(platform::File& file, uint64_t nOffset, uint8_t* pBuffer, size_t nBytes) {
    if (!file.Seek(nOffset)) return 0;
    size_t nGot = 0;
    while (nGot < nBytes) {
        int64_t n = file.Read(pBuffer + nGot, nBytes - nGot);
        if (n <= 0) break;
        nGot += static_cast<size_t>(n);
    }
    return nGot;
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// A little-endian length field; a file that ends inside it gives the bytes it has.
uint32_t LengthAt(platform::File& file, uint64_t nOffset) {
    uint8_t ab[4] = {0, 0, 0, 0};
    ReadAt(file, nOffset, ab, sizeof ab);
    return lz::ReadLe32(ab);
}

// The KWAJ header of an open file; false when it is corrupt.
bool ReadKwajHeader(platform::File& file, lz::KwajHeader* pHeader) {
    uint8_t abFixed[lz::kKwajFixedSize];
    if (ReadAt(file, 0, abFixed, sizeof abFixed) < sizeof abFixed) return false;
    // The fields are short but for crafted files: their longest form is read only
    // when they run past a first, small read.
    std::vector<uint8_t> header(lz::KwajDataOffset(abFixed) + 512);
    size_t nGot = ReadAt(file, 0, header.data(), header.size());
    lz::KwajHeaderFault eFault = lz::ParseKwajHeader(header.data(), nGot, pHeader);
    if (eFault == lz::KwajHeaderFault::kFieldsCut && nGot == header.size()) {
        header.resize(lz::kKwajMaxHeader);
        nGot = ReadAt(file, 0, header.data(), header.size());
        eFault = lz::ParseKwajHeader(header.data(), nGot, pHeader);
    }
    return eFault == lz::KwajHeaderFault::kNone;
}

// The format of an open file, from its first bytes.
lz::Format FormatOf(platform::File& file) {
    uint8_t abSignature[lz::kSignatureSize];
    const size_t nGot = ReadAt(file, 0, abSignature, sizeof abSignature);
    return lz::DetectFormat(abSignature, nGot);
}

// Reads the entries of an open cabinet through source, a stream over that file.
int32_t OpenCabinet(platform::File& file, lz::FileSource& source, lz::Cabinet& cabinet) {
    return file.Seek(0) ? cabinet.Open(source) : int32_t{LZ_ERROR_READ};
}

// The size of all members of an open cabinet; 0 when it cannot be read.
uint64_t CabinetSize(platform::File& file) {
    lz::FileSource source(file);
    lz::Cabinet cabinet;
    uint64_t nTotal = 0;
    if (OpenCabinet(file, source, cabinet) == 0)
        for (const lz::CabinetMember& m : cabinet.Members()) nTotal += m.nSize;
    return nTotal;
}

// The expanded size that the header of an open file records (see RecordedSizes).
uint64_t RecordedSize(platform::File& file, int64_t nFileSize) {
    switch (FormatOf(file)) {
    case lz::Format::kSzdd: return LengthAt(file, 10);
    case lz::Format::kShortSzdd: return LengthAt(file, 8);
    case lz::Format::kPlain: return nFileSize < 0 ? 0 : static_cast<uint64_t>(nFileSize);
    case lz::Format::kCabinet: return CabinetSize(file);
    case lz::Format::kKwaj: break;
    }
    lz::KwajHeader header;
    if (!ReadKwajHeader(file, &header)) return 0;
    if (header.bHasLength) return header.nLength;
    // Stored data is as long as the rest of the file; other data only decoding measures.
    const bool bStored = header.nMethod == lz::kKwajStored || header.nMethod == lz::kKwajXor;
    return bStored && nFileSize >= header.nDataOffset ? static_cast<uint64_t>(nFileSize) - header.nDataOffset
                                                      : CCompressedFile::kSizeNotRecorded;
}

// The failure of an expansion whose copy gave nCopied (bytes, or an LZ error);
// bReadFailed when the source itself could not be read.
CCompressedFile::Failure DataFailure(int64_t nCopied, bool bReadFailed) {
    switch (nCopied) {
    case LZ_ERROR_READ: return bReadFailed ? CCompressedFile::kFailReadError : CCompressedFile::kFailTruncated;
    case LZ_ERROR_CORRUPT: return CCompressedFile::kFailCorrupt;
    case LZ_ERROR_UNKNOWNALG: return CCompressedFile::kFailUnknownMethod;
    case LZ_ERROR_WRITE: return CCompressedFile::kFailWrite;
    case LZ_ERROR_ARCHIVE: return CCompressedFile::kFailArchive;
    case LZ_ERROR_SPANNED: return CCompressedFile::kFailSpanned;
    }
    return nCopied < 0 ? CCompressedFile::kFailCorrupt : CCompressedFile::kFailNone;
}

// A size for a 32-bit column: one that does not fit shows the largest value, never a wrapped one.
uint32_t ColumnSize(uint64_t nSize) { return nSize > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(nSize); }

// The expanded size of an open file (see GetSize).
uint32_t ExpandedSize(platform::File& file, int64_t nFileSize) {
    const uint64_t nRecorded = RecordedSize(file, nFileSize);
    if (nRecorded != CCompressedFile::kSizeNotRecorded) return ColumnSize(nRecorded);
    // No length recorded: what the data produces, decoded without writing.
    if (!file.Seek(0)) return 0;
    lz::FileSource source(file);
    lz::CountingSink counter;
    int64_t n = lz::ExpandStream(source, counter);
    return n < 0 ? 0 : ColumnSize(static_cast<uint64_t>(n));
}

// The extension that a cabinet of one file records in its member's name: the text
// after the name's last '.', unless that '.' is a folder's. Null when there is none.
const char* CabinetExtension(const lz::CabinetMember& member) {
    const size_t nDot = member.strName.rfind('.');
    if (nDot == std::string::npos || member.strName.find_first_of("\\/", nDot) != std::string::npos) return nullptr;
    return member.strName.c_str() + nDot + 1;
}

// Whether a recorded extension may stand in a file name and fits the entry. Letters
// beyond ASCII of a UTF-8 name would be other characters in the ANSI code page.
bool MayTakeExtension(const char* pszExt, bool bUtf8) {
    if (std::strlen(pszExt) >= CCompressedFile::kMaxExt || !IsSafeHeaderName(pszExt)) return false;
    for (const char* p = pszExt; bUtf8 && *p; ++p)
        if (static_cast<unsigned char>(*p) >= 0x80) return false;
    return true;
}

// Puts the extension that a KWAJ header or a cabinet of one file records (lower case)
// into szExt when it may stand in a file name; otherwise szExt stays as it is. Counts
// a cabinet's members into *pnMembers (0 for any other file).
CCompressedFile::Recorded TakeRecordedExtension(platform::File& file, char (&szExt)[CCompressedFile::kMaxExt],
                                                size_t* pnMembers) {
    *pnMembers = 0;
    const char* pszExt = nullptr;
    bool bUtf8 = false;
    lz::KwajHeader header;
    lz::FileSource source(file);
    lz::Cabinet cabinet;
    switch (FormatOf(file)) {
    case lz::Format::kKwaj:
        if (ReadKwajHeader(file, &header)) pszExt = header.szExt;
        break;
    case lz::Format::kCabinet:
        if (OpenCabinet(file, source, cabinet) != 0) break;
        *pnMembers = cabinet.Members().size();
        if (*pnMembers == 1) {
            pszExt = CabinetExtension(cabinet.Members()[0]);
            bUtf8 = cabinet.Members()[0].bUtf8Name;
        }
        break;
    default: break;
    }
    if (!pszExt || pszExt[0] == '\0') return CCompressedFile::kNoneRecorded;
    if (!MayTakeExtension(pszExt, bUtf8)) return CCompressedFile::kRecordedRefused;
    std::strcpy(szExt, pszExt);
    LowerHeaderName(szExt);
    return CCompressedFile::kRecordedTaken;
}

// True when strName lies directly in strFolder (a folder ending in a separator, or
// empty for the current one) and is a file's name there, not one that leads up
// or that Windows would cut down to nothing.
bool LiesDirectlyIn(const std::string& strName, const std::string& strFolder) {
    if (strName.compare(0, strFolder.size(), strFolder) != 0) return false;
    const char* pSep = mbcs::FindLastSeparator(strName.c_str());
    const size_t nLeaf = pSep ? static_cast<size_t>(pSep - strName.c_str()) + 1 : 0;
    if (nLeaf > strFolder.size()) return false;
    return strName.find_first_not_of(". ", nLeaf) != std::string::npos;
}

// Writes the expanded form of the source into the target and gives the target the
// source's last-write time; the bytes written or a negative LZ_ERROR_ value, and
// whether the source itself could not be read.
int64_t CopyInto(platform::File& source, platform::File& target, bool* pReadFailed) {
    lz::FileSource in(source);
    lz::FileSink out(target);
    const int64_t nResult = lz::ExpandStream(in, out);
    if (nResult >= 0) {
        platform::FileTime t;
        if (source.GetWriteTime(&t)) target.SetWriteTime(t);
    }
    *pReadFailed = in.Failed();
    return nResult;
}

// Writes the one member of a cabinet open through in (over source) into the target and
// gives the target the member's recorded time (the cabinet's own when that names none);
// as CopyInto.
int64_t ExtractInto(lz::Cabinet& cabinet, lz::FileSource& in, platform::File& source, platform::File& target,
                    bool* pReadFailed) {
    lz::FileSink out(target);
    const int64_t nResult = cabinet.Extract(0, out);
    if (nResult >= 0) {
        const lz::CabinetTime& r = cabinet.Members()[0].time;
        platform::LocalTime local;
        local.nYear = r.nYear, local.nMonth = r.nMonth, local.nDay = r.nDay;
        local.nHour = r.nHour, local.nMinute = r.nMinute, local.nSecond = r.nSecond;
        platform::FileTime t;
        if (platform::FileTimeFromLocal(local, &t) || source.GetWriteTime(&t)) target.SetWriteTime(t);
    }
    *pReadFailed = in.Failed();
    return nResult;
}

// Both sizes of a file opened for reading, or of none (null: it could not be opened).
void SizesOfOpenFile(platform::File* pFile, uint32_t* pnCompressed, uint32_t* pnExpanded) {
    uint32_t nCompressed = kSizeUnknown;
    uint32_t nExpanded = 0;
    if (pFile) {
        const int64_t nSize = pFile->Size();
        if (nSize >= 0) nCompressed = ColumnSize(static_cast<uint64_t>(nSize));
        nExpanded = ExpandedSize(*pFile, nSize);
    }
    if (pnCompressed) *pnCompressed = nCompressed;
    if (pnExpanded) *pnExpanded = nExpanded;
}

}  // namespace

CCompressedFile::CCompressedFile(const char* pszPath) {
    m_szOutputPath[0] = '\0';
    // A path that does not fit names no file rather than a shortened, different one.
    size_t nLen = pszPath ? std::strlen(pszPath) : size_t(kMaxPath);
    if (nLen < platform::MaxPath())
        std::memcpy(m_szPath, pszPath, nLen + 1);
    else
        m_szPath[0] = '\0';
    GuessExtension();
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
    platform::File file;
    const bool bOpen = m_szPath[0] != '\0' && file.OpenRead(m_szPath);
    m_nMembers = 0;
    m_eRecorded = bOpen ? TakeRecordedExtension(file, m_szExt, &m_nMembers) : kNoneRecorded;
    return m_eRecorded == kRecordedTaken;
}

uint32_t CCompressedFile::GetSize(bool bCompressed) const {
    uint32_t nCompressed = 0;
    uint32_t nExpanded = 0;
    GetSizes(&nCompressed, &nExpanded);
    return bCompressed ? nCompressed : nExpanded;
}

void CCompressedFile::GetSizes(uint32_t* pnCompressed, uint32_t* pnExpanded) const {
    platform::File file;
    const bool bOpen = m_szPath[0] != '\0' && file.OpenRead(m_szPath);
    SizesOfOpenFile(bOpen ? &file : nullptr, pnCompressed, pnExpanded);
}

void CCompressedFile::RecordedSizes(int64_t* pnCompressed, uint64_t* pnExpanded) const {
    platform::File file;
    *pnCompressed = -1;
    *pnExpanded = 0;
    if (m_szPath[0] == '\0' || !file.OpenRead(m_szPath)) return;
    *pnCompressed = file.Size();
    *pnExpanded = RecordedSize(file, *pnCompressed);
}

void CCompressedFile::ReadHeader(uint32_t* pnCompressed, uint32_t* pnExpanded) {
    platform::File file;
    const bool bOpen = m_szPath[0] != '\0' && file.OpenRead(m_szPath);
    m_nMembers = 0;
    m_eRecorded = bOpen ? TakeRecordedExtension(file, m_szExt, &m_nMembers) : kNoneRecorded;
    SizesOfOpenFile(bOpen ? &file : nullptr, pnCompressed, pnExpanded);
}

bool CCompressedFile::RestoreExtensionFromHeader() {
    if (m_szExt[0] != '\0' || m_szPath[0] == '\0') return false;
    // A KWAJ file records its extension whole, an SZDD file the one character it lost.
    if (GuessExtensionFromHeader()) return true;
    const char* pszDotted = mbcs::PathExtension(m_szPath);
    if (pszDotted[0] == '\0') return false;
    const char* pszCompressed = pszDotted + 1;
    const size_t nLen = std::strlen(pszCompressed);
    // The '_' must be a character of its own, not the second byte of one.
    if (nLen == 0 || nLen >= platform::MaxExtension() || mbcs::FindLast(pszCompressed, '_') != pszCompressed + nLen - 1)
        return false;

    uint8_t ab[10];
    platform::File file;
    if (!file.OpenRead(m_szPath) || ReadAt(file, 0, ab, sizeof ab) != sizeof ab ||
        lz::DetectFormat(ab, sizeof ab) != lz::Format::kSzdd)
        return false;
    char cLost = static_cast<char>(ab[9]);
    // One character alone, so never a byte of a multi-byte one.
    const char szLost[2] = {cLost, '\0'};
    if (ab[9] >= 0x80 || !IsSafeHeaderName(szLost)) return false;
    // The character follows the case of the extension it completes ("IN_" gives "INI").
    if (nLen >= 2) {
        char cBefore = pszCompressed[nLen - 2];
        if (cBefore >= 'A' && cBefore <= 'Z') cLost = UpperAscii(cLost);
        if (cBefore >= 'a' && cBefore <= 'z') cLost = LowerAscii(cLost);
    }
    std::memcpy(m_szExt, pszCompressed, nLen - 1);
    m_szExt[nLen - 1] = cLost;
    m_szExt[nLen] = '\0';
    return true;
}

bool CCompressedFile::Expand(const char* pszDestPrefix, Existing eExisting, Damaged eDamaged,
                             const platform::Folder* pFolder) {
    m_eFailure = kFailNone;
    m_strOldCopy.clear();
    std::string strName;
    bool bWritten = OutputName(pszDestPrefix, &strName) && WriteExpanded(strName, eExisting, eDamaged, pFolder);
    // Only a file this expansion wrote is ever named here.
    if (bWritten)
        std::memcpy(m_szOutputPath, strName.c_str(), strName.size() + 1);
    else
        m_szOutputPath[0] = '\0';
    return bWritten && m_eFailure == kFailNone;
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
        if (nLen >= platform::MaxExtension()) return Fail(kFailExtTooLong);
        std::memcpy(m_szExt, pszOwn, nLen + 1);
    }
    strName += m_szExt;
    if (strName.size() >= platform::MaxPath()) return Fail(kFailNameTooLong);
    // Never expand a file onto itself.
    if (mbcs::SameFileName(strName.c_str(), m_szPath)) return Fail(kFailSameAsSource);
    // Behind the rule for header texts: whatever the extension holds, the output
    // lands in the folder it was meant for.
    const char* pSourceSep = *pszDestPrefix ? nullptr : mbcs::FindLastSeparator(m_szPath);
    const std::string strFolder = *pszDestPrefix ? std::string(pszDestPrefix)
        : std::string(m_szPath, pSourceSep ? static_cast<size_t>(pSourceSep - m_szPath) + 1 : 0);
    if (!LiesDirectlyIn(strName, strFolder)) return Fail(kFailLeavesFolder);
    *pName = std::move(strName);
    return true;
}

// Expands into a new file in the target's folder and puts it in place of the
// target only when it is complete, so a failure leaves no partial file and
// keeps an existing target. The new file is written only through the handle
// that created it, so nothing put at its name meanwhile ever receives the data,
// and the folder is looked up once, so nothing put at its path meanwhile does.
// True when a file was put in place: a salvaged one, too, with its failure set.
bool CCompressedFile::WriteExpanded(const std::string& strName, Existing eExisting, Damaged eDamaged,
                                    const platform::Folder* pFolder) {
    if (platform::FilesAreSame(strName.c_str(), m_szPath)) return Fail(kFailSameAsSource);
    const char* pSep = mbcs::FindLastSeparator(strName.c_str());
    const size_t nLeaf = pSep ? static_cast<size_t>(pSep - strName.c_str()) + 1 : 0;
    const char* pszLeaf = strName.c_str() + nLeaf;
    platform::Folder own;
    const bool bFolder = pFolder || own.Open(strName.substr(0, nLeaf));
    if (!pFolder) pFolder = &own;
    // Saves the work; what keeps the target is the move at the end, which never replaces.
    // A name is taken by whatever has it, a link that leads nowhere included. What a
    // damaged source yields is worth less than any file it would replace.
    const bool bSalvage = eDamaged == kSalvageDamaged;
    const bool bKeep = eExisting == kKeepExisting || bSalvage;
    platform::PathKind eKind;
    if (bFolder && bKeep && pFolder->GetKind(pszLeaf, &eKind)) return Fail(kFailTargetExists);
    // Replacing would succeed natively and fail on Windows; both refuse it alike.
    if (bFolder && pFolder->IsReadOnly(pszLeaf)) return Fail(kFailTargetReadOnly);

    // A source is only ever read, so read-only files expand and a source is never written.
    platform::File source;
    if (!source.OpenRead(m_szPath)) return Fail(kFailSourceUnreadable);
    // A cabinet is judged before anything is written: it must hold one file whole, and
    // without its entries there is nothing to salvage.
    lz::FileSource cabinetSource(source);
    lz::Cabinet cabinet;
    const bool bCabinet = FormatOf(source) == lz::Format::kCabinet;
    if (bCabinet) {
        const int32_t nOpen = OpenCabinet(source, cabinetSource, cabinet);
        if (nOpen < 0) return Fail(DataFailure(nOpen, cabinetSource.Failed()));
        m_nMembers = cabinet.Members().size();
        if (cabinet.Spanned()) return Fail(kFailSpanned);
        if (m_nMembers != 1) return Fail(kFailArchive);
    } else if (!source.Seek(0)) {
        return Fail(kFailSourceUnreadable);
    }

    platform::UnfinishedFile target;
    if (!bFolder || !target.Create(*pFolder, platform::MaxPath())) return Fail(kFailTargetUnwritable);
    bool bReadFailed = false;
    const int64_t nCopied = bCabinet ? ExtractInto(cabinet, cabinetSource, source, target.Data(), &bReadFailed)
                                     : CopyInto(source, target.Data(), &bReadFailed);
    // Never readable by more than the source: failing that, it stays its owner's alone.
    target.Data().CopyPermissions(source);
    source.Close();
    const Failure eData = DataFailure(nCopied, bReadFailed);
    const bool bUsable = nCopied >= 0 || (bSalvage && (nCopied == LZ_ERROR_READ || nCopied == LZ_ERROR_CORRUPT) &&
                                          target.Data().Size() > 0);
    if (!bUsable) {
        target.Drop();
        return Fail(eData);
    }
    if (!target.Name(pszLeaf, !bKeep))
        return Fail(bKeep && pFolder->GetKind(pszLeaf, &eKind) ? kFailTargetExists : kFailTargetUnwritable);
    m_strOldCopy = target.OldCopy();
    m_eFailure = eData;
    return true;
}
