// The flat button's painting, checked on the pixels of a bitmap it draws into.
#include "ui/common/FlatButton.h"
#include "ui/common/OffscreenDC.h"
#include "tests/support/TestDialog.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {
constexpr int kButtonId = 1100;
constexpr int kOtherId = 1101;

// A 32-bit top-down bitmap selected into a memory context.
class CCanvas {
public:
    CCanvas(int cx, int cy, COLORREF fill = RGB(255, 0, 255)) : m_cx(cx), m_cy(cy)
    {
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
        bmi.bmiHeader.biWidth = cx;
        bmi.bmiHeader.biHeight = -cy;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        void* pBits = nullptr;
        m_hDC = CreateCompatibleDC(nullptr);
        m_hBitmap = CreateDIBSection(m_hDC, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
        m_pBits = static_cast<uint32_t*>(pBits);
        m_hOld = SelectObject(m_hDC, m_hBitmap);
        const RECT rc{0, 0, cx, cy};
        HBRUSH hBrush = CreateSolidBrush(fill);
        FillRect(m_hDC, &rc, hBrush);
        DeleteObject(hBrush);
        GdiFlush();
    }
    ~CCanvas()
    {
        SelectObject(m_hDC, m_hOld);
        DeleteObject(m_hBitmap);
        DeleteDC(m_hDC);
    }
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;

    HDC Dc() const { return m_hDC; }
    int Width() const { return m_cx; }
    int Height() const { return m_cy; }

    COLORREF At(int x, int y) const
    {
        GdiFlush();
        const uint32_t p = m_pBits[y * m_cx + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

    bool SameAs(const CCanvas& other) const
    {
        for (int y = 0; y < m_cy; ++y)
            for (int x = 0; x < m_cx; ++x)
                if (At(x, y) != other.At(x, y))
                    return false;
        return true;
    }

    int Count(const RECT& area, COLORREF color) const
    {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                count += At(x, y) == color ? 1 : 0;
        return count;
    }

    // The box around every pixel of the area that differs from the colour; empty when none.
    RECT BoundsOfOther(const RECT& area, COLORREF background) const
    {
        RECT box{area.right, area.bottom, area.left, area.top};
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (At(x, y) != background) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        return box;
    }

private:
    int m_cx;
    int m_cy;
    HDC m_hDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOld = nullptr;
    uint32_t* m_pBits = nullptr;
};

// Lets a drawing test put the button in the hover state without moving the pointer.
class CProbeButton : public CFlatButton {
public:
    void SetHot(bool bHot) { m_bHot = bHot; }
};

HICON MakeSolidIcon(COLORREF color, int size = 16)
{
    HDC hScreen = GetDC(nullptr);
    HBITMAP hColor = CreateCompatibleBitmap(hScreen, size, size);
    HDC hDC = CreateCompatibleDC(hScreen);
    HGDIOBJ hOld = SelectObject(hDC, hColor);
    const RECT rc{0, 0, size, size};
    HBRUSH hBrush = CreateSolidBrush(color);
    FillRect(hDC, &rc, hBrush);
    DeleteObject(hBrush);
    SelectObject(hDC, hOld);
    DeleteDC(hDC);
    ReleaseDC(nullptr, hScreen);

    std::vector<BYTE> maskBits(static_cast<size_t>(size * size / 8), 0);  // all opaque
    HBITMAP hMask = CreateBitmap(size, size, 1, 1, maskBits.data());
    ICONINFO info{TRUE, 0, 0, hMask, hColor};
    HICON hIcon = CreateIconIndirect(&info);
    DeleteObject(hMask);
    DeleteObject(hColor);
    return hIcon;
}

class FlatButtonDrawTest : public testing::Test {
protected:
    void SetUp() override { MakeDialog("&Go"); }

    void MakeDialog(const char* pszCaption)
    {
        m_button.reset();
        m_dialog.reset();
        CDialogTemplate tmpl("Buttons", 160, 60);
        tmpl.AddControl(CDialogTemplate::kButton, pszCaption, kButtonId, BS_DEFPUSHBUTTON | WS_TABSTOP, 10, 10, 60,
                        16);
        tmpl.AddControl(CDialogTemplate::kButton, "Other", kOtherId, BS_PUSHBUTTON | WS_TABSTOP, 80, 10, 60, 16);
        m_dialog = std::make_unique<CTestDialog>(tmpl, nullptr, false);
        ASSERT_NE(m_dialog->m_hWnd, nullptr);
        m_button = std::make_unique<CProbeButton>();
        m_dialog->Bind(kButtonId, *m_button);
        ASSERT_NE(m_button->m_hWnd, nullptr);
        GetClientRect(m_button->m_hWnd, &m_rcItem);
    }

    std::unique_ptr<CCanvas> Render(UINT itemState)
    {
        auto canvas = std::make_unique<CCanvas>(m_rcItem.right, m_rcItem.bottom);
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_BUTTON;
        dis.CtlID = kButtonId;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = itemState;
        dis.hwndItem = m_button->m_hWnd;
        dis.hDC = canvas->Dc();
        dis.rcItem = m_rcItem;
        m_button->DrawItem(&dis);
        return canvas;
    }

    // The area inside the one-pixel edge.
    RECT Inside() const { return RECT{1, 1, m_rcItem.right - 1, m_rcItem.bottom - 1}; }

    // Checks the one-pixel edge: the first colour on the left and top, the second on
    // the right and bottom, where the second wins at the two corners they share.
    void ExpectEdge(const CCanvas& c, COLORREF clrLeftTop, COLORREF clrRightBottom) const
    {
        const int w = c.Width(), h = c.Height();
        for (int y = 0; y < h - 1; ++y)
            ASSERT_EQ(c.At(0, y), clrLeftTop) << "left, y=" << y;
        for (int x = 0; x < w - 1; ++x)
            ASSERT_EQ(c.At(x, 0), clrLeftTop) << "top, x=" << x;
        for (int y = 0; y < h; ++y)
            ASSERT_EQ(c.At(w - 1, y), clrRightBottom) << "right, y=" << y;
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(c.At(x, h - 1), clrRightBottom) << "bottom, x=" << x;
    }

    void ExpectNoEdge(const CCanvas& c, COLORREF clrFace) const
    {
        const int w = c.Width(), h = c.Height();
        EXPECT_EQ(c.Count(RECT{0, 0, w, 1}, clrFace), w);
        EXPECT_EQ(c.Count(RECT{0, h - 1, w, h}, clrFace), w);
        EXPECT_EQ(c.Count(RECT{0, 0, 1, h}, clrFace), h);
        EXPECT_EQ(c.Count(RECT{w - 1, 0, w, h}, clrFace), h);
    }

    std::unique_ptr<CTestDialog> m_dialog;
    std::unique_ptr<CProbeButton> m_button;
    RECT m_rcItem{};
};

const COLORREF kFace = GetSysColor(COLOR_BTNFACE);
const COLORREF kText = GetSysColor(COLOR_BTNTEXT);
const COLORREF kHighlight = GetSysColor(COLOR_BTNHIGHLIGHT);
const COLORREF kShadow = GetSysColor(COLOR_BTNSHADOW);
}

TEST_F(FlatButtonDrawTest, BindingMakesEvenADefaultPushButtonOwnerDrawn)
{
    const LONG_PTR style = GetWindowLongPtrA(m_button->m_hWnd, GWL_STYLE);
    EXPECT_EQ(style & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_TRUE(style & WS_TABSTOP);
    EXPECT_TRUE(style & WS_VISIBLE);
}

TEST_F(FlatButtonDrawTest, ThePlatformsPaintReachesTheButtonThroughItsDialog)
{
    // The control asks its dialog to draw it, and the dialog hands that back to the object.
    CCanvas canvas(m_rcItem.right, m_rcItem.bottom);
    SendMessageA(m_button->m_hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
    ExpectNoEdge(canvas, kFace);
    EXPECT_GT(canvas.Count(Inside(), kText), 0);

    m_button->SetHot(true);
    CCanvas hot(m_rcItem.right, m_rcItem.bottom);
    SendMessageA(m_button->m_hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(hot.Dc()), PRF_CLIENT);
    ExpectEdge(hot, kHighlight, kShadow);
}

TEST_F(FlatButtonDrawTest, AtRestOnlyFaceAndCentredTextAreDrawn)
{
    const auto rest = Render(0);
    ExpectNoEdge(*rest, kFace);
    EXPECT_GT(rest->Count(Inside(), kText), 0);
    EXPECT_EQ(rest->Count(Inside(), kHighlight) + rest->Count(Inside(), kShadow), 0);

    const RECT text = rest->BoundsOfOther(Inside(), kFace);
    EXPECT_LE(std::abs(static_cast<int>(text.left + text.right) - static_cast<int>(m_rcItem.right)), 3);
    EXPECT_LE(std::abs(static_cast<int>(text.top + text.bottom) - static_cast<int>(m_rcItem.bottom)), 6);
}

TEST_F(FlatButtonDrawTest, HotShowsRaisedEdgeWithUnchangedFaceAndText)
{
    const auto rest = Render(0);
    m_button->SetHot(true);
    const auto hot = Render(0);
    ExpectEdge(*hot, kHighlight, kShadow);
    // Inside the edge, hovering changes nothing.
    const RECT in = Inside();
    for (int y = in.top; y < in.bottom; ++y)
        for (int x = in.left; x < in.right; ++x)
            ASSERT_EQ(hot->At(x, y), rest->At(x, y)) << x << "," << y;
}

TEST_F(FlatButtonDrawTest, PressedShowsSunkenEdgeAndMovesTextOnePixel)
{
    const auto rest = Render(0);
    const auto pressed = Render(ODS_SELECTED);
    ExpectEdge(*pressed, kShadow, kHighlight);

    const RECT in{2, 2, m_rcItem.right - 2, m_rcItem.bottom - 2};
    const RECT restText = rest->BoundsOfOther(in, kFace);
    const RECT pressedText = pressed->BoundsOfOther(in, kFace);
    EXPECT_EQ(pressedText.left, restText.left + 1);
    EXPECT_EQ(pressedText.top, restText.top + 1);
    EXPECT_EQ(pressedText.right, restText.right + 1);
    EXPECT_EQ(pressedText.bottom, restText.bottom + 1);

    // Without hover edges a press shows no edge either.
    m_button->SetEdgeOnHover(false, false);
    ExpectNoEdge(*Render(ODS_SELECTED), kFace);
}

TEST_F(FlatButtonDrawTest, DisabledTextIsEmbossed)
{
    const auto disabled = Render(ODS_DISABLED);
    ExpectNoEdge(*disabled, kFace);
    EXPECT_EQ(disabled->Count(Inside(), kText), 0);
    EXPECT_GT(disabled->Count(Inside(), kShadow), 0);
    EXPECT_GT(disabled->Count(Inside(), kHighlight), 0);
}

TEST_F(FlatButtonDrawTest, FlatLookDrawsNoFocusRectangleUnlessAskedTo)
{
    const auto rest = Render(0);
    EXPECT_TRUE(Render(ODS_FOCUS)->SameAs(*rest));

    m_button->SetFocusInFlat(true, false);
    const auto focused = Render(ODS_FOCUS);
    EXPECT_FALSE(focused->SameAs(*rest));
    // The dotted rectangle runs 3 pixels inside the edge.
    const int w = m_rcItem.right;
    EXPECT_GT(focused->Count(RECT{3, 3, w - 3, 4}, kFace), 0);
    EXPECT_LT(focused->Count(RECT{3, 3, w - 3, 4}, kFace), w - 6);
}

TEST_F(FlatButtonDrawTest, MnemonicIsUnderlinedAndTheMarkNotShown)
{
    const RECT withMark = Render(0)->BoundsOfOther(Inside(), kFace);
    MakeDialog("Go");
    const RECT plain = Render(0)->BoundsOfOther(Inside(), kFace);
    EXPECT_EQ(withMark.left, plain.left);
    EXPECT_EQ(withMark.right, plain.right);
    EXPECT_GT(withMark.bottom, plain.bottom);
}

TEST_F(FlatButtonDrawTest, TextWiderThanTheButtonIsCentredAndCutAtBothSides)
{
    MakeDialog("MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM");
    const auto canvas = Render(0);
    const int h = m_rcItem.bottom, w = m_rcItem.right;
    EXPECT_GT(canvas->Count(RECT{0, 0, 2, h}, kText), 0);
    EXPECT_GT(canvas->Count(RECT{w - 2, 0, w, h}, kText), 0);
}

TEST_F(FlatButtonDrawTest, ColoursOfTheirOwnLeaveTheEdgeColoursToTheSystem)
{
    const COLORREF navy = RGB(0, 0, 128), yellow = RGB(255, 255, 0), teal = RGB(0, 128, 128);
    EXPECT_EQ(m_button->GetIdleFaceColor(), kFace);
    EXPECT_EQ(m_button->GetActiveTextColor(), kText);
    m_button->SetIdleColors(navy, yellow, false);
    m_button->SetActiveColors(teal, yellow, false);

    const auto rest = Render(0);
    ExpectNoEdge(*rest, navy);
    EXPECT_GT(rest->Count(Inside(), yellow), 0);

    m_button->SetHot(true);
    const auto hot = Render(0);
    ExpectEdge(*hot, kHighlight, kShadow);
    EXPECT_GT(hot->Count(Inside(), teal), 0);
    EXPECT_EQ(hot->Count(Inside(), navy), 0);

    m_button->ResetIdleFaceColor(0);
    m_button->ResetActiveFaceColor(0);
    EXPECT_EQ(m_button->GetIdleFaceColor(), kFace);
    EXPECT_EQ(m_button->GetActiveFaceColor(), kFace);
}

TEST_F(FlatButtonDrawTest, ThreeDimensionalLookHasTwoPixelEdgesAndFocusFrame)
{
    m_button->SetFlatLook(false, false);
    const int w = m_rcItem.right, h = m_rcItem.bottom, midX = w / 2, midY = h / 2;
    const auto rest = Render(0);
    EXPECT_EQ(rest->At(0, midY), kHighlight);
    EXPECT_EQ(rest->At(midX, 0), kHighlight);
    EXPECT_EQ(rest->At(1, midY), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(rest->At(midX, 1), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(rest->At(w - 1, midY), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(rest->At(midX, h - 1), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(rest->At(w - 2, midY), kShadow);
    EXPECT_EQ(rest->At(midX, h - 2), kShadow);

    const auto focused = Render(ODS_FOCUS);
    EXPECT_EQ(focused->Count(RECT{0, 0, w, 1}, RGB(0, 0, 0)), w);
    EXPECT_EQ(focused->At(1, midY), kHighlight);
    // The focus rectangle, 3 pixels inside the black frame.
    EXPECT_LT(focused->Count(RECT{4, 4, w - 4, 5}, kFace), w - 8);

    const auto pressed = Render(ODS_SELECTED);
    EXPECT_EQ(pressed->Count(RECT{0, 0, w, 1}, kShadow), w);
    EXPECT_EQ(pressed->Count(RECT{0, 0, 1, h}, kShadow), h);
    EXPECT_EQ(pressed->Count(RECT{w - 1, 0, w, h}, kShadow), h);
}

TEST_F(FlatButtonDrawTest, IconBesideTextAboveTextAndAloneSitWhereTheyShould)
{
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
    m_button->SetIcons(MakeSolidIcon(red), MakeSolidIcon(blue), 0, false);
    const int w = m_rcItem.right, h = m_rcItem.bottom;

    // Beside the text: 3 pixels from the left, centred vertically; idle icon at rest.
    const auto rest = Render(0);
    const RECT restIcon = rest->BoundsOfOther(RECT{0, 0, w, h}, kFace);
    EXPECT_EQ(rest->Count(RECT{0, 0, w, h}, red), 0);
    const RECT blueBox{3, (h - 16) / 2, 3 + 16, (h - 16) / 2 + 16};
    EXPECT_EQ(rest->Count(blueBox, blue), 16 * 16);
    EXPECT_EQ(restIcon.left, 3);
    // The text is centred in what the icon leaves.
    const RECT text = rest->BoundsOfOther(RECT{20, 1, w - 1, h - 1}, kFace);
    EXPECT_LE(std::abs(static_cast<int>(text.left + text.right) - (19 + w)), 3);

    // Hot: the active icon; pressed: it moves one pixel right and down.
    m_button->SetHot(true);
    EXPECT_EQ(Render(0)->Count(blueBox, red), 16 * 16);
    m_button->SetHot(false);
    const RECT pressedBox{blueBox.left + 1, blueBox.top + 1, blueBox.right + 1, blueBox.bottom + 1};
    EXPECT_EQ(Render(ODS_SELECTED)->Count(pressedBox, red), 16 * 16);

    // Above the text: centred horizontally at the top edge (the text below it may
    // overlap its lower rows on a button this low).
    m_button->SetIcons(MakeSolidIcon(red), nullptr, 1, false);
    const RECT topBox{(w - 16) / 2, 0, (w - 16) / 2 + 16, 4};
    const auto above = Render(0);
    EXPECT_EQ(above->Count(topBox, red), 16 * 4);
    EXPECT_EQ(above->Count(RECT{0, 0, topBox.left, h}, red), 0);

    // Without text the icon is centred both ways.
    m_button->SetTextVisible(false, false);
    const RECT centreBox{(w - 16) / 2, (h - 16) / 2, (w - 16) / 2 + 16, (h - 16) / 2 + 16};
    const auto alone = Render(0);
    EXPECT_EQ(alone->Count(centreBox, red), 16 * 16);
    EXPECT_EQ(alone->Count(RECT{0, 0, w, h}, kText), 0);

    // Disabled: embossed, not in its own colours.
    EXPECT_EQ(Render(ODS_DISABLED)->Count(RECT{0, 0, w, h}, red), 0);
}

TEST(OffscreenDCTest, DrawsIntoTheClipBoxAtTheTargetsCoordinates)
{
    const COLORREF green = RGB(0, 200, 0), black = RGB(0, 0, 0), magenta = RGB(255, 0, 255);
    CCanvas target(100, 80, magenta);
    IntersectClipRect(target.Dc(), 10, 20, 60, 50);
    {
        COffscreenDC dc(target.Dc());
        EXPECT_TRUE(dc.IsOffscreen());
        EXPECT_NE(dc.m_hDC, target.Dc());
        const RECT all{0, 0, 100, 80};
        HBRUSH hGreen = CreateSolidBrush(green);
        FillRect(dc.m_hDC, &all, hGreen);
        DeleteObject(hGreen);
        const RECT column{30, 0, 31, 80};
        FillRect(dc.m_hDC, &column, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        // Nothing reaches the target before the end of the paint.
        EXPECT_EQ(target.At(40, 30), magenta);
    }
    SelectClipRgn(target.Dc(), nullptr);
    EXPECT_EQ(target.At(10, 20), green);
    EXPECT_EQ(target.At(59, 49), green);
    EXPECT_EQ(target.At(9, 20), magenta);
    EXPECT_EQ(target.At(10, 19), magenta);
    EXPECT_EQ(target.At(60, 49), magenta);
    EXPECT_EQ(target.At(59, 50), magenta);
    EXPECT_EQ(target.At(30, 20), black);
    EXPECT_EQ(target.At(30, 49), black);
    EXPECT_EQ(target.At(31, 30), green);
    EXPECT_EQ(target.At(30, 10), magenta);
}
