// The program's resources as the running program sees them: every text in the
// ANSI code page, the menus with their command ids, the dialog templates bit
// for bit, the icon images and the version; and the English twin of every
// dialog, menu and string.
#include "framework/WinApp.h"
#include "resource.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

HINSTANCE Module()
{
    return CWinApp::ResourceInstance();
}

std::string LoadText(UINT id)
{
    char buffer[1024] = {};
    const int length = LoadStringA(Module(), id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

// ---- menus -----------------------------------------------------------------

struct MenuItem {
    UINT id;            // 0 for a separator
    const char* text;   // null for a separator
};

std::string ItemText(HMENU hMenu, UINT position)
{
    char buffer[256] = {};
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = buffer;
    info.cch = sizeof buffer;
    GetMenuItemInfoA(hMenu, position, TRUE, &info);
    return buffer;
}

void ExpectItems(HMENU hMenu, const std::vector<MenuItem>& expected)
{
    ASSERT_EQ(GetMenuItemCount(hMenu), static_cast<int>(expected.size()));
    for (UINT i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STATE;
        ASSERT_TRUE(GetMenuItemInfoA(hMenu, i, TRUE, &info));
        EXPECT_EQ(info.hSubMenu, nullptr);
        if (!expected[i].text) {
            EXPECT_TRUE(info.fType & MFT_SEPARATOR);
            continue;
        }
        EXPECT_FALSE(info.fType & MFT_SEPARATOR);
        // Nothing is greyed or checked in the menus as they are loaded.
        EXPECT_EQ(info.fState & (MFS_GRAYED | MFS_CHECKED), 0u);
        EXPECT_EQ(info.wID, expected[i].id);
        EXPECT_EQ(ItemText(hMenu, i), expected[i].text);
        // The status bar shows the string with the item's id while the item is hot.
        EXPECT_FALSE(LoadText(info.wID).empty()) << "no help text for command " << info.wID;
    }
}

HMENU Popup(HMENU hMenu, UINT position, const char* pszText)
{
    EXPECT_EQ(ItemText(hMenu, position), pszText);
    return GetSubMenu(hMenu, static_cast<int>(position));
}

// ---- dialog templates --------------------------------------------------------

// A name or ordinal field of a dialog template: 0xFFFF and a number, or a
// NUL-terminated UTF-16 text.
struct NameOrOrdinal {
    WORD ordinal = 0;
    std::wstring name;
    bool IsOrdinal(WORD value) const { return name.empty() && ordinal == value; }
};

struct DialogItem {
    DWORD helpId, exStyle, style;
    short x, y, cx, cy;
    DWORD id;
    NameOrOrdinal windowClass, title;
};

struct DialogTemplate {
    DWORD exStyle, style;
    short x, y, cx, cy;
    NameOrOrdinal menu, windowClass;
    std::wstring title;
    WORD pointSize, weight;
    BYTE italic, charset;
    std::wstring typeface;
    std::vector<DialogItem> items;
};

class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}

    template <typename T>
    T Read()
    {
        T value{};
        if (m_pos + sizeof(T) > m_size) {
            m_overrun = true;
            return value;
        }
        std::memcpy(&value, m_data + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }
    std::wstring ReadText()
    {
        std::wstring text;
        for (WORD ch = Read<WORD>(); ch && !m_overrun; ch = Read<WORD>())
            text += static_cast<wchar_t>(ch);
        return text;
    }
    NameOrOrdinal ReadNameOrOrdinal()
    {
        NameOrOrdinal field;
        const size_t start = m_pos;
        const WORD first = Read<WORD>();
        if (first == 0xFFFF) {
            field.ordinal = Read<WORD>();
        } else if (first != 0) {
            m_pos = start;
            field.name = ReadText();
        }
        return field;
    }
    void AlignToDword() { m_pos = (m_pos + 3) & ~static_cast<size_t>(3); }
    void Skip(size_t count) { m_pos += count; }
    bool Overrun() const { return m_overrun || m_pos > m_size; }

private:
    const BYTE* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_overrun = false;
};

const LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// Reads an extended template (DLGTEMPLATEEX) of the language from the program's resources.
bool LoadDialogTemplate(UINT id, DialogTemplate& dlg, LANGID language = kJapanese)
{
    HRSRC hRes = FindResourceExA(Module(), RT_DIALOG, MAKEINTRESOURCEA(id), language);
    if (!hRes)
        return false;
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(Module(), hRes)));
    TemplateReader in(data, SizeofResource(Module(), hRes));
    if (in.Read<WORD>() != 1 || in.Read<WORD>() != 0xFFFF)
        return false;  // not an extended template
    in.Read<DWORD>();  // help id
    dlg.exStyle = in.Read<DWORD>();
    dlg.style = in.Read<DWORD>();
    const WORD count = in.Read<WORD>();
    dlg.x = in.Read<short>();
    dlg.y = in.Read<short>();
    dlg.cx = in.Read<short>();
    dlg.cy = in.Read<short>();
    dlg.menu = in.ReadNameOrOrdinal();
    dlg.windowClass = in.ReadNameOrOrdinal();
    dlg.title = in.ReadText();
    if (dlg.style & DS_SETFONT) {
        dlg.pointSize = in.Read<WORD>();
        dlg.weight = in.Read<WORD>();
        dlg.italic = in.Read<BYTE>();
        dlg.charset = in.Read<BYTE>();
        dlg.typeface = in.ReadText();
    }
    for (WORD i = 0; i < count; ++i) {
        in.AlignToDword();
        DialogItem item;
        item.helpId = in.Read<DWORD>();
        item.exStyle = in.Read<DWORD>();
        item.style = in.Read<DWORD>();
        item.x = in.Read<short>();
        item.y = in.Read<short>();
        item.cx = in.Read<short>();
        item.cy = in.Read<short>();
        item.id = in.Read<DWORD>();
        item.windowClass = in.ReadNameOrOrdinal();
        item.title = in.ReadNameOrOrdinal();
        in.Skip(in.Read<WORD>());  // creation data
        dlg.items.push_back(item);
    }
    return !in.Overrun();
}

// The predefined control classes are stored as ordinals.
enum : WORD { kButton = 0x80, kEdit = 0x81, kStatic = 0x82 };

struct ExpectedItem {
    int id;
    WORD classOrdinal;        // 0: the class is named by windowClassName
    const wchar_t* className;
    const wchar_t* text;      // null: the title is the ordinal titleOrdinal
    WORD titleOrdinal;
    DWORD style;
    short x, y, cx, cy;
};

void ExpectDialogItems(const DialogTemplate& dlg, const std::vector<ExpectedItem>& expected)
{
    ASSERT_EQ(dlg.items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i + 1));
        const DialogItem& item = dlg.items[i];
        const ExpectedItem& want = expected[i];
        EXPECT_EQ(static_cast<int>(static_cast<short>(LOWORD(item.id))), want.id);
        if (want.classOrdinal) {
            EXPECT_TRUE(item.windowClass.IsOrdinal(want.classOrdinal));
        } else {
            EXPECT_EQ(CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, item.windowClass.name.c_str(), -1,
                                     want.className, -1),
                      CSTR_EQUAL);
        }
        if (want.text)
            EXPECT_TRUE(item.title.name == want.text && item.title.ordinal == 0);
        else
            EXPECT_TRUE(item.title.IsOrdinal(want.titleOrdinal));
        EXPECT_EQ(item.style, want.style) << std::hex << "0x" << item.style << " instead of 0x" << want.style;
        EXPECT_EQ(item.exStyle, 0u);
        EXPECT_EQ(item.x, want.x);
        EXPECT_EQ(item.y, want.y);
        EXPECT_EQ(item.cx, want.cx);
        EXPECT_EQ(item.cy, want.cy);
    }
}

void ExpectDialogFont(const DialogTemplate& dlg)
{
    EXPECT_EQ(dlg.pointSize, 9);
    EXPECT_EQ(dlg.weight, 0);
    EXPECT_EQ(dlg.italic, 0);
    EXPECT_EQ(dlg.charset, DEFAULT_CHARSET);
    EXPECT_EQ(dlg.typeface, L"\xFF2D\xFF33 \xFF30\x660E\x671D");  // the full-width "MS P" Mincho name
}

const DWORD kChild = WS_CHILD | WS_VISIBLE;

HMENU LoadMenuIn(UINT id, LANGID language)
{
    HRSRC hRes = FindResourceExA(Module(), RT_MENU, MAKEINTRESOURCEA(id), language);
    return hRes ? LoadMenuIndirectA(LockResource(LoadResource(Module(), hRes))) : nullptr;
}

// ---- both languages ------------------------------------------------------------

BOOL CALLBACK AddLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param)
{
    reinterpret_cast<std::vector<LANGID>*>(param)->push_back(language);
    return TRUE;
}

// The resource exists in Japanese and English and in no other language, as the module
// lists them: a lookup by language alone may fall back to another one.
void ExpectBothLanguages(LPCSTR type, UINT id)
{
    std::vector<LANGID> languages;
    EnumResourceLanguagesA(Module(), type, MAKEINTRESOURCEA(id), &AddLanguage, reinterpret_cast<LONG_PTR>(&languages));
    std::sort(languages.begin(), languages.end());
    EXPECT_EQ(languages, (std::vector<LANGID>{kEnglish, kJapanese})) << "resource " << id;
}

// The 16 strings of a string-table block in one language, as UTF-16.
std::vector<std::wstring> StringBlock(UINT block, LANGID language)
{
    std::vector<std::wstring> strings(16);
    HRSRC hRes = FindResourceExA(Module(), RT_STRING, MAKEINTRESOURCEA(block), language);
    const auto* p = hRes ? static_cast<const WCHAR*>(LockResource(LoadResource(Module(), hRes))) : nullptr;
    for (std::wstring& text : strings) {
        if (p) {
            text.assign(p + 1, *p);
            p += 1 + *p;
        }
    }
    return strings;
}

// What every code page shows alike; and the placeholders %1 to %9, which each language fills in.
bool IsPlainAscii(const std::wstring& text)
{
    return std::all_of(text.begin(), text.end(), [](wchar_t ch) { return ch == L'\n' || (ch >= 0x20 && ch <= 0x7E); });
}

std::wstring Placeholders(const std::wstring& text)
{
    std::wstring found;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == L'%' && (text[i + 1] == L'%' || (text[i + 1] >= L'1' && text[i + 1] <= L'9')))
            found += text[++i];
    return found;
}

// Both menus item by item: the same commands, separators and popups, English texts.
void ExpectSameMenus(HMENU hJapanese, HMENU hEnglish)
{
    ASSERT_EQ(GetMenuItemCount(hEnglish), GetMenuItemCount(hJapanese));
    for (UINT i = 0; i < static_cast<UINT>(GetMenuItemCount(hJapanese)); ++i) {
        MENUITEMINFOA ja = {}, en = {};
        ja.cbSize = en.cbSize = sizeof ja;
        ja.fMask = en.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        GetMenuItemInfoA(hJapanese, i, TRUE, &ja);
        GetMenuItemInfoA(hEnglish, i, TRUE, &en);
        const std::string text = ItemText(hEnglish, i);
        // A popup's id is its menu's handle.
        EXPECT_TRUE(en.fType == ja.fType && (en.hSubMenu != nullptr) == (ja.hSubMenu != nullptr) &&
                    (ja.hSubMenu || en.wID == ja.wID)) << "item " << i << " " << text;
        EXPECT_TRUE((ja.fType & MFT_SEPARATOR) || (!text.empty() && IsPlainAscii(std::wstring(text.begin(), text.end()))));
        if (ja.hSubMenu && en.hSubMenu)
            ExpectSameMenus(ja.hSubMenu, en.hSubMenu);
    }
}

}  // namespace

TEST(Resources, StringTableHoldsEveryTextInTheAnsiCodePage)
{
    ASSERT_EQ(GetACP(), 932u) << "the texts are Shift-JIS; run with a Japanese locale";

    const struct {
        UINT id;
        const char* text;
    } strings[] = {
        {IDS_ABOUTBOX, "Zorvane のﾊﾞｰｼﾞｮﾝ情報(&A)..."},
        {IDS_OPENFOLDER_TITLE, "圧縮ファイルのあるフォルダを指定してください。"},
        {IDS_DESTINATION_TITLE, "展開先フォルダを指定してください。"},
        {IDS_EXT_UNKNOWN, "このファイルの拡張子を推定できませんでした。\n拡張子を指定してください。"},
        {IDS_EXT_GUESSED, "このファイルの拡張子は推定されましたが、変更する場合は指定してください。"},
        {IDS_NO_FILE_TO_EXPAND, "展開するファイルが選択されていません。\nファイルを選択してからやり直してください。"},
        {IDS_NO_EXTENSION, "展開するファイルの拡張子が特定されていません。\n拡張子を特定してからやり直してください。"},
        {IDS_SELECT_ONE_FILE,
         "ファイルが複数選択されているか、または選択されていません。\nファイルは1つだけ選択してください。"},
        {IDS_NO_FILE_TO_REMOVE, "消去するファイルが選択されていません。\nファイルを選択してからやり直してください。"},
        {IDS_EXPAND_FAILED, "展開できなかったファイルがあります。\nそれらのファイルはリストに残っています。"},
        {IDS_OPEN_FAILED, "ファイルを開けませんでした。\nこのファイルを開くプログラムを確認してください。"},
        {IDS_ARCHIVE_REFUSED, "%1 は %2 個のファイルを収めたキャビネットです。\nコマンドライン ツールで展開してください。"},
        {IDS_HELP_FILE_MENU, "ファイルをオープンしたり、アプリケーションを終了するコマンドです。"},
        {IDS_HELP_EDIT_MENU, "ファイルの編集に関するコマンドです。"},
        {IDS_HELP_HELP_MENU, "アプリケーションのヘルプに関するコマンドです。"},
        {ID_FILE_OPEN, "既存の圧縮ファイルをオープンします。"},
        {ID_FILE_OPENFOLDER, "既存のフォルダから圧縮ファイルをすべてオープンします。"},
        {ID_APP_EXIT, "アプリケーションを終了します。"},
        {ID_EDIT_EXTENSION, "展開後のファイルの拡張子を設定します。"},
        {ID_HELP_CONTENTS, "ヘルプの目次を表示します。"},
        {ID_APP_ABOUT, "Zorvaneのバージョン情報を表示します。"},
        {IDC_BROWSE_DEST, "展開先フォルダを指定するダイアログを表示します。"},
        {IDC_RESET_DEST, "展開先フォルダを圧縮ファイルのあるフォルダにします。"},
        {IDC_EXPAND, "選択されたファイルを展開します。"},
        {IDC_REMOVE, "選択されたファイルをリストから消去します。"},
        {IDS_HELP_FAILED, "ﾍﾙﾌﾟの起動に失敗しました。"},
    };
    for (const auto& s : strings) {
        SCOPED_TRACE("string " + std::to_string(s.id));
        EXPECT_EQ(LoadText(s.id), s.text);
    }

    // The menu help looks up ids that have no text and must get nothing: a
    // popup past the last one, the dialog's control ids used as strings.
    EXPECT_EQ(LoadText(IDS_POPUP_HELP_BASE + 3), "");
    EXPECT_EQ(LoadText(IDS_ARCHIVE_REFUSED + 1), "");
    EXPECT_EQ(LoadText(IDC_FILELIST), "");
}

TEST(Resources, MenusCarryTheirCommandsAndHelpTexts)
{
    HMENU hMain = LoadMenuIn(IDR_MAINMENU, kJapanese);
    ASSERT_NE(hMain, nullptr);
    ASSERT_EQ(GetMenuItemCount(hMain), 3);
    const char* const popups[] = {"ファイル(&F)", "編集(&E)", "ヘルプ(&H)"};
    for (UINT p = 0; p < 3; ++p) {
        // A popup's help text is 2001 plus its position.
        EXPECT_FALSE(LoadText(IDS_POPUP_HELP_BASE + p).empty());
        ASSERT_NE(GetSubMenu(hMain, static_cast<int>(p)), nullptr) << popups[p];
    }
    {
        SCOPED_TRACE("menu bar, File");
        ExpectItems(Popup(hMain, 0, popups[0]), {{ID_FILE_OPEN, "ファイルを開く(&O)..."},
                                                 {ID_FILE_OPENFOLDER, "フォルダを開く(&F)..."},
                                                 {0, nullptr},
                                                 {ID_APP_EXIT, "終了(&X)"}});
    }
    {
        SCOPED_TRACE("menu bar, Edit");
        ExpectItems(Popup(hMain, 1, popups[1]), {{ID_EDIT_EXTENSION, "拡張子の設定(&S)..."}});
    }
    {
        SCOPED_TRACE("menu bar, Help");
        ExpectItems(Popup(hMain, 2, popups[2]),
                    {{ID_HELP_CONTENTS, "目次(&C)"}, {ID_APP_ABOUT, "バージョン情報(&A)..."}});
    }
    DestroyMenu(hMain);

    HMENU hContext = LoadMenuIn(IDR_CONTEXTMENU, kJapanese);
    ASSERT_NE(hContext, nullptr);
    ASSERT_EQ(GetMenuItemCount(hContext), 1);
    {
        SCOPED_TRACE("context menu");
        ExpectItems(Popup(hContext, 0, "_ﾎﾟｯﾌﾟｱｯﾌﾟ_"), {{ID_FILE_OPEN, "ファイルを開く(&O)..."},
                                                      {ID_FILE_OPENFOLDER, "フォルダを開く(&F)..."},
                                                      {0, nullptr},
                                                      {ID_EDIT_EXTENSION, "拡張子の設定(&S)..."},
                                                      {0, nullptr},
                                                      {IDC_BROWSE_DEST, "展開先フォルダの参照(&B)..."},
                                                      {IDC_RESET_DEST, "展開先フォルダを初期化"},
                                                      {0, nullptr},
                                                      {IDC_EXPAND, "MS-EXPAND展開(&E)"},
                                                      {IDC_REMOVE, "リストから消去"}});
    }
    DestroyMenu(hContext);
}

TEST(Resources, DialogTemplatesMatchTheirLayout)
{
    {
        SCOPED_TRACE("main window");
        DialogTemplate dlg;
        ASSERT_TRUE(LoadDialogTemplate(IDD_MAIN, dlg));
        EXPECT_EQ(dlg.style, 0x90C800C0u);
        EXPECT_EQ(dlg.style, static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME |
                                                DS_SETFONT));
        EXPECT_EQ(dlg.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW | WS_EX_ACCEPTFILES));
        EXPECT_EQ(dlg.x, 0);
        EXPECT_EQ(dlg.y, 0);
        EXPECT_EQ(dlg.cx, 319);
        EXPECT_EQ(dlg.cy, 213);
        EXPECT_TRUE(dlg.menu.IsOrdinal(IDR_MAINMENU));
        EXPECT_TRUE(dlg.windowClass.IsOrdinal(0));
        EXPECT_EQ(dlg.title, L"Zorvane for Windows95/98");
        ExpectDialogFont(dlg);
        ExpectDialogItems(
            dlg,
            {
                {IDC_STATIC, kStatic, nullptr, L"", 0, kChild | SS_BLACKRECT | SS_SUNKEN, 0, 0, 320, 1},
                {IDC_STATIC, kButton, nullptr, L"MS-EXPAND \x5C55\x958B\x3059\x308B\x30D5\x30A1\x30A4\x30EB", 0,
                 kChild | BS_GROUPBOX, 0, 5, 318, 170},
                {IDC_FILELIST, 0, L"SysListView32", L"List1", 0,
                 kChild | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_EDITLABELS, 7, 15, 305, 125},
                {IDC_REMOVE, kButton, nullptr, L"\x30EA\x30B9\x30C8\x304B\x3089\x6D88\x53BB", 0,
                 kChild | WS_TABSTOP | BS_PUSHBUTTON, 5, 183, 50, 12},
                {IDC_EXPAND, kButton, nullptr, L"MS-EXPAND\x5C55\x958B", 0, kChild | WS_TABSTOP | BS_PUSHBUTTON,
                 60, 183, 65, 12},
                {IDC_RESET_DEST, kButton, nullptr, L"\x5C55\x958B\x30D5\x30A9\x30EB\x30C0\x521D\x671F\x5316", 0,
                 kChild | WS_TABSTOP | BS_PUSHBUTTON, 130, 183, 65, 12},
                {IDC_BROWSE_DEST, kButton, nullptr, L"\x53C2\x7167", 0,
                 kChild | WS_TABSTOP | BS_PUSHBUTTON | BS_LEFT | BS_VCENTER, 18, 155, 185, 12},
                {IDC_STATIC, kButton, nullptr, L"", 0, kChild | BS_GROUPBOX, 7, 145, 205, 25},
                {IDC_STATIC, kButton, nullptr, L"", 0, kChild | BS_GROUPBOX, 0, 175, 318, 23},
                {IDC_STATIC, kStatic, nullptr, L"\x5C55\x958B\x5148\x306E\x30D5\x30A9\x30EB\x30C0", 0,
                 kChild | WS_GROUP | SS_CENTER | SS_CENTERIMAGE, 82, 145, 56, 10},
            });
    }
    {
        SCOPED_TRACE("About box");
        DialogTemplate dlg;
        ASSERT_TRUE(LoadDialogTemplate(IDD_ABOUTBOX, dlg));
        // No system menu, hence no close box.
        EXPECT_EQ(dlg.style, 0x90C00040u);
        EXPECT_EQ(dlg.exStyle, 0u);
        EXPECT_EQ(dlg.x, 0);
        EXPECT_EQ(dlg.y, 0);
        EXPECT_EQ(dlg.cx, 135);
        EXPECT_EQ(dlg.cy, 69);
        EXPECT_TRUE(dlg.menu.IsOrdinal(0));
        EXPECT_EQ(dlg.title, L"Zorvane");
        ExpectDialogFont(dlg);
        ExpectDialogItems(dlg, {
                                   {IDOK, kButton, nullptr, L"OK", 0, 0x50030000, 42, 50, 50, 14},
                                   {IDC_STATIC, kStatic, nullptr, nullptr, IDR_MAINFRAME, 0x50000003, 5, 5, 20, 20},
                                   {IDC_STATIC, kStatic, nullptr, L"Zorvane for Windows", 0, 0x50020000, 30, 10, 90,
                                    10},
                                   {IDC_STATIC, kStatic, nullptr, L"Version 2.2", 0, 0x50020000, 49, 21, 35, 8},
                               });
    }
    {
        SCOPED_TRACE("extension dialog");
        DialogTemplate dlg;
        ASSERT_TRUE(LoadDialogTemplate(IDD_EXTENSION, dlg));
        EXPECT_EQ(dlg.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
        EXPECT_EQ(dlg.exStyle, 0u);
        EXPECT_EQ(dlg.cx, 135);
        EXPECT_EQ(dlg.cy, 109);
        EXPECT_EQ(dlg.title, L"\x62E1\x5F35\x5B50\x306E\x7DE8\x96C6");
        ExpectDialogFont(dlg);
        // Template order is the tab order.
        ExpectDialogItems(
            dlg,
            {
                {IDOK, kButton, nullptr, L"OK", 0, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 5, 70, 50, 14},
                {IDCANCEL, kButton, nullptr, L"\xFF77\xFF6C\xFF9D\xFF7E\xFF99", 0, kChild | WS_TABSTOP | BS_PUSHBUTTON,
                 80, 70, 50, 14},
                {IDC_APPLY_ALL, kButton, nullptr,
                 L"\x62E1\x5F35\x306E\x8A2D\x5B9A\x3092\x3059\x3079\x3066\x306E\x30A2\x30A4\x30C6\x30E0\x306B\x9069"
                 L"\x7528",
                 0, kChild | WS_TABSTOP | BS_PUSHBUTTON, 5, 90, 125, 14},
                {IDC_EXTENSION, kEdit, nullptr, L"", 0, kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_NOHIDESEL,
                 5, 50, 125, 12},
                {IDC_FILEICON, kStatic, nullptr, L"", 0, kChild | SS_ICON, 5, 10, 20, 20},
                {IDC_MESSAGE, kStatic, nullptr, L"", 0, kChild | WS_GROUP | SS_LEFT, 35, 10, 95, 35},
            });
    }
}

TEST(Resources, IconHasSmallAndLargeImagesWithATransparentMask)
{
    for (int size : {16, 32}) {
        SCOPED_TRACE("icon " + std::to_string(size));
        // The size must come from an image of its own, not a stretched one.
        HRSRC hGroup = FindResourceA(Module(), MAKEINTRESOURCEA(IDR_MAINFRAME), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
        ASSERT_NE(hGroup, nullptr);
        const BYTE* group = static_cast<const BYTE*>(LockResource(LoadResource(Module(), hGroup)));
        const int id = LookupIconIdFromDirectoryEx(const_cast<BYTE*>(group), TRUE, size, size, LR_DEFAULTCOLOR);
        HRSRC hImage = FindResourceA(Module(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3) /* RT_ICON */);
        ASSERT_NE(hImage, nullptr);
        const BYTE* bits = static_cast<const BYTE*>(LockResource(LoadResource(Module(), hImage)));
        BITMAPINFOHEADER header;
        std::memcpy(&header, bits, sizeof header);
        EXPECT_EQ(header.biWidth, size);
        EXPECT_EQ(header.biHeight, 2 * size);  // colour image and mask

        HICON hIcon = static_cast<HICON>(
            LoadImageA(Module(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(hIcon, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(hIcon, &info));
        // Draw the icon on white and on black: transparent pixels follow the
        // background, the picture itself does not.
        HDC hScreen = GetDC(nullptr);
        HDC hDC = CreateCompatibleDC(hScreen);
        HBITMAP hBitmap = CreateCompatibleBitmap(hScreen, size, size);
        HGDIOBJ hOld = SelectObject(hDC, hBitmap);
        int transparent = 0, opaque = 0;
        std::vector<COLORREF> onWhite;
        for (COLORREF background : {RGB(255, 255, 255), RGB(0, 0, 0)}) {
            RECT rc = {0, 0, size, size};
            HBRUSH hBrush = CreateSolidBrush(background);
            FillRect(hDC, &rc, hBrush);
            DeleteObject(hBrush);
            DrawIconEx(hDC, 0, 0, hIcon, size, size, 0, nullptr, DI_NORMAL);
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    const COLORREF pixel = GetPixel(hDC, x, y);
                    if (background == RGB(255, 255, 255)) {
                        onWhite.push_back(pixel);
                    } else {
                        const COLORREF white = onWhite[static_cast<size_t>(y * size + x)];
                        if (white == RGB(255, 255, 255) && pixel == RGB(0, 0, 0))
                            ++transparent;
                        else if (white == pixel)
                            ++opaque;
                    }
                }
        }
        SelectObject(hDC, hOld);
        DeleteObject(hBitmap);
        DeleteDC(hDC);
        ReleaseDC(nullptr, hScreen);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(hIcon);
        // Every pixel is either see-through or painted, and there is a fair
        // amount of both: a picture on a transparent ground.
        EXPECT_EQ(transparent + opaque, size * size);
        EXPECT_GT(transparent, size * size / 8);
        EXPECT_GT(opaque, size * size / 3);
    }
}

TEST(Resources, VersionIsTwoPointTwo)
{
    HRSRC hRes = FindResourceA(Module(), MAKEINTRESOURCEA(VS_VERSION_INFO), MAKEINTRESOURCEA(16) /* RT_VERSION */);
    ASSERT_NE(hRes, nullptr);
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(Module(), hRes)));
    const DWORD size = SizeofResource(Module(), hRes);
    const VS_FIXEDFILEINFO* fixed = nullptr;
    for (DWORD offset = 0; offset + sizeof(VS_FIXEDFILEINFO) <= size; offset += 4) {
        DWORD signature;
        std::memcpy(&signature, data + offset, sizeof signature);
        if (signature == 0xFEEF04BD) {
            fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(data + offset);
            break;
        }
    }
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(2, 2)));
    EXPECT_EQ(fixed->dwProductVersionMS, static_cast<DWORD>(MAKELONG(2, 2)));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    // The texts that the shell shows in the file's properties.
    const std::wstring text(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
    const auto value = [&text](const wchar_t* key) {
        size_t pos = text.find(std::wstring(key) + L'\0');
        if (pos == std::wstring::npos)
            return std::wstring();
        pos += std::wcslen(key);
        while (pos < text.size() && text[pos] == L'\0')
            ++pos;
        return std::wstring(text.c_str() + pos);
    };
    EXPECT_EQ(value(L"FileVersion"), L"2.2");
    EXPECT_EQ(value(L"ProductName"), L"Zorvane");
    // An English block beside the Japanese one, named in the translations.
    EXPECT_NE(text.find(L"040904B0"), std::wstring::npos);
    EXPECT_NE(text.find(std::wstring(L"\x0411\x04B0\x0409\x04B0", 4)), std::wstring::npos);
}

TEST(ResourceLanguages, EveryStringHasAnEnglishTwinWithTheSamePlaceholders)
{
    int nStrings = 0;
    for (UINT block = 1; block <= 0x10000 / 16; ++block) {
        const std::vector<std::wstring> ja = StringBlock(block, kJapanese), en = StringBlock(block, kEnglish);
        if (std::all_of(ja.begin(), ja.end(), [](const std::wstring& text) { return text.empty(); }))
            continue;
        ExpectBothLanguages(RT_STRING, block);
        for (UINT i = 0; i < 16; ++i) {
            SCOPED_TRACE("string " + std::to_string((block - 1) * 16 + i));
            // A missing English string would show an empty warning or an empty help line.
            EXPECT_EQ(en[i].empty(), ja[i].empty());
            EXPECT_EQ(Placeholders(en[i]), Placeholders(ja[i]));
            EXPECT_TRUE(IsPlainAscii(en[i]));
            nStrings += !ja[i].empty();
        }
    }
    EXPECT_GE(nStrings, 40);
}

TEST(ResourceLanguages, EnglishDialogsAndMenusHaveTheJapaneseControlsAndCommands)
{
    for (UINT id : {IDD_ABOUTBOX, IDD_MAIN, IDD_EXTENSION}) {
        SCOPED_TRACE("dialog " + std::to_string(id));
        ExpectBothLanguages(RT_DIALOG, id);
        DialogTemplate ja, en;
        ASSERT_TRUE(LoadDialogTemplate(id, ja, kJapanese) && LoadDialogTemplate(id, en, kEnglish));
        EXPECT_TRUE(en.style == ja.style && en.exStyle == ja.exStyle && en.menu.ordinal == ja.menu.ordinal);
        // The font of every English Windows.
        EXPECT_TRUE(en.pointSize == 8 && en.typeface == L"MS Sans Serif" && IsPlainAscii(en.title));
        ASSERT_EQ(en.items.size(), ja.items.size());
        for (size_t i = 0; i < ja.items.size(); ++i) {
            const DialogItem &jaItem = ja.items[i], &enItem = en.items[i];
            EXPECT_TRUE(enItem.id == jaItem.id && enItem.style == jaItem.style && enItem.exStyle == jaItem.exStyle &&
                        enItem.windowClass.ordinal == jaItem.windowClass.ordinal &&
                        enItem.windowClass.name == jaItem.windowClass.name &&
                        enItem.title.ordinal == jaItem.title.ordinal &&
                        enItem.title.name.empty() == jaItem.title.name.empty() && IsPlainAscii(enItem.title.name))
                << "control " << i + 1;
        }
    }
    for (UINT id : {IDR_MAINMENU, IDR_CONTEXTMENU}) {
        SCOPED_TRACE("menu " + std::to_string(id));
        ExpectBothLanguages(RT_MENU, id);
        HMENU hJapanese = LoadMenuIn(id, kJapanese), hEnglish = LoadMenuIn(id, kEnglish);
        ASSERT_TRUE(hJapanese && hEnglish);
        ExpectSameMenus(hJapanese, hEnglish);
        DestroyMenu(hJapanese);
        DestroyMenu(hEnglish);
    }
}
