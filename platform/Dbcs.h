// Double-byte characters of the ANSI code page (Shift-JIS, code page 932).
#pragma once

namespace platform {

// True when the byte starts a two-byte character. Windows asks the system's
// ANSI code page; elsewhere the code page 932 lead-byte ranges are used.
bool IsLeadByte(unsigned char c);

}  // namespace platform
