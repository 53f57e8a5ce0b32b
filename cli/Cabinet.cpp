#include "cli/Cabinet.h"
#include "cli/ListFormat.h"
#include "cli/Say.h"
#include "cli/ShownName.h"
#include "core/FileStreams.h"
#include "core/HeaderName.h"
#include "lz/LzError.h"
#include "platform/Dbcs.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/PathStyle.h"

#include <vector>

namespace {

// An open cabinet with the file and the stream it reads through.
struct OpenCabinet {
    platform::File file;
    lz::FileSource source{file};
    lz::Cabinet cabinet;
    int32_t nError = LZ_ERROR_READ;

    explicit OpenCabinet(const char* pszPath) {
        if (file.OpenRead(pszPath)) nError = cabinet.Open(source);
    }
};

// The state of a member, or of a cabinet of one, after decoding gave nResult.
DataState StateOf(int64_t nResult) { return DataStateOf(nResult, false, true); }

// The recorded name in the bytes the system's paths take; null, or why not. Natively
// paths are UTF-8: a name without the UTF-8 mark is taken as ISO-8859-1, as other
// cabinet readers on such systems take it. On Windows paths are in the ANSI code page,
// which the maker's own names are in, and a marked name is spelled in it.
const char* SystemSpelling(const lz::CabinetMember& member, std::string* pName) {
    const std::string& s = member.strName;
    if (member.bUtf8Name) {
        if (platform::NameFromUtf8(s, pName)) return nullptr;
        std::u16string units;
        return platform::DecodeUtf8(s, &units) ? "its name has no spelling in the system's code page"
                                              : "its name is not valid UTF-8";
    }
    if (platform::BuildPathStyle() == platform::PathStyle::kWindows) {
        *pName = s;
        return nullptr;
    }
    pName->clear();
    for (char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            *pName += c;
        } else {
            *pName += static_cast<char>(0xC0 | (b >> 6));
            *pName += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return nullptr;
}

// Opens, making them when missing, the folders of strRelative (all but its last part)
// below the destination, each by its name in the one above and never through a link.
// *ppFolder is the member's folder: the destination itself, or pOwn. Empty, or why not.
std::string OpenMemberFolder(const platform::Folder& destination, const std::string& strRelative,
                             platform::Folder* pOwn, const platform::Folder** ppFolder) {
    *ppFolder = &destination;
    for (size_t nStart = 0, nEnd; (nEnd = platform::FindSeparator(strRelative, nStart)) != std::string::npos;
         nStart = nEnd + 1) {
        const std::string strName = strRelative.substr(nStart, nEnd - nStart);
        if (pOwn->OpenBelow(**ppFolder, strName, true)) {
            *ppFolder = pOwn;
            continue;
        }
        const std::string strReason = platform::ErrorText(platform::LastError());
        const std::string strPath = ShownName((*ppFolder)->Prefix() + strName);
        platform::PathKind eKind;
        if ((*ppFolder)->GetKind(strName.c_str(), &eKind) && eKind == platform::PathKind::kLink)
            return strPath + " is a symbolic link; not followed";
        return "cannot create the folder " + strPath + ": " + strReason;
    }
    return std::string();
}

bool ExtractMember(OpenCabinet& open, size_t nIndex, const char* pszPath, const platform::Folder& destination,
                   const ExtractOptions& options) {
    const lz::CabinetMember& member = open.cabinet.Members()[nIndex];
    std::string strRelative;
    if (const char* pszWhy = MemberPath(member, &strRelative)) {
        // The name itself is never shown.
        ReportError(pszPath, "member " + std::to_string(nIndex + 1) + ": " + pszWhy + "; not written");
        return false;
    }
    platform::Folder own;
    const platform::Folder* pFolder = nullptr;
    const std::string strWhy = OpenMemberFolder(destination, strRelative, &own, &pFolder);
    if (!strWhy.empty()) {
        ReportError(pszPath, strWhy);
        return false;
    }
    const size_t nSep = strRelative.find_last_of(platform::Separator());
    const std::string strLeaf = strRelative.substr(nSep == std::string::npos ? 0 : nSep + 1);
    const std::string strTarget = pFolder->Prefix() + strLeaf;
    platform::PathKind eKind;
    if (options.bKeepExisting && pFolder->GetKind(strLeaf.c_str(), &eKind)) {
        ReportError(pszPath, ShownName(strTarget) + " exists; not replaced");
        return false;
    }
    platform::UnfinishedFile out;
    if (!out.Create(*pFolder, platform::MaxPath())) {
        ReportError(strTarget, "cannot create the output file");
        return false;
    }
    lz::FileSink sink(out.Data());
    const int64_t nResult = open.cabinet.Extract(nIndex, sink);
    const bool bDamaged = nResult == LZ_ERROR_READ || nResult == LZ_ERROR_CORRUPT;
    if (nResult < 0 && !(bDamaged && options.bSalvage && out.Data().Size() > 0)) {
        out.Drop();
        ReportError(strTarget, nResult == LZ_ERROR_WRITE ? "write failed (disk full?)" : DataStateReason(StateOf(nResult)));
        return false;
    }
    platform::LocalTime local;
    local.nYear = member.time.nYear, local.nMonth = member.time.nMonth, local.nDay = member.time.nDay;
    local.nHour = member.time.nHour, local.nMinute = member.time.nMinute, local.nSecond = member.time.nSecond;
    platform::FileTime t;
    if (nResult >= 0 && platform::FileTimeFromLocal(local, &t)) out.Data().SetWriteTime(t);
    // What a damaged member yields never replaces a file, as for the other formats.
    const bool bReplace = !options.bKeepExisting && nResult >= 0;
    if (!out.Name(strLeaf.c_str(), bReplace)) {
        ReportError(strTarget, !bReplace && pFolder->GetKind(strLeaf.c_str(), &eKind) ? "exists; not replaced"
                                                                                    : "cannot create the output file");
        return false;
    }
    if (!options.bQuiet)
        Say(stdout, ShownName(pszPath) + " -> " + ShownName(strTarget) + (nResult < 0 ? " (damaged)" : ""));
    if (nResult >= 0) return true;
    ReportError(strTarget, std::string("damaged, written as far as its data goes: ") +
                               DataStateReason(StateOf(nResult)));
    return false;
}

}  // namespace

const char* MemberPath(const lz::CabinetMember& member, std::string* pPath) {
    std::string strName;
    if (const char* pszWhy = SystemSpelling(member, &strName)) return pszWhy;
    const bool bWindows = platform::BuildPathStyle() == platform::PathStyle::kWindows;
    std::string strPath, strPart;
    for (size_t i = 0; i <= strName.size(); ++i) {
        const char c = i < strName.size() ? strName[i] : '\0';
        if (c == '\\' || c == '/' || c == '\0') {
            if (!IsSafeMemberName(strPart.c_str())) return "its name would leave the destination or cannot name a file";
            strPath += strPart;
            if (c) strPath += platform::Separator();
            strPart.clear();
            continue;
        }
        strPart += c;
        // The second byte of a double-byte character is never a separator.
        if (bWindows && platform::IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < strName.size())
            strPart += strName[++i];
    }
    *pPath = strPath;
    return nullptr;
}

std::string MethodName(uint16_t nCompression) {
    switch (nCompression & 0x0F) {
    case lz::kCabinetStored: return "stored";
    case lz::kCabinetMszip: return "MSZIP";
    case lz::kCabinetQuantum: return "Quantum";
    case lz::kCabinetLzx: return "LZX:" + std::to_string((nCompression >> 8) & 0x1F);
    }
    return "method " + std::to_string(nCompression & 0x0F);
}

bool ListCabinet(const char* pszPath, const std::string& strExtension, bool bQuiet) {
    OpenCabinet open(pszPath);
    const int64_t nSize = open.file.Size();
    if (open.nError < 0) {
        ListEntry entry{ShownName(pszPath), strExtension, static_cast<uint64_t>(nSize < 0 ? 0 : nSize), 0, StateOf(open.nError)};
        if (!bQuiet) Say(stdout, ListLine(entry));
        ReportError(pszPath, DataStateReason(entry.eState));
        return false;
    }
    const std::vector<lz::CabinetMember>& members = open.cabinet.Members();
    std::vector<DataState> states;
    uint64_t nTotal = 0;
    bool bWhole = true;
    // A set's members are not decoded: their data lies partly in other cabinets.
    const bool bSpanned = open.cabinet.Spanned();
    for (size_t i = 0; i < members.size(); ++i) {
        lz::CountingSink counter;
        states.push_back(bSpanned ? DataState::kSpanned : StateOf(open.cabinet.Extract(i, counter)));
        nTotal += members[i].nSize;
        bWhole = bWhole && !IsDamaged(states.back());
    }
    const bool bArchive = members.size() > 1;
    const DataState eState = bSpanned ? DataState::kSpanned : bArchive ? DataState::kArchive : states[0];
    const std::string strNote = bArchive ? " (cabinet of " + std::to_string(members.size()) + " files)"
                                         : " (cabinet, " + MethodName(members[0].nCompression) + ")";
    if (!bQuiet) {
        Say(stdout, ListLine({ShownName(pszPath), strExtension, static_cast<uint64_t>(nSize), nTotal, eState}) + strNote);
        for (size_t i = 0; bArchive && i < members.size(); ++i) {
            std::string strMember;
            if (MemberPath(members[i], &strMember)) strMember = "(member " + std::to_string(i + 1) + ": name refused)";
            const size_t nDot = strMember.find_last_of('.');
            const size_t nSep = strMember.find_last_of(platform::Separator());
            const bool bExt = nDot != std::string::npos && (nSep == std::string::npos || nDot > nSep);
            const std::string strExt = bExt ? strMember.substr(nDot + 1) : "";
            Say(stdout, MemberLine(ShownName(strMember), strExt, members[i].nSize, states[i]) + " (" +
                            MethodName(members[i].nCompression) + ")");
        }
    }
    if (bSpanned) {
        ReportError(pszPath, DataStateReason(eState));
        return false;
    }
    for (size_t i = 0; i < members.size(); ++i)
        if (IsDamaged(states[i]))
            ReportError(bArchive ? std::string(pszPath) + ": member " + std::to_string(i + 1) : pszPath,
                        DataStateReason(states[i]));
    return bWhole;
}

bool ExtractCabinet(const char* pszPath, const platform::Folder& folder, const ExtractOptions& options) {
    OpenCabinet open(pszPath);
    if (open.nError < 0) {
        ReportError(pszPath, DataStateReason(StateOf(open.nError)));
        return false;
    }
    if (open.cabinet.Spanned()) {
        ReportError(pszPath, DataStateReason(DataState::kSpanned));
        return false;
    }
    bool bAllDone = true;
    for (size_t i = 0; i < open.cabinet.Members().size(); ++i)
        bAllDone = ExtractMember(open, i, pszPath, folder, options) && bAllDone;
    return bAllDone;
}
