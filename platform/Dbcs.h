// Double-byte characters of the ANSI code page (Shift-JIS, code page 932).
#pragma once

namespace platform {

// True when the byte starts a two-byte character under the rule in place.
bool IsLeadByte(unsigned char c);

// True when the byte starts a two-byte character of a text that a compressed file's
// header records. Such disks were made on systems of code page 932: on Windows the
// rule in place reads them, natively code page 932's own lead bytes do, since
// native names are read as UTF-8.
bool IsHeaderLeadByte(unsigned char c);

// The build's own rule: Windows asks the system's ANSI code page; native paths
// are bytes in the locale's encoding (UTF-8), in which '.', '/', '\' and '_'
// never occur inside a character, so every byte stands alone there.
using LeadByteRule = bool (*)(unsigned char);
// Puts another rule in place and returns the previous one; null restores the
// build's own. For tests of the code page 932 rules on a native build.
LeadByteRule SetLeadByteRule(LeadByteRule rule);

}  // namespace platform
