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

bool IsHeaderLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

LeadByteRule SetLeadByteRule(LeadByteRule rule) {
    return g_rule.exchange(rule ? rule : EveryByteAlone);
}

}  // namespace platform

namespace platform {

bool NameFromUtf8(const std::string& strUtf8, std::string* pName) {
    std::u16string units;
    if (!DecodeUtf8(strUtf8, &units)) return false;
    *pName = strUtf8;
    return true;
}

}  // namespace platform
