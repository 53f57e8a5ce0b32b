// The interface language: chosen from the code page, and loaded by language whatever
// the system would choose.
#include "app/Language.h"
#include "framework/Resource.h"
#include "framework/ResourceString.h"
#include "framework/WinApp.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <string>

namespace {

// Restores the language the test program started with.
class LanguageTest : public testing::Test {
protected:
    ~LanguageTest() override { UseInterfaceLanguage(*CWinApp::Get(), m_wStarted); }
    const LANGID m_wStarted = ResourceLanguage();
};

std::string MenuText(HMENU hMenu, UINT position)
{
    char szText[64] = {};
    GetMenuStringA(hMenu, position, szText, sizeof szText, MF_BYPOSITION);
    return szText;
}

TEST(Language, JapaneseOnlyWhereTheCodePageIs932)
{
    EXPECT_EQ(InterfaceLanguage(932), kLanguageJapanese);
    for (UINT nCodePage : {437u, 850u, 874u, 936u, 949u, 950u, 1250u, 1251u, 1252u, 65001u})
        EXPECT_EQ(InterfaceLanguage(nCodePage), kLanguageEnglish) << nCodePage;
}

TEST_F(LanguageTest, StringsMenusAndHelpFollowTheChosenLanguage)
{
    CWinApp& app = *CWinApp::Get();
    const struct {
        LANGID wLanguage;
        const char* pszUnknown;
        const char* pszFileMenu;
        const char* pszHelpFile;
        const char* pszHtmlHelp;
    } cases[] = {
        {kLanguageEnglish, "Unknown", "&File", "E.HLP", "E.HTM"},
        {kLanguageJapanese, "特定不可", "ファイル(&F)", ".HLP", ".HTM"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszUnknown);
        UseInterfaceLanguage(app, c.wLanguage);
        EXPECT_EQ(LoadResString(IDS_EXT_NOT_FOUND), c.pszUnknown);
        HMENU hMenu = LoadResMenu(IDR_MAINMENU);
        ASSERT_NE(hMenu, nullptr);
        EXPECT_EQ(MenuText(hMenu, 0), c.pszFileMenu);
        DestroyMenu(hMenu);
        EXPECT_EQ(app.m_strHelpFileEnding, c.pszHelpFile);
        EXPECT_EQ(app.m_strHtmlHelpEnding, c.pszHtmlHelp);
    }
}

}  // namespace
