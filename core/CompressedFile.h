// One compressed file: where it is, which extension its expanded form gets,
// and where its last expansion was written.
#pragma once
#include "platform/PathStyle.h"

#include <cstdint>
#include <string>

namespace platform {
class Folder;
}

class CCompressedFile {
public:
    // The buffers' room; what a path or an extension may take is platform::MaxPath()
    // and platform::MaxExtension(), the Windows program's 260 and 52 bytes under its rules.
    enum { kMaxPath = platform::kBuildMaxPath, kMaxExt = platform::kBuildMaxExtension };
    static constexpr uint64_t kSizeNotRecorded = UINT64_MAX;

    // Why the last expansion failed (with kSalvageDamaged, a file may still be written).
    enum Failure {
        kFailNone,
        kFailNoFile,          // the path did not fit and names no file
        kFailNoDot,           // the file name has no '.' to put the extension at
        kFailExtTooLong,      // the source's own extension does not fit m_szExt
        kFailNameTooLong,     // the output name does not fit m_szOutputPath
        kFailSameAsSource,    // the output name is the source itself
        kFailSourceUnreadable,
        kFailTargetUnwritable,
        kFailCorrupt,         // the data is malformed
        kFailWrite,           // writing the expanded data failed (disk full)
        kFailTargetReadOnly,  // the output file exists and is read-only
        kFailTargetExists,    // the output file exists and was to be kept
        kFailTruncated,       // the data ends early
        kFailUnknownMethod,   // a compression method that cannot be expanded
        kFailLeavesFolder,    // the output name leads out of the folder meant for it
        kFailReadError,       // the source could not be read to its end
        kFailArchive,         // a cabinet of several files (CabinetMembers tells how many)
        kFailSpanned,         // a cabinet whose data continues from or into another
    };

    // What became of the extension a KWAJ header or a cabinet of one file records.
    enum Recorded { kNoneRecorded, kRecordedTaken, kRecordedRefused };

    // What an expansion does with an output file that exists already.
    enum Existing { kReplaceExisting, kKeepExisting };
    // What an expansion does with a source whose data ends early or is malformed:
    // write nothing, or write what its data yields.
    enum Damaged { kRefuseDamaged, kSalvageDamaged };

    // Guesses the extension from the name; touches no file.
    explicit CCompressedFile(const char* pszPath);
    CCompressedFile(const CCompressedFile&) = delete;
    CCompressedFile& operator=(const CCompressedFile&) = delete;

    // True when the extension table knows the compressed extension; m_szExt is then its restored form.
    bool GuessExtension();
    // Reads the header: a KWAJ file that records its original extension, or a cabinet
    // of one file whose member's name has one, gets it (lower case) in place of the
    // table's guess. False, m_szExt unchanged, when the file records none, or one that
    // may not stand in a file name (see RecordedExtension). Kept apart from
    // construction, which touches no file.
    bool GuessExtensionFromHeader();
    // When m_szExt is empty, fills it from what the header records; false
    // (m_szExt unchanged) when it records nothing usable.
    bool RestoreExtensionFromHeader();
    // The file's own size (bCompressed), or the expanded size: what its format's
    // header records (SZDD offset 10, the short-header variant offset 8, KWAJ its
    // length field), the length a KWAJ file's data produces when it records none
    // (0 when it is corrupt), the size of a cabinet's members, and the file's own size
    // for a file in no format.
    // A size of 4 GiB or more gives 0xFFFFFFFF.
    uint32_t GetSize(bool bCompressed) const;
    // Both sizes through one open of the file: the values GetSize(true) and GetSize(false)
    // give (0xFFFFFFFF and 0 when the file cannot be opened). Either pointer may be null.
    void GetSizes(uint32_t* pnCompressed, uint32_t* pnExpanded) const;
    // The sizes in full without decoding anything: the file's own (-1 when it cannot
    // be opened) and the expanded size its header records, as GetSize tells it, but
    // kSizeNotRecorded for a KWAJ file without a length field whose data must be
    // decoded to measure it.
    void RecordedSizes(int64_t* pnCompressed, uint64_t* pnExpanded) const;
    // GuessExtensionFromHeader and GetSizes through one open of the file, as a new row needs.
    void ReadHeader(uint32_t* pnCompressed, uint32_t* pnExpanded);
    // Writes the expanded file beside the source (empty prefix) or under the prefix,
    // a folder that already ends in a backslash. False when no complete file was written;
    // an existing target is then left as it was and m_szOutputPath is empty.
    // With kKeepExisting an existing target is never replaced, not even by one
    // that appears while the data is expanded (kFailTargetExists).
    // With kSalvageDamaged a truncated, corrupt or unreadable source still gives a file
    // of what its data yields: Expand then returns false with kFailTruncated,
    // kFailCorrupt or kFailReadError, and m_szOutputPath names the file written. A
    // salvage never replaces an existing file (as kKeepExisting), and a source that
    // yields no byte at all gives no file.
    // pFolder is the output's folder (the prefix's, or the source's for an empty prefix)
    // when the caller holds it open already; otherwise it is opened here, once.
    bool Expand(const char* pszDestPrefix, Existing eExisting = kReplaceExisting, Damaged eDamaged = kRefuseDamaged,
                const platform::Folder* pFolder = nullptr);
    // The compressed extension: the text after the last '.' of m_szPath, or the
    // whole path when it has no '.'.
    const char* CompressedExtension() const;
    Failure LastFailure() const { return m_eFailure; }
    // Where the file that the last expansion replaced still stays, when it could not be
    // deleted (Windows 95/98/ME, a file open elsewhere; see platform::FileReplace);
    // empty otherwise.
    const std::string& OldCopy() const { return m_strOldCopy; }
    // Whether the last header read found a recorded extension, and took or refused it
    // (one that could not stand in a file name).
    Recorded RecordedExtension() const { return m_eRecorded; }
    // The number of files a cabinet holds, as the last header read or expansion found
    // it; 0 for any other file, or one not read yet.
    size_t CabinetMembers() const { return m_nMembers; }
    // The output name that Expand writes under the prefix; like Expand, fills an
    // empty m_szExt with the source's own extension and its dot. False (with
    // LastFailure set) when the entry cannot be expanded under that name.
    bool OutputName(const char* pszDestPrefix, std::string* pName);

    char m_szPath[kMaxPath];
    char m_szOutputPath[kMaxPath];
    char m_szExt[kMaxExt];

private:
    Failure m_eFailure = kFailNone;
    Recorded m_eRecorded = kNoneRecorded;
    std::string m_strOldCopy;
    size_t m_nMembers = 0;

    bool Fail(Failure eFailure) {
        m_eFailure = eFailure;
        return false;
    }
    bool WriteExpanded(const std::string& strName, Existing eExisting, Damaged eDamaged,
                       const platform::Folder* pFolder);
};
