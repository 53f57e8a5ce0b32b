// Searches and comparisons on ANSI code page texts that step over double-byte
// characters, so that a second byte such as the 0x5C of "ソ" is never taken
// for a '\' (or for a letter). Which bytes lead is platform::IsLeadByte's rule:
// none on a native build, whose paths are plain bytes.
#pragma once

namespace mbcs {

// The last occurrence of c in psz, or null. c must be a single-byte character.
const char* FindLast(const char* psz, char c);
// The last folder separator in psz, or null: '\' or '/' on Windows, '/' natively
// (platform::IsSeparator).
const char* FindLastSeparator(const char* psz);
// Equal texts when ASCII letters are compared without case; the bytes of
// double-byte characters are compared exactly.
bool EqualNoCase(const char* pszA, const char* pszB);
// Equal as the file system tells names apart: EqualNoCase where names ignore
// case (Windows), byte for byte elsewhere.
bool SameFileName(const char* pszA, const char* pszB);
// Whether psz begins with pszPrefix, compared character by character: ASCII
// letters without case, a double-byte character byte for byte.
bool StartsWithNoCase(const char* psz, const char* pszPrefix);
// The extension of the file-name part, from its last '.' to the end with the
// dot included (".EX_" for "C:\DISK1\SETUP.EX_"); the empty text when the
// file-name part has no '.'. A leading drive letter with its colon is skipped.
const char* PathExtension(const char* pszPath);

}  // namespace mbcs
