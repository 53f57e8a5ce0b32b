// The portable tests are written for paths in code page 932, the code page of the
// systems the Windows program is made for, and for Windows' path style. A global
// test environment (in CodePage932Rule.cpp) puts both in place for the whole
// program: natively that replaces the build's every-byte-alone rule and its
// '/'-only, case-exact names; under Wine it agrees with the system's.
#pragma once
#include "platform/Dbcs.h"
#include "platform/PathStyle.h"

// The lead bytes of code page 932: 0x81-0x9F and 0xE0-0xFC.
bool CodePage932LeadByte(unsigned char c);

// The build's own rule for the length of one scope.
class BuildLeadByteRule {
public:
    BuildLeadByteRule() : m_previous(platform::SetLeadByteRule(nullptr)) {}
    ~BuildLeadByteRule() { platform::SetLeadByteRule(m_previous); }
    BuildLeadByteRule(const BuildLeadByteRule&) = delete;
    BuildLeadByteRule& operator=(const BuildLeadByteRule&) = delete;

private:
    platform::LeadByteRule m_previous;
};
