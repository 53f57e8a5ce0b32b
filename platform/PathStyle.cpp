#include "platform/PathStyle.h"

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

bool IsSeparator(char c) { return c == '/' || (c == '\\' && IsWindows()); }

bool NamesIgnoreCase() { return IsWindows(); }

}  // namespace platform
