#include "platform/Dbcs.h"
#include <windows.h>

#include <atomic>

namespace platform {

namespace {

bool SystemCodePage(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

std::atomic<LeadByteRule> g_rule{SystemCodePage};

}  // namespace

bool IsLeadByte(unsigned char c) {
    return g_rule.load(std::memory_order_relaxed)(c);
}

bool IsHeaderLeadByte(unsigned char c) { return IsLeadByte(c); }

LeadByteRule SetLeadByteRule(LeadByteRule rule) {
    return g_rule.exchange(rule ? rule : SystemCodePage);
}

}  // namespace platform
