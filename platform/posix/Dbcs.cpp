#include "platform/Dbcs.h"

#include <atomic>

namespace platform {

namespace {

bool EveryByteAlone(unsigned char) { return false; }

std::atomic<LeadByteRule> g_rule{EveryByteAlone};

}  // namespace

bool IsLeadByte(unsigned char c) {
    return g_rule.load(std::memory_order_relaxed)(c);
}

LeadByteRule SetLeadByteRule(LeadByteRule rule) {
    return g_rule.exchange(rule ? rule : EveryByteAlone);
}

}  // namespace platform
