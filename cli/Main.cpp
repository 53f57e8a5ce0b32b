// zorvane-expand [OPTION]... FILE...
// Expands SZDD and KWAJ files from a command line with the naming rules of the desktop
// program: the command line is in Options.cpp, the names in Naming.cpp, the list in
// ListFormat.cpp; what it asks of the system goes through platform/.
#include "cli/Cabinet.h"
#include "cli/Decode.h"
#include "cli/ListFormat.h"
#include "cli/Naming.h"
#include "cli/Options.h"
#include "cli/Progress.h"
#include "cli/Say.h"
#include "cli/ShownName.h"
#include "cli/Tree.h"
#include "cli/Wildcards.h"
#include "core/CompressedFile.h"
#include "core/MbcsText.h"
#include "platform/Console.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/PathStyle.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

using platform::PathKind;

const char* Reason(CCompressedFile::Failure e) {
    switch (e) {
    case CCompressedFile::kFailNoFile: return "path too long";
    case CCompressedFile::kFailNoDot: return "file name has no extension";
    case CCompressedFile::kFailExtTooLong: return "extension too long";
    case CCompressedFile::kFailNameTooLong: return "output path too long";
    case CCompressedFile::kFailSameAsSource: return "output would replace the source";
    case CCompressedFile::kFailSourceUnreadable: return "cannot open the file";
    case CCompressedFile::kFailTargetUnwritable: return "cannot create the output file";
    case CCompressedFile::kFailTruncated: return DataStateReason(DataState::kTruncated);
    case CCompressedFile::kFailReadError: return DataStateReason(DataState::kReadError);
    case CCompressedFile::kFailCorrupt: return DataStateReason(DataState::kCorrupt);
    case CCompressedFile::kFailUnknownMethod: return DataStateReason(DataState::kUnknownMethod);
    case CCompressedFile::kFailWrite: return "write failed (disk full?)";
    case CCompressedFile::kFailTargetReadOnly: return "the output file exists and is read-only";
    case CCompressedFile::kFailTargetExists: return "the output file exists";
    case CCompressedFile::kFailLeavesFolder: return "the output name would leave its folder";
    case CCompressedFile::kFailArchive: return "a cabinet of several files";
    case CCompressedFile::kFailSpanned: return "one cabinet of a set: its data continues in another cabinet";
    case CCompressedFile::kFailNone: break;
    }
    return "failed";
}

std::string SystemReason() { return platform::ErrorText(platform::LastError()); }

// Only plain files are read: a pipe or a device could keep the tool waiting.
std::string NotAFile(PathKind eKind) {
    const char* pszKind = eKind == PathKind::kFolder        ? "a folder"
                          : eKind == PathKind::kFifo        ? "a FIFO"
                          : eKind == PathKind::kCharDevice  ? "a character device"
                          : eKind == PathKind::kBlockDevice ? "a block device"
                          : eKind == PathKind::kSocket      ? "a socket"
                                                            : "another kind";
    return std::string("not a regular file (") + pszKind + ")";
}

// Why a file that exists cannot be opened, in the system's words when it has some.
std::string CannotOpen(const char* pszPath) {
    PathKind eKind;
    if (platform::GetPathKind(pszPath, platform::Links::kFollow, &eKind) && eKind != PathKind::kFile)
        return NotAFile(eKind);
    if (!platform::MayRead(pszPath)) return "cannot open the file: " + SystemReason();
    return Reason(CCompressedFile::kFailSourceUnreadable);
}

// The expanded size that the file's header records, without decoding; 0 when it
// records none, so that such a file gets no progress line.
uint64_t RecordedExpandedSize(const CCompressedFile& file) {
    int64_t nCompressed;
    uint64_t nExpanded;
    file.RecordedSizes(&nCompressed, &nExpanded);
    return nExpanded == CCompressedFile::kSizeNotRecorded ? 0 : nExpanded;
}

// How a result line tells that the replaced file's old copy stays (on Windows 95/98/ME,
// while it is open elsewhere); it is tried once more when the run ends.
std::string OldCopyNote(const std::string& strOldCopy) {
    return strOldCopy.empty() ? std::string() : " (the old file stays as " + ShownName(strOldCopy) + " while in use)";
}

// A progress line for a file that expands to nTotal bytes, when it wants one.
std::unique_ptr<CProgressLine> ProgressFor(const std::string& strPath, uint64_t nTotal, bool bQuiet,
                                           std::function<uint64_t()> sample) {
    if (!WantsProgress(nTotal, bQuiet)) return nullptr;
    return std::unique_ptr<CProgressLine>(new CProgressLine(ShownName(strPath), nTotal, std::move(sample)));
}

class CExpandRun {
public:
    explicit CExpandRun(const Options& options) : m_o(options) {}
    // 0 when every file was done, else 1.
    int Go();

private:
    bool TakePattern(const std::string& strArg);
    bool TakeArgument(const std::string& strArg);
    bool TakeFile(const std::string& strPath, const std::string& strTree, const std::string& strRelativeFolder);
    std::string OpenTreeFolder(const std::string& strTree, const std::string& strRelativeFolder,
                               platform::Folder* pFolder);
    bool ExpandFile(CCompressedFile& file, NameRule eRule, const std::string& strTree,
                    const std::string& strRelativeFolder);
    bool ListFile(CCompressedFile& file, NameRule eRule);
    bool ExtractArchive(CCompressedFile& file, const std::string& strTree, const std::string& strRelativeFolder);
    bool WriteToStdout(CCompressedFile& file);

    const Options& m_o;
};

int CExpandRun::Go() {
    if (m_o.bToStdout && platform::IsTerminal(platform::StandardStream::kOutput)) {
        ReportError(m_o.files[0], "not written to a terminal; redirect standard output to a file or a pipe");
        return 1;
    }
    PathKind eKind;
    if (!m_o.strDirectory.empty() &&
        (!platform::GetPathKind(m_o.strDirectory.c_str(), platform::Links::kFollow, &eKind) ||
         eKind != PathKind::kFolder)) {
        ReportError(m_o.strDirectory, "no such folder");
        return 1;
    }
    bool bAllDone = true;
    for (const std::string& strArg : m_o.files) bAllDone = TakePattern(strArg) && bAllDone;
    // The expansions were done all the same: what stays is told, and is no failure.
    for (const std::string& strPath : platform::RemoveOldCopies())
        ReportError(strPath, "the old copy of a replaced file is still in use; delete it later");
    return bAllDone ? 0 : 1;
}

// Where the system leaves wildcards to the program, an argument that has some stands
// for the names they match; a folder among them only with -R, as nobody named it.
bool CExpandRun::TakePattern(const std::string& strArg) {
    if (!platform::HasDosCommandLine() || !HasWildcards(strArg)) return TakeArgument(strArg);
    std::vector<std::string> paths;
    for (const std::string& strPath : MatchWildcards(strArg)) {
        PathKind eKind;
        if (m_o.bRecursive || !platform::GetPathKind(strPath.c_str(), platform::Links::kFollow, &eKind) ||
            eKind != PathKind::kFolder)
            paths.push_back(strPath);
    }
    if (paths.empty()) {
        ReportError(strArg, "no file matches");
        return false;
    }
    if (m_o.bToStdout && paths.size() > 1) {
        ReportError(strArg, "matches more than one file; -c expands exactly one");
        return false;
    }
    bool bAllDone = true;
    for (const std::string& strPath : paths) bAllDone = TakeArgument(strPath) && bAllDone;
    return bAllDone;
}

bool CExpandRun::TakeArgument(const std::string& strArg) {
    PathKind eKind;
    if (!platform::GetPathKind(strArg.c_str(), platform::Links::kFollow, &eKind)) {
        ReportError(strArg, SystemReason());
        return false;
    }
    if (eKind == PathKind::kFile) return TakeFile(strArg, std::string(), std::string());
    if (eKind != PathKind::kFolder) {
        ReportError(strArg, NotAFile(eKind));
        return false;
    }
    if (!m_o.bRecursive) {
        ReportError(strArg, "is a folder (-R takes the compressed files in it)");
        return false;
    }
    std::vector<FoundFile> files;
    std::vector<std::string> links, unreadable;
    FindCompressedFiles(strArg, &files, &links, &unreadable);
    // Not a failure: a tree's links are never taken, as they may lead out of it.
    for (const std::string& strLink : links) ReportError(strLink, "skipped: a symbolic link");
    for (const std::string& strFolder : unreadable) ReportError(strFolder, "cannot read the folder");
    bool bAllDone = unreadable.empty();
    for (const FoundFile& found : files)
        bAllDone = TakeFile(found.strPath, strArg, found.strRelativeFolder) && bAllDone;
    return bAllDone;
}

// strTree: the folder named for -R that the file was found in, else empty.
bool CExpandRun::TakeFile(const std::string& strPath, const std::string& strTree,
                          const std::string& strRelativeFolder) {
    CCompressedFile file(strPath.c_str());
    if (file.m_szPath[0] == '\0') {
        ReportError(strPath, Reason(CCompressedFile::kFailNoFile));
        return false;
    }
    const NameRule eRule = ChooseExtension(file, m_o.bRestoreFromHeader);
    if (m_o.bList && file.CabinetMembers() > 0)
        return ListCabinet(file.m_szPath, eRule == NameRule::kFallback ? "" : file.m_szExt, m_o.bQuiet);
    if (m_o.bList) return ListFile(file, eRule);
    if (m_o.bToStdout) return WriteToStdout(file);
    if (file.CabinetMembers() > 1) return ExtractArchive(file, strTree, strRelativeFolder);
    return ExpandFile(file, eRule, strTree, strRelativeFolder);
}

// The output's folder for a file of a tree: the folders below the top one (DIR of -d,
// where they are made when missing, or else the tree's own) are taken one by one and
// never through a link, so that a folder swapped for one cannot send the file elsewhere.
// Empty, or why not.
std::string CExpandRun::OpenTreeFolder(const std::string& strTree, const std::string& strRelativeFolder,
                                       platform::Folder* pFolder) {
    const bool bMake = !m_o.strDirectory.empty();
    const std::string& strTop = bMake ? m_o.strDirectory : strTree;
    if (!pFolder->Open(strTop)) return "cannot open the folder " + ShownName(strTop) + ": " + SystemReason();
    for (size_t nStart = 0, nEnd; nStart < strRelativeFolder.size(); nStart = nEnd + 1) {
        nEnd = platform::FindSeparator(strRelativeFolder, nStart);
        if (nEnd == std::string::npos) nEnd = strRelativeFolder.size();
        const std::string strName = strRelativeFolder.substr(nStart, nEnd - nStart);
        if (pFolder->OpenBelow(*pFolder, strName, bMake)) continue;
        const std::string strReason = SystemReason();
        const std::string strPath = ShownName(pFolder->Prefix() + strName);
        PathKind eKind;
        if (pFolder->GetKind(strName.c_str(), &eKind) && eKind == PathKind::kLink)
            return strPath + " is a symbolic link; not followed";
        return (bMake ? "cannot create the folder " : "cannot open the folder ") + strPath + ": " + strReason;
    }
    return std::string();
}

bool CExpandRun::ExpandFile(CCompressedFile& file, NameRule eRule, const std::string& strTree,
                            const std::string& strRelativeFolder) {
    const std::string strPrefix = DestinationPrefix(m_o.strDirectory, strRelativeFolder);
    platform::Folder folder;
    const std::string strNoFolder =
        strTree.empty() ? std::string() : OpenTreeFolder(strTree, strRelativeFolder, &folder);
    if (!strNoFolder.empty()) {
        ReportError(file.m_szPath, strNoFolder);
        return false;
    }
    bool bDone;
    {
        const uint64_t nExpanded = RecordedExpandedSize(file);
        const uint64_t nWrittenBefore = platform::BytesWrittenToFiles();
        auto pProgress = ProgressFor(file.m_szPath, nExpanded, m_o.bQuiet,
                                     [nWrittenBefore] { return platform::BytesWrittenToFiles() - nWrittenBefore; });
        bDone = file.Expand(strPrefix.c_str(),
                            m_o.bKeepExisting ? CCompressedFile::kKeepExisting : CCompressedFile::kReplaceExisting,
                            m_o.bSalvage ? CCompressedFile::kSalvageDamaged : CCompressedFile::kRefuseDamaged,
                            folder.IsOpen() ? &folder : nullptr);
    }
    const bool bSalvaged = !bDone && file.m_szOutputPath[0] != '\0';
    if (bDone || bSalvaged) {
        if (!m_o.bQuiet)
            Say(stdout, ShownName(file.m_szPath) + " -> " + ShownName(file.m_szOutputPath) +
                            NameNote(eRule, file.RecordedExtension()) + (bSalvaged ? " (damaged)" : "") +
                            OldCopyNote(file.OldCopy()));
        if (bDone) return true;
        ReportError(file.m_szPath,
                    std::string("damaged, written as far as its data goes: ") + Reason(file.LastFailure()));
        return false;
    }
    std::string strName;
    const CCompressedFile::Failure eFailure = file.LastFailure();
    switch (eFailure) {
    case CCompressedFile::kFailTargetExists:
        file.OutputName(strPrefix.c_str(), &strName);
        ReportError(file.m_szPath,
                    ShownName(strName) + " exists; not replaced" +
                        (m_o.bSalvage && !m_o.bKeepExisting ? " (--salvage never replaces a file)" : ""));
        break;
    case CCompressedFile::kFailSourceUnreadable: ReportError(file.m_szPath, CannotOpen(file.m_szPath)); break;
    case CCompressedFile::kFailTruncated:
    case CCompressedFile::kFailCorrupt:
    case CCompressedFile::kFailReadError:
        ReportError(file.m_szPath, std::string(Reason(eFailure)) + (m_o.bSalvage ? "; nothing to salvage" : ""));
        break;
    default: ReportError(file.m_szPath, Reason(eFailure)); break;
    }
    return false;
}

// The members of an archive go where an expanded file would: into -d's folder (and the
// folders below it that -R found the archive in), else beside the archive.
bool CExpandRun::ExtractArchive(CCompressedFile& file, const std::string& strTree,
                                const std::string& strRelativeFolder) {
    platform::Folder folder;
    std::string strNoFolder;
    if (!strTree.empty()) {
        strNoFolder = OpenTreeFolder(strTree, strRelativeFolder, &folder);
    } else {
        const char* pszSep = mbcs::FindLastSeparator(file.m_szPath);
        const std::string strTop = !m_o.strDirectory.empty() ? m_o.strDirectory
            : std::string(file.m_szPath, pszSep ? static_cast<size_t>(pszSep - file.m_szPath) + 1 : 0);
        if (!folder.Open(strTop)) strNoFolder = "cannot open the folder " + ShownName(strTop) + ": " + SystemReason();
    }
    if (!strNoFolder.empty()) {
        ReportError(file.m_szPath, strNoFolder);
        return false;
    }
    ExtractOptions options;
    options.bKeepExisting = m_o.bKeepExisting;
    options.bSalvage = m_o.bSalvage;
    options.bQuiet = m_o.bQuiet;
    return ExtractCabinet(file.m_szPath, folder, options);
}

bool CExpandRun::ListFile(CCompressedFile& file, NameRule eRule) {
    int64_t nCompressed;
    uint64_t nRecorded;
    file.RecordedSizes(&nCompressed, &nRecorded);
    const bool bRecorded = nRecorded != CCompressedFile::kSizeNotRecorded;
    CCountingSink sink(false);
    DecodeResult result;
    bool bOpened;
    {
        auto pProgress =
            ProgressFor(file.m_szPath, bRecorded ? nRecorded : 0, m_o.bQuiet, [&sink] { return sink.Count(); });
        bOpened = nCompressed >= 0 && DecodeFile(file.m_szPath, sink, &result);
    }
    if (!bOpened) {
        ReportError(file.m_szPath, CannotOpen(file.m_szPath));
        return false;
    }
    // A file that records no length is as long as its data, learnt by this one decoding.
    const uint64_t nExpanded = bRecorded ? nRecorded : result.nResult < 0 ? 0 : static_cast<uint64_t>(result.nResult);
    ListEntry entry{ShownName(file.m_szPath), eRule == NameRule::kFallback ? "" : file.m_szExt,
                    static_cast<uint64_t>(nCompressed), nExpanded,
                    DataStateOf(result.nResult, result.bReadFailed, result.bCompressed)};
    if (!m_o.bQuiet) Say(stdout, ListLine(entry));
    if (!IsDamaged(entry.eState)) return true;
    ReportError(file.m_szPath, DataStateReason(entry.eState));
    return false;
}

bool CExpandRun::WriteToStdout(CCompressedFile& file) {
    CCountingSink sink(true);
    DecodeResult result;
    bool bOpened;
    {
        auto pProgress =
            ProgressFor(file.m_szPath, RecordedExpandedSize(file), m_o.bQuiet, [&sink] { return sink.Count(); });
        bOpened = DecodeFile(file.m_szPath, sink, &result);
    }
    if (!bOpened) {
        ReportError(file.m_szPath, CannotOpen(file.m_szPath));
        return false;
    }
    if (result.bInputIsOutput) {
        ReportError(file.m_szPath, "input file is output file");
        return false;
    }
    if (result.nResult >= 0) return true;
    if (result.nResult == LZ_ERROR_WRITE)
        ReportError(file.m_szPath, "cannot write to standard output: " + platform::ErrorText(sink.WriteError()));
    else
        ReportError(file.m_szPath, DataStateReason(DataStateOf(result.nResult, result.bReadFailed, true)));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const std::string strError = ParseArguments(argc, argv, &options);
    if (!strError.empty()) {
        Say(stderr, std::string(kProgramName) + ": " + strError + "\nTry '" + kProgramName +
                        " --help' for more information.");
        return 2;
    }
    if (options.bHelp) {
        std::fputs(HelpText().c_str(), stdout);
        return 0;
    }
    if (options.bVersion) {
        Say(stdout, std::string(kProgramName) + " " + kVersion);
        return 0;
    }
    return CExpandRun(options).Go();
}
