// Setting an entry's extension: the dialog's proposal, OK against apply to all,
// the command's selection rule, the click on the extension column and the context menu.
#include "tests/support/MainDlgHarness.h"
#include "framework/ResourceString.h"
#include <map>

namespace {

using Texts = std::vector<std::string>;

// What the extension dialog showed when it opened.
struct ShownDialog {
    std::string caption;
    std::string message;
    std::string extension;
    DWORD selStart = 0;
    DWORD selEnd = 0;
    LRESULT limit = 0;
    bool hasIcon = false;
    HWND hWndOwner = nullptr;
};

ShownDialog Inspect(HWND hDlg)
{
    ShownDialog shown;
    shown.caption = WindowText(hDlg);
    shown.message = DlgItemText(hDlg, IDC_MESSAGE);
    shown.extension = DlgItemText(hDlg, IDC_EXTENSION);
    HWND hEdit = GetDlgItem(hDlg, IDC_EXTENSION);
    SendMessageA(hEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&shown.selStart), reinterpret_cast<LPARAM>(&shown.selEnd));
    shown.limit = SendMessageA(hEdit, EM_GETLIMITTEXT, 0, 0);
    shown.hasIcon = SendDlgItemMessageA(hDlg, IDC_FILEICON, STM_GETICON, 0, 0) != 0;
    shown.hWndOwner = GetWindow(hDlg, GW_OWNER);
    return shown;
}

// A handler that types the text into the edit field (unless null) and presses the button.
CDrivenMainDlg::Handler Answer(const char* pszText, int nButton, ShownDialog* pShown = nullptr)
{
    return [=](HWND hDlg) {
        if (pShown)
            *pShown = Inspect(hDlg);
        if (pszText)
            SetDlgItemTextA(hDlg, IDC_EXTENSION, pszText);
        ClickButton(hDlg, nButton);
    };
}

// Every text of a box: caption first, then its controls.
Texts BoxTexts(HWND hWnd)
{
    Texts texts = ControlTexts(hWnd);
    texts.insert(texts.begin(), WindowText(hWnd));
    return texts;
}

bool Contains(const Texts& texts, const std::string& text)
{
    for (const std::string& t : texts)
        if (t == text)
            return true;
    return false;
}

// The calls waiting for their timer, by timer id.
std::map<UINT_PTR, std::function<void()>> s_pending;

void CALLBACK RunPending(HWND, UINT, UINT_PTR nTimer, DWORD)
{
    KillTimer(nullptr, nTimer);
    auto it = s_pending.find(nTimer);
    if (it == s_pending.end())
        return;
    std::function<void()> call = std::move(it->second);
    s_pending.erase(it);
    call();
}

// Runs fn once, nMs from now, from whatever message loop the thread is in.
void After(UINT nMs, std::function<void()> fn)
{
    const UINT_PTR nId = SetTimer(nullptr, 0, nMs, &RunPending);
    s_pending[nId] = std::move(fn);
}

const char kFirst[] = "C:\\DISK1\\FIRST.EX_";
const char kSecond[] = "C:\\DISK1\\SECOND.ex_";
const char kThird[] = "C:\\DISK1\\THIRD.DL_";
const char kFourth[] = "C:\\DISK1\\FOURTH.EX_X";  // its compressed extension only begins with EX_
const char kFifth[] = "C:\\DISK1\\FIFTH.EX";      // shorter than EX_

TEST(ExtensionDlgTest, UnknownExtensionProposesTheCompressedOneWithItsUnderscoreSelected)
{
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {"C:\\DISK1\\SETUP.QQ_"};
    ShownDialog shown;
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({0});
        d.Expect([&](HWND hDlg) {
            shown = Inspect(hDlg);
            // One key replaces the selected underscore.
            SendDlgItemMessageA(hDlg, IDC_EXTENSION, WM_CHAR, 'E', 1);
            ClickButton(hDlg, IDOK);
        });
        d.Command(ID_EDIT_EXTENSION);
        EXPECT_EQ(d.Extensions(), Texts{"QQE"});
        EXPECT_EQ(d.Column(1), Texts{"QQE"});
        EXPECT_EQ(shown.hWndOwner, d.m_hWnd);
    });
    EXPECT_EQ(shown.caption, "拡張子の編集");
    EXPECT_EQ(shown.message, LoadResString(IDS_EXT_UNKNOWN));
    EXPECT_EQ(shown.extension, "QQ_");
    EXPECT_EQ(shown.selStart, 2u);
    EXPECT_EQ(shown.selEnd, 3u);
    EXPECT_EQ(shown.limit, 51);
    EXPECT_TRUE(shown.hasIcon);
}

TEST(ExtensionDlgTest, KnownExtensionIsProposedAndCancelChangesNothing)
{
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {"C:\\DISK1\\SETUP.EX_"};
    ShownDialog shown;
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({0});
        d.Expect(Answer("zzz", IDCANCEL, &shown));
        d.Command(ID_EDIT_EXTENSION);
        EXPECT_EQ(d.Extensions(), Texts{"exe"});
        EXPECT_EQ(d.Column(1), Texts{"exe"});
        // Esc is a cancel too.
        d.Expect([](HWND hDlg) {
            SetDlgItemTextA(hDlg, IDC_EXTENSION, "yyy");
            PostMessageA(GetDlgItem(hDlg, IDC_EXTENSION), WM_KEYDOWN, VK_ESCAPE, 0);
        });
        d.Command(ID_EDIT_EXTENSION);
        EXPECT_EQ(d.Extensions(), Texts{"exe"});
    });
    EXPECT_EQ(shown.message, LoadResString(IDS_EXT_GUESSED));
    EXPECT_EQ(shown.extension, "exe");
    EXPECT_EQ(shown.selStart, 2u);
    EXPECT_EQ(shown.selEnd, 3u);
}

TEST(ExtensionDlgTest, OkSetsOneEntryAndApplyToAllEveryEntryWhoseCompressedExtensionBeginsWithTheKey)
{
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {kFirst, kSecond, kThird, kFourth, kFifth};
    dlg.Run([&](CDrivenMainDlg& d) {
        ASSERT_EQ(d.Extensions(), (Texts{"exe", "exe", "dll", "exe", ""}));
        d.Select({0});
        d.Expect(Answer("bin", IDOK));
        d.Command(ID_EDIT_EXTENSION);
        EXPECT_EQ(d.Extensions(), (Texts{"bin", "exe", "dll", "exe", ""}));
        EXPECT_EQ(d.Column(1), (Texts{"bin", "exe", "dll", "exe", "特定不可"}));

        // Letter case of the key does not count; the text goes in as typed.
        d.Expect(Answer("Pak", IDC_APPLY_ALL));
        d.Command(ID_EDIT_EXTENSION);
        EXPECT_EQ(d.Extensions(), (Texts{"Pak", "Pak", "dll", "Pak", ""}));
        EXPECT_EQ(d.Column(1), (Texts{"Pak", "Pak", "dll", "Pak", "特定不可"}));

        // The longer key EX_X matches only itself: EX_ and ex_ are shorter than it.
        d.Select({3});
        d.Expect(Answer("x.y", IDC_APPLY_ALL));
        d.Command(ID_EDIT_EXTENSION);
        EXPECT_EQ(d.Extensions(), (Texts{"Pak", "Pak", "dll", "x.y", ""}));
    });
}

TEST(ExtensionDlgTest, ApplyToAllTellsDoubleByteCharactersApartThatDifferOnlyInALetterLikeByte)
{
    // ア_ and ヂ_: 83 41 5F and 83 61 5F.
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {"C:\\DISK1\\X.\x83\x41_", "C:\\DISK1\\Y.\x83\x61_", "C:\\DISK1\\Z.\x83\x41_"};
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({0});
        d.Expect(Answer("txt", IDC_APPLY_ALL));
        d.Command(ID_EDIT_EXTENSION);
        EXPECT_EQ(d.Extensions(), (Texts{"txt", "", "txt"}));
    });
}

TEST(ExtensionDlgTest, ApplyToAllWithoutEditingSpreadsTheProposal)
{
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {kFirst, kSecond, kThird, kFourth};
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({1});
        d.Expect(Answer("one", IDOK));
        d.Command(ID_EDIT_EXTENSION);
        d.Select({3});
        d.Expect(Answer("four", IDOK));
        d.Command(ID_EDIT_EXTENSION);
        ASSERT_EQ(d.Extensions(), (Texts{"exe", "one", "dll", "four"}));

        d.Select({0});
        d.Expect(Answer(nullptr, IDC_APPLY_ALL));
        d.Command(ID_EDIT_EXTENSION);
        EXPECT_EQ(d.Extensions(), (Texts{"exe", "exe", "dll", "exe"}));
        EXPECT_EQ(d.Column(1), (Texts{"exe", "exe", "dll", "exe"}));
    });
}

TEST(ExtensionDlgTest, EmptyTextMakesTheExtensionUnknownAndLongTextIsCutBetweenCharacters)
{
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {kFirst, kThird};
    const std::string fifty(50, 'a');
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({0});
        d.Expect(Answer("", IDOK));
        d.Command(ID_EDIT_EXTENSION);
        EXPECT_EQ(d.Extensions(), (Texts{"", "dll"}));
        EXPECT_EQ(d.Column(1), (Texts{"", "dll"}));

        // An unknown extension proposes the compressed one again.
        ShownDialog shown;
        const std::string sixty(60, 'b');
        d.Expect(Answer(sixty.c_str(), IDOK, &shown));
        d.Command(ID_EDIT_EXTENSION);
        EXPECT_EQ(shown.extension, "EX_");
        EXPECT_EQ(d.Extensions()[0], std::string(51, 'b'));

        // A double-byte character that would end past byte 51 is left out whole.
        const std::string straddling = fifty + "ソ";
        d.Select({1});
        d.Expect(Answer(straddling.c_str(), IDC_APPLY_ALL));
        d.Command(ID_EDIT_EXTENSION);
        EXPECT_EQ(d.Extensions()[1], fifty);
        EXPECT_EQ(d.CellText(1, 1), fifty);
    });
}

TEST(ExtensionDlgTest, CommandWantsExactlyOneSelectedRow)
{
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {kFirst, kSecond};
    std::vector<Texts> boxes;
    std::vector<HWND> owners;
    auto record = [&](HWND hBox) {
        boxes.push_back(BoxTexts(hBox));
        owners.push_back(GetWindow(hBox, GW_OWNER));
        PostMessageA(hBox, WM_COMMAND, IDOK, 0);
    };
    HWND hWndMain = nullptr;
    dlg.Run([&](CDrivenMainDlg& d) {
        hWndMain = d.m_hWnd;
        d.Select({});
        d.Expect(record);
        d.Command(ID_EDIT_EXTENSION);
        PumpMessagesUntil([&] { return boxes.size() == 1; }, 3000);
        d.Select({0, 1});
        d.Expect(record);
        d.Command(ID_EDIT_EXTENSION);
        PumpMessagesUntil([&] { return boxes.size() == 2; }, 3000);
        EXPECT_EQ(d.Extensions(), (Texts{"exe", "exe"}));
    });
    ASSERT_EQ(boxes.size(), 2u);
    for (size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(boxes[i][0], "拡張子設定エラー");
        EXPECT_TRUE(Contains(boxes[i], LoadResString(IDS_SELECT_ONE_FILE)));
        EXPECT_EQ(owners[i], hWndMain);
    }
    EXPECT_TRUE(dlg.m_boxes.empty());
}

// A click of the left button at a point of the list's client area.
void ClickList(HWND hWndList, POINT pt)
{
    PostMessageA(hWndList, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    PostMessageA(hWndList, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
}

POINT CellCentre(HWND hWndList, int nRow, int nColumn)
{
    RECT rcRow = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(hWndList, LVM_GETITEMRECT, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&rcRow));
    int x = 0;
    for (int i = 0; i < nColumn; ++i)
        x += static_cast<int>(SendMessageA(hWndList, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
    x += static_cast<int>(SendMessageA(hWndList, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(nColumn), 0)) / 2;
    return {rcRow.left + x, (rcRow.top + rcRow.bottom) / 2};
}

TEST(ExtensionDlgTest, ClickOnTheExtensionColumnOpensTheDialogForThatRow)
{
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {kFirst, kThird};
    ShownDialog shown;
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({});
        ClickList(d.List(), CellCentre(d.List(), 1, 0));
        PumpMessagesUntil([] { return false; }, 300);
        EXPECT_TRUE(d.m_boxes.empty()) << "a click on the file name opened a window";

        d.Select({});
        bool bAnswered = false;
        d.Expect([&](HWND hDlg) {
            Answer("cab", IDOK, &shown)(hDlg);
            bAnswered = true;
        });
        ClickList(d.List(), CellCentre(d.List(), 1, 1));
        PumpMessagesUntil([&] { return bAnswered; }, 3000);
        PumpPendingMessages();
        EXPECT_EQ(d.Extensions(), (Texts{"exe", "cab"}));
    });
    EXPECT_EQ(shown.extension, "dll");
    EXPECT_TRUE(dlg.m_boxes.empty());
}

TEST(ExtensionDlgTest, ContextMenuOpensAtThePointerAndItsCommandsAndHelpReachTheMainWindow)
{
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {kFirst};
    RECT rcMenu = {};
    std::vector<UINT> ids;
    bool bGreyedOrChecked = false;
    std::string help;
    Texts warning;
    POINT ptAsked = {};
    dlg.Run([&](CDrivenMainDlg& d) {
        RECT rcList;
        GetWindowRect(d.List(), &rcList);
        ptAsked = {rcList.left + 40, rcList.top + 30};
        d.Select({});
        d.Expect([&](HWND hMenuWnd) {
            GetWindowRect(hMenuWnd, &rcMenu);
            HMENU hMenu = reinterpret_cast<HMENU>(SendMessageA(hMenuWnd, MN_GETHMENU, 0, 0));
            for (int i = 0; i < GetMenuItemCount(hMenu); ++i) {
                ids.push_back(GetMenuItemID(hMenu, i));
                if (ids.back() != 0)
                    bGreyedOrChecked |= (GetMenuState(hMenu, i, MF_BYPOSITION) & (MF_GRAYED | MF_CHECKED)) != 0;
            }
            // The first item lights up, its help shows; then the mnemonic of "拡張子の設定(&S)...".
            PostMessageA(hMenuWnd, WM_KEYDOWN, VK_DOWN, 0);
            After(200, [&, hMenuWnd] {
                help = d.StatusText(0);
                PostMessageA(hMenuWnd, WM_CHAR, 's', 0);
            });
        });
        d.Expect([&](HWND hBox) {
            warning = BoxTexts(hBox);
            PostMessageA(hBox, WM_COMMAND, IDOK, 0);
        });
        SendMessageA(d.List(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(d.List()), MAKELPARAM(ptAsked.x, ptAsked.y));
        PumpMessagesUntil([&] { return !warning.empty(); }, 5000);
    });
    EXPECT_EQ(rcMenu.left, ptAsked.x);
    EXPECT_EQ(rcMenu.top, ptAsked.y);
    EXPECT_EQ(ids, (std::vector<UINT>{ID_FILE_OPEN, ID_FILE_OPENFOLDER, 0, ID_EDIT_EXTENSION, 0, IDC_BROWSE_DEST,
                                      IDC_RESET_DEST, 0, IDC_EXPAND, IDC_REMOVE}));
    EXPECT_FALSE(bGreyedOrChecked);
    EXPECT_EQ(help, LoadResString(ID_FILE_OPEN));
    EXPECT_FALSE(help.empty());
    ASSERT_FALSE(warning.empty()) << "command 32778 from the menu did not reach the main window";
    EXPECT_EQ(warning[0], "拡張子設定エラー");
}

TEST(ExtensionDlgTest, ContextMenuKeyOpensTheMenuJustInsideTheList)
{
    CDrivenMainDlg dlg;
    RECT rcMenu = {};
    POINT ptCorner = {};
    dlg.Run([&](CDrivenMainDlg& d) {
        ClientToScreen(d.List(), &ptCorner);
        d.Expect([&](HWND hMenuWnd) {
            GetWindowRect(hMenuWnd, &rcMenu);
            PostMessageA(hMenuWnd, WM_KEYDOWN, VK_ESCAPE, 0);
        });
        SendMessageA(d.List(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(d.List()), MAKELPARAM(-1, -1));
    });
    EXPECT_EQ(rcMenu.left, ptCorner.x + 5);
    EXPECT_EQ(rcMenu.top, ptCorner.y + 5);
    EXPECT_TRUE(dlg.m_boxes.empty());
}

}  // namespace
