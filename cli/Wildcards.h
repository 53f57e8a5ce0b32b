// File arguments with wildcards, which a DOS-style command line leaves to the program
// (platform::HasDosCommandLine), and the order in which a folder's names are taken.
#pragma once
#include <string>
#include <vector>

// True when the argument holds '*' or '?'.
bool HasWildcards(const std::string& strArg);

// The paths of the entries of the pattern's folder whose names match its last part:
// '*' any run of characters, '?' one character, letters without case where names
// ignore it. In name order; none when nothing matches or the folder cannot be read.
std::vector<std::string> MatchWildcards(const std::string& strPattern);

// The order of names: byte by byte natively; where names ignore case, ASCII letters
// compare without it first. A double-byte character is one character throughout.
bool NameBefore(const std::string& strA, const std::string& strB);
