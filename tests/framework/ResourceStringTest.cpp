// Texts from the string table: cut where the caller's buffer ends, and filled in.
#include "framework/ResourceString.h"
#include "app/Language.h"
#include "framework/Resource.h"
#include "resource.h"
#include <gtest/gtest.h>

TEST(ResourceString, ACutStringEndsBeforeADoubleByteCharacterThatWouldNotFit)
{
    const LANGID wStarted = ResourceLanguage();
    SetResourceLanguage(kLanguageJapanese);
    // Four characters of two bytes each: a buffer of n bytes holds n - 1 of them.
    EXPECT_EQ(LoadResString(IDS_EXT_NOT_FOUND, 9), "特定不可");
    EXPECT_EQ(LoadResString(IDS_EXT_NOT_FOUND, 8), "特定不");
    EXPECT_EQ(LoadResString(IDS_EXT_NOT_FOUND, 4), "特");
    EXPECT_EQ(LoadResString(IDS_EXT_NOT_FOUND, 2), "");
    SetResourceLanguage(wStarted);
}

TEST(ResourceString, FormatTextFillsInNumberedTextsAndKeepsTheRest)
{
    const struct {
        const char* pszPattern;
        const char* pszResult;
    } cases[] = {
        {"Drive %1: %2 KB free of %3 KB (%4%% free)", "Drive D: 20 KB free of 40 KB (50% free)"},
        {"%2 before %1", "20 before D"},
        {"%5 is missing; %0, %x and a last % are kept", " is missing; %0, %x and a last % are kept"},
        {"%%1 is a percent sign and a one", "%1 is a percent sign and a one"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatText(c.pszPattern, {"D", "20", "40", "50"}), c.pszResult) << c.pszPattern;
    EXPECT_EQ(FormatText("%1 files", {"7"}), "7 files");
}
