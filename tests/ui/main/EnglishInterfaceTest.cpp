// The main window, the extension dialog, a warning and the About box where the code
// page is not 932: every text in English, none of them turned into '?'. Runs under an
// English locale only (scripts/test's English runs).
#include "tests/support/TestDialog.h"
#include "tests/szdd/SzddWriter.h"
#include "tests/support/MainDlgHarness.h"

namespace {

using Texts = std::vector<std::string>;

std::string MenuText(HMENU hMenu, int nPosition)
{
    char szText[128] = {};
    GetMenuStringA(hMenu, static_cast<UINT>(nPosition), szText, sizeof szText, MF_BYPOSITION);
    return szText;
}

Texts ColumnTitles(HWND hWndList)
{
    Texts titles;
    for (int i = 0; i < 5; ++i) {
        char szText[128] = {};
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT;
        column.pszText = szText;
        column.cchTextMax = sizeof szText;
        SendMessageA(hWndList, LVM_GETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        titles.push_back(szText);
    }
    return titles;
}

// The caption and the control texts of a dialog box, which the handler then closes.
void TakeBox(HWND hWndBox, Texts* pTexts)
{
    *pTexts = ControlTexts(hWndBox);
    pTexts->insert(pTexts->begin(), WindowText(hWndBox));
    PostMessageA(hWndBox, WM_COMMAND, IDCANCEL, 0);
}

bool Has(const Texts& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(EnglishInterfaceTest, WindowDialogsAndWarningsSpeakEnglish)
{
    ASSERT_NE(GetACP(), 932u) << "run with a locale whose code page is not 932";
    CTempFolder folder;
    const std::string known = folder.Path("SETUP.EX_");
    const std::string unknown = folder.Path("DATA.QQ_");
    ASSERT_TRUE(SzddWriteFile(known, SzddHeader(200) + std::string(36, 'x')));
    ASSERT_TRUE(SzddWriteFile(unknown, SzddHeader(3) + std::string(6, 'x')));

    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {known, unknown};
    Texts window, menus, extensionDlg, aboutBox;
    dlg.Run([&](CDrivenMainDlg& d) {
        window = ControlTexts(d.m_hWnd);
        window.insert(window.begin(), WindowText(d.m_hWnd));
        for (const Texts& more : {ColumnTitles(d.List()), d.Row(0), d.Row(1)})
            window.insert(window.end(), more.begin(), more.end());
        window.push_back(d.StatusText(0));
        window.push_back(d.StatusText(1));
        HMENU hMenu = GetMenu(d.m_hWnd);
        for (int i = 0; i < GetMenuItemCount(hMenu); ++i)
            menus.push_back(MenuText(hMenu, i));
        HMENU hSysMenu = GetSystemMenu(d.m_hWnd, FALSE);
        menus.push_back(MenuText(hSysMenu, GetMenuItemCount(hSysMenu) - 1));

        d.Command(IDC_REMOVE);
        d.Select({1});
        d.Expect([&](HWND hWndBox) { TakeBox(hWndBox, &extensionDlg); });
        d.Command(ID_EDIT_EXTENSION);
        d.Expect([&](HWND hWndBox) { TakeBox(hWndBox, &aboutBox); });
        d.Command(ID_APP_ABOUT);
    });

    for (const char* pszText : {"Files to expand", "Same folder as the compressed file", "Reset Destination",
                                "File Name", "Extension", "Compressed Size", "Expanded Size", "Ratio", "Unknown",
                                "200 bytes", "2 files"})
        EXPECT_TRUE(Has(window, pszText)) << pszText;
    EXPECT_EQ(window.back().rfind("Drive ", 0), 0u) << window.back();
    EXPECT_EQ(menus, (Texts{"&File", "&Edit", "&Help", "&About Zorvane..."}));

    ASSERT_EQ(dlg.m_boxes.size(), 1u);
    EXPECT_EQ(dlg.m_boxes[0].caption, "Error Removing Files");
    EXPECT_TRUE(dlg.m_boxes[0].HasText(
        "No files are selected for removing.\nSelect the files you want to remove, and then try again."));

    for (const char* pszText : {"Set Extension", "The extension of this file is unknown.\nType its extension.",
                                "Apply to All Matching Files", "Cancel"})
        EXPECT_TRUE(Has(extensionDlg, pszText)) << pszText;
    EXPECT_TRUE(Has(aboutBox, "Zorvane for Windows"));

    // Every text reached the window whole: a character that the code page lacks turns into '?'.
    for (const Texts* pTexts : {&window, &menus, &extensionDlg, &aboutBox, &dlg.m_boxes[0].texts})
        for (const std::string& text : *pTexts)
            EXPECT_EQ(text.find('?'), std::string::npos) << text;
}

}  // namespace
