#include "core/HeaderName.h"

#include <gtest/gtest.h>

namespace {

TEST(HeaderName, OnlyTextsThatCanNameAFileOnBothSystemsPass) {
    const struct {
        const char* psz;
        bool bSafe;
    } cases[] = {
        {"txt", true}, {"A b", true}, {"~$1", true}, {"\x83\x41", true},  // a double-byte character
        {"", false},   {"/ab", false}, {"\\ab", false}, {"\x83\x5C", false},  // its 0x5C is a '\' to some readers
        {"..", false}, {"a.b", false}, {":x", false},   {"\x1B\n", false},
        {"a\x7F", false}, {"a ", false}, {"*", false},  {"?", false},
        {"\"", false}, {"<", false},   {">", false},    {"|", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsSafeHeaderName(c.psz), c.bSafe) << '"' << c.psz << '"';
}

}  // namespace
