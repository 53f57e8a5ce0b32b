// Texts from the string table, cut where the caller's buffer ends.
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
