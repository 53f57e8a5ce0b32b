#include "cli/ListFormat.h"
#include "lz/LzError.h"

#include <cstdio>

namespace {

std::string PadRight(std::string s, size_t nWidth) {
    if (s.size() < nWidth) s.resize(nWidth, ' ');
    return s;
}

}  // namespace

DataState DataStateOf(int64_t nResult, bool bReadFailed, bool bCompressed) {
    if (bReadFailed) return DataState::kReadError;
    if (nResult == LZ_ERROR_READ) return DataState::kTruncated;
    if (nResult == LZ_ERROR_UNKNOWNALG) return DataState::kUnknownMethod;
    if (nResult == LZ_ERROR_ARCHIVE) return DataState::kArchive;
    if (nResult == LZ_ERROR_SPANNED) return DataState::kSpanned;
    if (nResult < 0) return DataState::kCorrupt;
    return bCompressed ? DataState::kComplete : DataState::kUncompressed;
}

bool IsDamaged(DataState eState) {
    return eState != DataState::kComplete && eState != DataState::kUncompressed && eState != DataState::kArchive;
}

const char* DataStateWord(DataState eState) {
    switch (eState) {
    case DataState::kComplete: return "complete";
    case DataState::kUncompressed: return "uncompressed";
    case DataState::kTruncated: return "truncated";
    case DataState::kUnknownMethod: return "unknown-method";
    case DataState::kCorrupt: return "corrupt";
    case DataState::kReadError: return "read-error";
    case DataState::kArchive: return "archive";
    case DataState::kSpanned: return "spanned";
    }
    return "?";
}

const char* DataStateReason(DataState eState) {
    switch (eState) {
    case DataState::kTruncated: return "truncated: the data ends before its expanded length";
    case DataState::kUnknownMethod: return "unknown compression method";
    case DataState::kCorrupt: return "corrupt data";
    case DataState::kReadError: return "read error";
    case DataState::kArchive: return "a cabinet of several files: extract them without -c";
    case DataState::kSpanned: return "one cabinet of a set: its data continues in another cabinet";
    case DataState::kComplete:
    case DataState::kUncompressed: break;
    }
    return DataStateWord(eState);
}

namespace {

std::string Columns(const char* pszCompressed, uint64_t nExpanded, const char* pszRatio, const std::string& strExtension,
                    DataState eState) {
    char szSizes[64];
    std::snprintf(szSizes, sizeof szSizes, "%10s %10llu %7s  ", pszCompressed, static_cast<unsigned long long>(nExpanded),
                  pszRatio);
    return szSizes + PadRight(strExtension.empty() ? "unknown" : strExtension, 8) + " " +
           PadRight(DataStateWord(eState), 14) + " ";
}

}  // namespace

std::string MemberLine(const std::string& strPath, const std::string& strExtension, uint64_t nExpanded,
                       DataState eState) {
    return Columns("-", nExpanded, "---", strExtension, eState) + "  " + strPath;
}

std::string ListLine(const ListEntry& entry) {
    char szRatio[32];
    if (entry.nExpanded == 0)
        std::snprintf(szRatio, sizeof szRatio, "---");
    else
        std::snprintf(szRatio, sizeof szRatio, "%.1f%%", static_cast<double>(entry.nCompressed) * 100.0 / entry.nExpanded);
    const std::string strCompressed = std::to_string(entry.nCompressed);
    return Columns(strCompressed.c_str(), entry.nExpanded, szRatio, entry.strExtension, entry.eState) + entry.strPath;
}
