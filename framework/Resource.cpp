#include "framework/Resource.h"
#include "framework/WinApp.h"

namespace {
LANGID g_wLanguage = 0;
}

void SetResourceLanguage(LANGID wLanguage)
{
    g_wLanguage = wLanguage;
}

LANGID ResourceLanguage()
{
    return g_wLanguage;
}

const void* FindResourceData(HINSTANCE hInstance, LPCSTR pszType, UINT nID, DWORD* pcbSize)
{
    HRSRC hRes = FindResourceExA(hInstance, pszType, MAKEINTRESOURCEA(nID), g_wLanguage);
    if (!hRes)
        hRes = FindResourceA(hInstance, MAKEINTRESOURCEA(nID), pszType);
    if (!hRes)
        return nullptr;
    if (pcbSize)
        *pcbSize = SizeofResource(hInstance, hRes);
    return LockResource(LoadResource(hInstance, hRes));
}

HMENU LoadResMenu(UINT nID)
{
    const void* pTemplate = FindResourceData(CWinApp::ResourceInstance(), RT_MENU, nID);
    return pTemplate ? LoadMenuIndirectA(pTemplate) : nullptr;
}

UINT DialogTemplateMenu(const void* pTemplate)
{
    // An extended template starts with version 1 and 0xFFFF; its menu field follows
    // 26 bytes of header, the plain template's 18.
    const WORD* pWords = static_cast<const WORD*>(pTemplate);
    const bool bExtended = pWords[0] == 1 && pWords[1] == 0xFFFF;
    const WORD* pMenu = pWords + (bExtended ? 13 : 9);
    return pMenu[0] == 0xFFFF ? pMenu[1] : 0;
}
