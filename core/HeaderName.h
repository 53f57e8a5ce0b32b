// A text read from a file's header (a recorded extension, the character an SZDD
// file lost) is data, never a path: it goes into a file name only when this rule
// allows it, on Windows and natively alike.
#pragma once

// True when psz is not empty and may stand in a file name on both systems: no
// folder or drive separator ('/', '\', ':'), no wildcard, quote or redirection
// sign ('*', '?', '"', '<', '>', '|'), no '.', no control byte (below 0x20, and
// 0x7F), and no space at its end, which Windows drops from a name.
bool IsSafeHeaderName(const char* psz);

// Lowers the single-byte letters of a header text in place; a two-byte character
// (platform::IsHeaderLeadByte) stays as it is, its second byte too.
void LowerHeaderName(char* psz);

// True when psz may stand as one folder or file name of a path an archive records:
// the rule above, but with '.' inside a name ("acpi.sys"), never a name of dots
// alone ("..") or one that ends in a dot, which Windows drops; nor a device name
// (CON, NUL, COM1, "aux.txt"...), which Windows opens instead of a file.
bool IsSafeMemberName(const char* psz);
