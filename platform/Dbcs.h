// Double-byte characters of the ANSI code page (Shift-JIS, code page 932).
#pragma once
#include <string>

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

// A name recorded in UTF-8 as the system's paths spell it: natively (UTF-8) as it
// is, on Windows in the ANSI code page. False when the text is not well-formed UTF-8,
// or the code page has no exact spelling of one of its characters (a near one would
// name another file).
bool NameFromUtf8(const std::string& strUtf8, std::string* pName);

// The UTF-16 code units of well-formed UTF-8, or false (an overlong form, a
// surrogate, a code point above U+10FFFF, a cut sequence).
bool DecodeUtf8(const std::string& strUtf8, std::u16string* pUnits);

}  // namespace platform
