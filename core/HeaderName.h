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
