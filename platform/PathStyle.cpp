#include "platform/PathStyle.h"
#include "platform/Dbcs.h"

#include <atomic>

namespace platform {

namespace {

#ifdef _WIN32
constexpr PathStyle kBuildStyle = PathStyle::kWindows;
#else
constexpr PathStyle kBuildStyle = PathStyle::kNative;
#endif

// Constant-initialised, so it holds the build's style before any other initialiser runs.
std::atomic<PathStyle> g_style{kBuildStyle};

bool IsWindows() { return g_style.load(std::memory_order_relaxed) == PathStyle::kWindows; }

}  // namespace

PathStyle BuildPathStyle() { return kBuildStyle; }

PathStyle SetPathStyle(PathStyle eStyle) { return g_style.exchange(eStyle); }

size_t MaxPath() { return IsWindows() ? size_t{260} : size_t{kBuildMaxPath}; }

size_t MaxExtension() { return IsWindows() ? size_t{52} : size_t{kBuildMaxExtension}; }

bool IsSeparator(char c) { return c == '/' || (c == '\\' && IsWindows()); }

bool NamesIgnoreCase() { return IsWindows(); }

char Separator() { return IsWindows() ? '\\' : '/'; }

std::string FolderPrefix(const std::string& strFolder) {
    if (strFolder.empty()) return strFolder;
    size_t nLast = 0;  // where the last character starts
    for (size_t i = 0; i < strFolder.size(); ++i) {
        nLast = i;
        if (IsLeadByte(static_cast<unsigned char>(strFolder[i])) && i + 1 < strFolder.size()) ++i;
    }
    const char cLast = strFolder[nLast];
    const bool bDriveAlone = IsWindows() && strFolder.size() == 2 && cLast == ':';
    if ((nLast == strFolder.size() - 1 && IsSeparator(cLast)) || bDriveAlone) return strFolder;
    return strFolder + Separator();
}

size_t FindSeparator(const std::string& strPath, size_t nFrom) {
    for (size_t i = nFrom; i < strPath.size(); ++i) {
        if (IsSeparator(strPath[i])) return i;
        if (IsLeadByte(static_cast<unsigned char>(strPath[i]))) ++i;
    }
    return std::string::npos;
}

}  // namespace platform
