// How the build's file system reads a path, beside its double-byte characters
// (Dbcs.h): which bytes separate folders and whether names differ by case.
#pragma once
#include <cstddef>
#include <string>

namespace platform {

enum class PathStyle {
    kWindows,  // '\' and '/' separate, names ignore case
    kNative,   // only '/' separates; every other byte is part of a name, compared exactly
};

// The room that the build's fixed buffers give a path and a file name's extension,
// in bytes with the terminating NUL: Windows' MAX_PATH and the 51 bytes of the
// window's extension box; natively the system's PATH_MAX and a whole name (NAME_MAX).
#ifdef _WIN32
enum : size_t { kBuildMaxPath = 260, kBuildMaxExtension = 52 };
#else
enum : size_t { kBuildMaxPath = 4096, kBuildMaxExtension = 256 };
#endif

// The build's own style: kWindows on Windows, kNative elsewhere.
PathStyle BuildPathStyle();
// Puts another style in place and returns the previous one. For tests of the
// Windows rules on a native build.
PathStyle SetPathStyle(PathStyle eStyle);

// The longest path and extension held, with the NUL, under the style in place: the
// Windows program's 260 and 52 under kWindows, the build's own room under kNative.
size_t MaxPath();
size_t MaxExtension();

// True when c separates folders under the style in place.
bool IsSeparator(char c);
// True when two names that differ only in the case of ASCII letters name one file.
bool NamesIgnoreCase();

// The separator of the paths a program makes under the style in place: '\' on
// Windows, '/' natively.
char Separator();
// The folder as the beginning of its entries' paths: with a separator at its end
// unless it has one there already (or, under the Windows style, is a drive's "X:"
// alone, which means that drive's current folder). Empty stays empty.
std::string FolderPrefix(const std::string& strFolder);
// Where the first separator at or after nFrom is (nFrom at the start of a character),
// or npos; the second byte of a double-byte character is never one.
size_t FindSeparator(const std::string& strPath, size_t nFrom);

}  // namespace platform
