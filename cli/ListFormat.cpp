#include "cli/ListFormat.h"
#include "lz/LzError.h"

namespace {

std::string PadRight(std::string s, size_t nWidth) {
    if (s.size() < nWidth) s.resize(nWidth, ' ');
    return s;
}

std::string PadLeft(std::string s, size_t nWidth) {
    if (s.size() < nWidth) s.insert(0, nWidth - s.size(), ' ');
    return s;
}

// nPart by nWhole in percent with one decimal, rounded as "%.1f" rounds the quotient
// (to even on an exact tie). By hand, so that the Windows tool carries no printf; the
// tenths are exact in a long double, whose 64-bit mantissa holds the quotient's 53
// bits times ten.
std::string Percent(uint64_t nPart, uint64_t nWhole) {
    const double dPercent = static_cast<double>(nPart) * 100.0 / static_cast<double>(nWhole);
    if (dPercent >= 1e15) return std::to_string(static_cast<uint64_t>(dPercent)) + ".0%";  // no real file
    const long double dTenths = static_cast<long double>(dPercent) * 10;
    uint64_t nTenths = static_cast<uint64_t>(dTenths);
    const long double dRest = dTenths - static_cast<long double>(nTenths);
    if (dRest > 0.5L || (dRest == 0.5L && nTenths % 2 == 1)) ++nTenths;
    return std::to_string(nTenths / 10) + "." + std::to_string(nTenths % 10) + "%";
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

std::string Columns(const std::string& strCompressed, uint64_t nExpanded, const std::string& strRatio,
                    const std::string& strExtension, DataState eState) {
    return PadLeft(strCompressed, 10) + " " + PadLeft(std::to_string(nExpanded), 10) + " " + PadLeft(strRatio, 7) +
           "  " + PadRight(strExtension.empty() ? "unknown" : strExtension, 8) + " " +
           PadRight(DataStateWord(eState), 14) + " ";
}

}  // namespace

std::string MemberLine(const std::string& strPath, const std::string& strExtension, uint64_t nExpanded,
                       DataState eState) {
    return Columns("-", nExpanded, "---", strExtension, eState) + "  " + strPath;
}

std::string ListLine(const ListEntry& entry) {
    const std::string strRatio = entry.nExpanded == 0 ? "---" : Percent(entry.nCompressed, entry.nExpanded);
    return Columns(std::to_string(entry.nCompressed), entry.nExpanded, strRatio, entry.strExtension, entry.eState) +
           entry.strPath;
}
