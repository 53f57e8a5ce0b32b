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
    if (nResult < 0) return DataState::kCorrupt;
    return bCompressed ? DataState::kComplete : DataState::kUncompressed;
}

bool IsDamaged(DataState eState) { return eState != DataState::kComplete && eState != DataState::kUncompressed; }

const char* DataStateWord(DataState eState) {
    switch (eState) {
    case DataState::kComplete: return "complete";
    case DataState::kUncompressed: return "uncompressed";
    case DataState::kTruncated: return "truncated";
    case DataState::kUnknownMethod: return "unknown-method";
    case DataState::kCorrupt: return "corrupt";
    case DataState::kReadError: return "read-error";
    }
    return "?";
}

const char* DataStateReason(DataState eState) {
    switch (eState) {
    case DataState::kTruncated: return "truncated: the data ends before its expanded length";
    case DataState::kUnknownMethod: return "unknown compression method";
    case DataState::kCorrupt: return "corrupt data";
    case DataState::kReadError: return "read error";
    case DataState::kComplete:
    case DataState::kUncompressed: break;
    }
    return DataStateWord(eState);
}

std::string ListLine(const ListEntry& entry) {
    char szRatio[32];
    if (entry.nExpanded == 0)
        std::snprintf(szRatio, sizeof szRatio, "---");
    else
        std::snprintf(szRatio, sizeof szRatio, "%.1f%%", static_cast<double>(entry.nCompressed) * 100.0 / entry.nExpanded);
    char szSizes[64];
    std::snprintf(szSizes, sizeof szSizes, "%10llu %10llu %7s  ",
                  static_cast<unsigned long long>(entry.nCompressed), static_cast<unsigned long long>(entry.nExpanded),
                  szRatio);
    return szSizes + PadRight(entry.strExtension.empty() ? "unknown" : entry.strExtension, 8) + " " +
           PadRight(DataStateWord(entry.eState), 14) + " " + entry.strPath;
}
