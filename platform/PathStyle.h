// How the build's file system reads a path, beside its double-byte characters
// (Dbcs.h): which bytes separate folders and whether names differ by case.
#pragma once

namespace platform {

enum class PathStyle {
    kWindows,  // '\' and '/' separate, names ignore case
    kNative,   // only '/' separates; every other byte is part of a name, compared exactly
};

// The build's own style: kWindows on Windows, kNative elsewhere.
PathStyle BuildPathStyle();
// Puts another style in place and returns the previous one. For tests of the
// Windows rules on a native build.
PathStyle SetPathStyle(PathStyle eStyle);

// True when c separates folders under the style in place.
bool IsSeparator(char c);
// True when two names that differ only in the case of ASCII letters name one file.
bool NamesIgnoreCase();

}  // namespace platform
