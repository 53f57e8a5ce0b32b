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

namespace platform {

// Through UTF-16, decoded here: Windows 95 converts no UTF-8 itself.
bool NameFromUtf8(const std::string& strUtf8, std::string* pName) {
    std::u16string units;
    if (!DecodeUtf8(strUtf8, &units)) return false;
    pName->clear();
    if (units.empty()) return true;
    const auto* pWide = reinterpret_cast<const wchar_t*>(units.data());
    const int nUnits = static_cast<int>(units.size());
    BOOL bDefaulted = FALSE;
    const int nBytes = WideCharToMultiByte(CP_ACP, 0, pWide, nUnits, nullptr, 0, nullptr, &bDefaulted);
    if (nBytes <= 0 || bDefaulted) return false;
    std::string strName(static_cast<size_t>(nBytes), '\0');
    if (WideCharToMultiByte(CP_ACP, 0, pWide, nUnits, &strName[0], nBytes, nullptr, &bDefaulted) != nBytes || bDefaulted)
        return false;
    // A best-fit spelling ('e' for U+00E9) comes back as another character.
    std::u16string back(static_cast<size_t>(nUnits) + 1, u'\0');
    if (MultiByteToWideChar(CP_ACP, 0, strName.data(), nBytes, reinterpret_cast<wchar_t*>(&back[0]), nUnits + 1) !=
            nUnits ||
        back.compare(0, units.size(), units) != 0)
        return false;
    *pName = strName;
    return true;
}

}  // namespace platform
