#include "tests/platform/CodePage932Rule.h"

#include <gtest/gtest.h>

bool CodePage932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

namespace {

class CodePage932Paths : public ::testing::Environment {
public:
    void SetUp() override {
        m_previous = platform::SetLeadByteRule(CodePage932LeadByte);
        m_previousStyle = platform::SetPathStyle(platform::PathStyle::kWindows);
    }
    void TearDown() override {
        platform::SetLeadByteRule(m_previous);
        platform::SetPathStyle(m_previousStyle);
    }

private:
    platform::LeadByteRule m_previous = nullptr;
    platform::PathStyle m_previousStyle = platform::PathStyle::kWindows;
};

::testing::Environment* const g_pCodePage932Paths = ::testing::AddGlobalTestEnvironment(new CodePage932Paths);

}  // namespace
