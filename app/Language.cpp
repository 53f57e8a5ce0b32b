#include "app/Language.h"
#include "framework/Resource.h"
#include "framework/WinApp.h"

LANGID InterfaceLanguage(UINT nCodePage)
{
    return nCodePage == 932 ? kLanguageJapanese : kLanguageEnglish;
}

void UseInterfaceLanguage(CWinApp& app, LANGID wLanguage)
{
    SetResourceLanguage(wLanguage);
    // ZORVANE.HLP and ZORVANE.HTM beside ZORVANE.EXE; ZORVANEE.HLP and ZORVANEE.HTM in English.
    const bool bJapanese = wLanguage == kLanguageJapanese;
    app.m_strHelpFileEnding = bJapanese ? ".HLP" : "E.HLP";
    app.m_strHtmlHelpEnding = bJapanese ? ".HTM" : "E.HTM";
}
