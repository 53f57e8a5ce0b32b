// The interface language is loaded by language, whatever the system would choose: here
// under a Japanese locale, where the system's own lookups give Japanese.
#include "app/Language.h"
#include "framework/Resource.h"
#include "framework/ResourceString.h"
#include "framework/WinApp.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <string>

TEST(Language, StringsMenusAndHelpFollowTheChosenLanguage)
{
    CWinApp& app = *CWinApp::Get();
    const LANGID wStarted = ResourceLanguage();
    const struct {
        LANGID wLanguage;
        const char* pszUnknown;
        const char* pszFileMenu;
        const char* pszHelpFile;
    } cases[] = {
        {kLanguageEnglish, "Unknown", "&File", "E.HLP"},
        {kLanguageJapanese, "特定不可", "ファイル(&F)", ".HLP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszUnknown);
        UseInterfaceLanguage(app, c.wLanguage);
        EXPECT_EQ(LoadResString(IDS_EXT_NOT_FOUND), c.pszUnknown);
        HMENU hMenu = LoadResMenu(IDR_MAINMENU);
        char szText[64] = {};
        GetMenuStringA(hMenu, 0, szText, sizeof szText, MF_BYPOSITION);
        EXPECT_STREQ(szText, c.pszFileMenu);
        DestroyMenu(hMenu);
        EXPECT_EQ(app.m_strHelpFileEnding, c.pszHelpFile);
    }
    UseInterfaceLanguage(app, wStarted);
}
