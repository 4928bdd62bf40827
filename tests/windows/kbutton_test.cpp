#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "controls/kbutton_win.h"
#include "framework/gdi.h"
#include "tests/windows/win_host.h"

using kdraw::Dib24;
using kdraw::KColor;
using wintest::At;
using wintest::Pump;
using wintest::PumpUntil;

namespace {

Dib24 Snapshot(TKButton& b) { return b.ComposeFace().Pixels(); }

// Pixels of the inside (two pixels in from the edge) that differ from `fill`.
int CountInside(const Dib24& d, KColor fill, bool equal = false) {
    int n = 0;
    for (int y = 2; y < d.Height() - 2; ++y)
        for (int x = 2; x < d.Width() - 2; ++x) n += (d.Pixel(x, y) == fill) == equal;
    return n;
}

int CountColor(const Dib24& d, KColor c) {
    int n = 0;
    for (int y = 0; y < d.Height(); ++y)
        for (int x = 0; x < d.Width(); ++x) n += d.Pixel(x, y) == c;
    return n;
}

// Each channel within `tol` of c: antialiased text has exact colours only in places.
int CountNear(const Dib24& d, KColor c, int tol = 48) {
    int n = 0;
    for (int y = 0; y < d.Height(); ++y)
        for (int x = 0; x < d.Width(); ++x) {
            const KColor p = d.Pixel(x, y);
            n += std::abs(kdraw::RedOf(p) - kdraw::RedOf(c)) <= tol &&
                 std::abs(kdraw::GreenOf(p) - kdraw::GreenOf(c)) <= tol &&
                 std::abs(kdraw::BlueOf(p) - kdraw::BlueOf(c)) <= tol;
        }
    return n;
}

HWND TestHost() { return wintest::Persistent(L"KeyraTestHost", 40, 40, 400, 300); }

struct Fixture : ::testing::Test {
    HWND hostHandle = TestHost();
    TKButton b{hostHandle};
    int clicks = 0, enters = 0, leaves = 0;
    std::vector<int> downs;
    void SetUp() override {
        b.SetBounds(10, 10, 80, 24);
        b.SetCaption(u"HH");
        b.SetFontSize(12);
        b.OnClick = [this] { ++clicks; };
        b.OnMouseEnter = [this] { ++enters; };
        b.OnMouseLeave = [this] { ++leaves; };
        b.OnMouseDown = [this](int button, int, int) { downs.push_back(button); };
        Pump();
    }
    void TearDown() override { wintest::Park(hostHandle); }
    void Send(UINT msg, int x, int y, WPARAM keys = 0) { SendMessageW(b.Handle(), msg, keys, At(x, y)); }
};

}  // namespace

using TKButtonFace = Fixture;
using TKButtonMouse = Fixture;

TEST_F(TKButtonFace, DefaultsAndStyleSetsEnter) {
    // A new button: a raised two-pixel bevel around a $E8E8E8 face, and no enter effect.
    const Dib24 fresh = Snapshot(b);
    EXPECT_EQ(fresh.Pixel(0, 0), 0xF9F9F9);
    EXPECT_EQ(fresh.Pixel(fresh.Width() - 1, fresh.Height() - 1), 0x3A3A3A);
    EXPECT_EQ(fresh.Pixel(3, 3), 0xE8E8E8);
    SendMessageW(b.Handle(), WM_MOUSEMOVE, 0, At(5, 5));
    EXPECT_EQ(b.State(), ksEntered);
    const Dib24 entered = Snapshot(b);
    EXPECT_EQ(CountInside(entered, 0xE8E8E8), CountInside(fresh, 0xE8E8E8));
    SendMessageW(b.Handle(), WM_MOUSELEAVE, 0, 0);
    wchar_t cls[64];
    GetClassNameW(b.Handle(), cls, 64);
    EXPECT_STREQ(cls, L"TKButton");
    wchar_t text[16];
    GetWindowTextW(b.Handle(), text, 16);
    EXPECT_STREQ(text, L"HH");
    SetWindowTextW(b.Handle(), L"id");
    EXPECT_EQ(b.Caption(), u"id");
    EXPECT_EQ(SendMessageW(b.Handle(), WM_ERASEBKGND, 0, 0), 1);

    b.SetEnter(zeReverse);
    b.SetStyle(zsNormal);
    EXPECT_EQ(b.Enter(), zeNormal);
    b.SetStyle(zsSingle);
    EXPECT_EQ(b.Enter(), zeSingle);
    b.SetStyle(zsFlat);
    EXPECT_EQ(b.Enter(), zeSingle);
    b.SetStyle(zsFrame);
    EXPECT_EQ(b.Enter(), zeFrame);
}

TEST_F(TKButtonFace, NormalBevelAndPressedShift) {
    b.SetStyle(zsNormal);
    Dib24 normal = Snapshot(b);
    ASSERT_EQ(normal.Width(), 80);
    ASSERT_EQ(normal.Height(), 24);
    EXPECT_EQ(normal.Pixel(0, 0), 0xF9F9F9);
    EXPECT_EQ(normal.Pixel(79, 23), 0x3A3A3A);
    EXPECT_EQ(normal.Pixel(78, 10), 0x919191);
    EXPECT_EQ(normal.Pixel(3, 3), 0xE8E8E8);
    ASSERT_GT(CountInside(normal, 0xE8E8E8), 10) << "caption drawn";

    Send(WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    ASSERT_EQ(b.State(), ksPressed);
    Dib24 pressed = Snapshot(b);
    EXPECT_EQ(pressed.Pixel(0, 0), 0x3A3A3A);
    EXPECT_EQ(pressed.Pixel(1, 1), 0x919191);
    EXPECT_EQ(pressed.Pixel(79, 23), 0xF9F9F9);
    // The caption moved one pixel right and down.
    for (int y = 3; y < 20; ++y)
        for (int x = 3; x < 76; ++x) ASSERT_EQ(pressed.Pixel(x + 1, y + 1), normal.Pixel(x, y)) << x << "," << y;
    Send(WM_LBUTTONUP, 5, 5);
}

TEST_F(TKButtonFace, FramePressedKeepsCaptionPlace) {
    b.SetStyle(zsFrame);
    b.SetFaceColor(0x808080);
    Dib24 normal = Snapshot(b);
    const KColor frame = kdraw::ScaleColor(0x808080, 64, 64, 64);
    EXPECT_EQ(normal.Pixel(0, 0), frame);
    EXPECT_EQ(normal.Pixel(79, 12), frame);
    Send(WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    Dib24 pressed = Snapshot(b);
    const KColor lit = kdraw::LightenColor(0x808080, 2);
    EXPECT_EQ(pressed.Pixel(3, 3), lit);
    EXPECT_EQ(pressed.Pixel(0, 0), frame);
    int textPixels = 0;
    for (int y = 2; y < 22; ++y)
        for (int x = 2; x < 78; ++x) {
            const bool inNormal = normal.Pixel(x, y) != 0x808080;
            const bool inPressed = pressed.Pixel(x, y) != lit;
            ASSERT_EQ(inNormal, inPressed) << x << "," << y;
            textPixels += inNormal;
        }
    EXPECT_GT(textPixels, 10);
    Send(WM_LBUTTONUP, 5, 5);
}

TEST_F(TKButtonFace, EnteredEffects) {
    b.SetFontColor(0x0000FF);
    b.SetStyle(zsSingle);
    Send(WM_MOUSEMOVE, 5, 5);
    ASSERT_EQ(b.State(), ksEntered);

    b.SetEnterTextColor(0);  // black means: use the font colour
    Dib24 single = Snapshot(b);
    EXPECT_EQ(single.Pixel(0, 0), 0xF9F9F9);
    EXPECT_GT(CountNear(single, 0x0000FF), 5);

    b.SetEnterTextColor(0x00FF00);
    Dib24 green = Snapshot(b);
    EXPECT_GT(CountNear(green, 0x00FF00), 5);
    EXPECT_EQ(CountNear(green, 0x0000FF), 0);

    b.SetEnter(zeShade);
    b.SetEnterShade(128);
    Dib24 shade = Snapshot(b);
    const KColor lit = kdraw::MakeColor(0 + (255 * 128 >> 8), 78 + (177 * 128 >> 8), 152 + (103 * 128 >> 8));
    EXPECT_EQ(shade.Pixel(3, 12), lit);
    EXPECT_EQ(shade.Pixel(0, 5), kdraw::MakeColor(127 + (128 * 192 >> 8), 166 + (89 * 192 >> 8), 203 + (52 * 192 >> 8)));
    b.SetEnterShade(-127);  // multiply by 128/256
    EXPECT_EQ(Snapshot(b).Pixel(3, 12), kdraw::MakeColor(0, 39, 76));

    b.SetEnter(zeReverse);
    Dib24 rev = Snapshot(b);
    EXPECT_EQ(rev.Pixel(3, 12), 0x0000FF);
    EXPECT_GT(CountNear(rev, 0xE8E8E8, 24), 5);

    b.SetEnter(zeFrame);
    Dib24 fr = Snapshot(b);
    EXPECT_EQ(fr.Pixel(3, 12), kdraw::LightenColor(0xE8E8E8, 1));
    EXPECT_EQ(fr.Pixel(0, 0), kdraw::ScaleColor(0xE8E8E8, 64, 64, 64));

    b.SetEnter(zeNon);
    b.SetEnterTextColor(0x00FF00);
    Dib24 non = Snapshot(b);
    Send(WM_MOUSELEAVE, 0, 0);
    ASSERT_EQ(b.State(), ksNormal);
    Dib24 normal = Snapshot(b);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 80; ++x) ASSERT_EQ(non.Pixel(x, y), normal.Pixel(x, y));
}

TEST_F(TKButtonFace, DisabledCaptionIsEmbossed) {
    b.SetStyle(zsFlat);
    b.SetFaceColor(0xE8E8E8);
    b.SetFontSize(14);
    b.SetCaption(u"HHH");
    b.SetEnabled(false);
    ASSERT_EQ(b.State(), ksDisabled);
    Dib24 face = Snapshot(b);
    EXPECT_GT(CountNear(face, kdraw::DisabledDark(0xE8E8E8), 8), 5);
    EXPECT_GT(CountNear(face, kdraw::DisabledLight(0xE8E8E8), 4), 5);
    EXPECT_EQ(CountColor(face, 0x000000), 0) << "the normal caption is covered";
    b.SetEnabled(true);
    EXPECT_EQ(b.State(), ksNormal);

    // A transparent button takes its caption colours from its last face.
    b.SetTransparent(1);
    b.SetParentColor(0x202020);
    Snapshot(b);
    b.SetEnabled(false);
    Dib24 t = Snapshot(b);
    EXPECT_EQ(t.Pixel(3, 3), 0x202020);
    EXPECT_GT(CountNear(t, kdraw::DisabledLight(0x202020), 16), 5);
    EXPECT_GT(CountNear(t, kdraw::DisabledDark(0x202020), 4), 5);
}

TEST_F(TKButtonFace, GlyphTransparentAndCentred) {
    TKButton g(hostHandle);
    g.SetBounds(100, 10, 16, 16);
    g.SetStyle(zsFlat);
    g.SetFaceColor(0x984E00);
    Dib24 glyph(12, 11, true);
    glyph.Fill(0xFF00FF);
    for (int x = 3; x <= 8; ++x) {
        glyph.SetPixel(x, 8, 0xFFFFFF);
        glyph.SetPixel(x, 9, 0xFFFFFF);
    }
    g.SetGlyph(glyph);
    Dib24 face = Snapshot(g);
    EXPECT_EQ(CountColor(face, 0xFF00FF), 0);
    EXPECT_EQ(CountColor(face, 0xFFFFFF), 12);
    EXPECT_EQ(CountColor(face, 0x984E00), 256 - 12);
    EXPECT_EQ(face.Pixel(2 + 3, 3 + 8), 0xFFFFFF);
    EXPECT_EQ(face.Pixel(2 + 8, 3 + 9), 0xFFFFFF);
    g.SetGlyph(Dib24());
    EXPECT_EQ(CountColor(Snapshot(g), 0x984E00), 256);
}

TEST_F(TKButtonFace, LongCaptionIsCut) {
    const std::u16string text = u"abcdefghijklmnop";
    b.SetBounds(10, 10, 40, 24);
    b.SetStyle(zsFlat);
    b.SetCaption(text);
    Dib24 cut = Snapshot(b);
    const int available = 40 - 4;
    int n = 0;
    while (n < static_cast<int>(text.size()) &&
           kgdi::MeasureText(b.FontHandle(), std::u16string_view(text).substr(0, n + 1)).cx <= available)
        ++n;
    ASSERT_GT(n, 0);
    ASSERT_LT(n, static_cast<int>(text.size()));
    b.SetCaption(text.substr(0, n));
    Dib24 exact = Snapshot(b);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(cut.Pixel(x, y), exact.Pixel(x, y)) << x << "," << y;
    b.SetCaption(text.substr(0, n - 1));
    EXPECT_NE(CountInside(Snapshot(b), 0xE8E8E8), CountInside(exact, 0xE8E8E8));
    // Not even the first character fits: nothing is drawn.
    b.SetBounds(10, 10, 6, 24);
    b.SetCaption(u"W");
    EXPECT_EQ(CountColor(Snapshot(b), 0xE8E8E8), 6 * 24);
}

TEST_F(TKButtonFace, PaintsTheComposedFaceOnScreen) {
    b.SetStyle(zsFlat);
    b.SetFaceColor(0x00FF00);
    b.SetCaption(u"");
    UpdateWindow(b.Handle());
    HDC dc = GetDC(b.Handle());
    const COLORREF c = GetPixel(dc, 40, 12);
    ReleaseDC(b.Handle(), dc);
    EXPECT_EQ(c, 0x00FF00u);
}

TEST_F(TKButtonMouse, PressInsideReleaseOutsideClicksOnce) {
    Send(WM_MOUSEMOVE, 5, 5);
    EXPECT_EQ(enters, 1);
    Send(WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    EXPECT_EQ(GetCapture(), b.Handle());
    EXPECT_EQ(b.PressedFlag(), 1);
    Send(WM_MOUSEMOVE, 200, 100, MK_LBUTTON);
    EXPECT_EQ(leaves, 1);
    Send(WM_LBUTTONUP, 200, 100);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(b.PressedFlag(), 0);
    EXPECT_NE(GetCapture(), b.Handle());
    EXPECT_EQ(b.State(), ksNormal);  // the pointer is elsewhere
    Send(WM_LBUTTONUP, 200, 100);    // a stray release does not click again
    EXPECT_EQ(clicks, 1);

    // Inside: exactly one click too.
    Send(WM_MOUSEMOVE, 5, 5);
    Send(WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    Send(WM_LBUTTONUP, 6, 6);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(b.State(), ksEntered);
    EXPECT_EQ(downs, (std::vector<int>{TKButton::mbLeft, TKButton::mbLeft}));
}

TEST_F(TKButtonMouse, RightAndMiddleDoNotPressOrClick) {
    POINT menuAt{-1, -1};
    b.OnContextMenu = [&](POINT p) { menuAt = p; };
    Send(WM_RBUTTONDOWN, 5, 6, MK_RBUTTON);
    EXPECT_EQ(b.State(), ksNormal);
    EXPECT_EQ(b.PressedFlag(), 0);
    Send(WM_RBUTTONUP, 5, 6);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(b.State(), ksEntered);
    POINT expect{5, 6};
    ClientToScreen(b.Handle(), &expect);
    EXPECT_EQ(menuAt.x, expect.x);
    EXPECT_EQ(menuAt.y, expect.y);
    Send(WM_MBUTTONDOWN, 5, 5, MK_MBUTTON);
    Send(WM_MBUTTONUP, 5, 5);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(downs, (std::vector<int>{TKButton::mbRight, TKButton::mbMiddle}));
}

TEST_F(TKButtonMouse, DisabledNeverClicksOrTracks) {
    b.SetEnabled(false);
    Send(WM_MOUSEMOVE, 5, 5);
    Send(WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    Send(WM_LBUTTONUP, 5, 5);
    Send(WM_MOUSEMOVE, 200, 200);
    Send(WM_MOUSELEAVE, 0, 0);
    b.Click();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(enters, 0);
    EXPECT_EQ(leaves, 0);
    EXPECT_EQ(b.State(), ksDisabled);
    EXPECT_EQ(b.PressedFlag(), 0);
    // Disabling in the middle of a press drops it.
    b.SetEnabled(true);
    Send(WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    b.SetEnabled(false);
    EXPECT_NE(GetCapture(), b.Handle());
    b.SetEnabled(true);
    Send(WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(clicks, 0);
}

TEST_F(TKButtonMouse, SelectKeepsEnteredLook) {
    b.SetSelect(1);
    Send(WM_MOUSEMOVE, 5, 5);
    Send(WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(leaves, 1);
    EXPECT_EQ(b.State(), ksEntered);
}

TEST_F(TKButtonMouse, LostCaptureCancelsThePress) {
    Send(WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    ASSERT_EQ(GetCapture(), b.Handle());
    SetCapture(hostHandle);
    Send(WM_LBUTTONUP, 5, 5);
    EXPECT_EQ(clicks, 0);
    ReleaseCapture();
}

TEST_F(TKButtonMouse, HandlerMayDestroyTheButton) {
    auto* owned = new TKButton(hostHandle);
    owned->SetBounds(100, 100, 50, 20);
    int fired = 0;
    owned->OnClick = [&] {
        ++fired;
        delete owned;
    };
    HWND h = owned->Handle();
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(3, 3));
    SendMessageW(h, WM_LBUTTONUP, 0, At(3, 3));
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(IsWindow(h));
}

TEST_F(TKButtonMouse, ErrorsOfHandlersReachTheErrorHandler) {
    auto saved = kf::ErrorHandler;
    std::string seen;
    kf::ErrorHandler = [&](HWND, const std::exception& e) { seen = e.what(); };
    b.OnClick = [] { throw std::runtime_error("boom"); };
    Send(WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    Send(WM_LBUTTONUP, 5, 5);
    kf::ErrorHandler = saved;
    EXPECT_EQ(seen, "boom");
}

// The real pointer: press on the button, drag off it, release over the host.
TEST_F(TKButtonMouse, RealPointerPressDragRelease) {
    RECT r;
    GetWindowRect(b.Handle(), &r);
    SetForegroundWindow(hostHandle);
    SetCursorPos(r.left + 300, r.top + 200);  // start off the button
    Pump();
    SetCursorPos(r.left + 20, r.top + 10);
    ASSERT_TRUE(PumpUntil([&] { return enters == 1; }));
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    SendInput(1, &in, sizeof(in));
    ASSERT_TRUE(PumpUntil([&] { return b.State() == ksPressed; }));
    SetCursorPos(r.left + 200, r.top + 150);
    ASSERT_TRUE(PumpUntil([&] { return leaves == 1; }));
    in.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &in, sizeof(in));
    ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }));
    Pump();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(b.State(), ksNormal);
}

TEST(KGdi, TransparentBitmapAndResourceHelpers) {
    // A 4 x 2 DIB: lower-left is the key.
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    kgdi::Bitmap src(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(src);
    kdraw::Dib24 view;
    view.Attach(static_cast<std::uint8_t*>(bits), 4, 2, true);
    view.Fill(0xFF00FF);
    view.SetPixel(1, 0, 0x00FF00);
    kdraw::Dib24 copy;
    ASSERT_TRUE(kgdi::BitmapToDib(src.Get(), copy));
    EXPECT_EQ(copy.Pixel(1, 0), 0x00FF00);
    EXPECT_EQ(copy.Pixel(3, 1), 0xFF00FF);

    kgdi::DibSection dst(6, 4);
    dst.Pixels().Fill(0x123456);
    kgdi::DrawTransparentBitmap(dst.Dc(), 1, 1, src.Get());
    dst.Flush();
    EXPECT_EQ(dst.Pixels().Pixel(2, 1), 0x00FF00);
    EXPECT_EQ(dst.Pixels().Pixel(1, 1), 0x123456);
    EXPECT_EQ(dst.Pixels().Pixel(4, 2), 0x123456);

    kdraw::Dib24 none;
    EXPECT_FALSE(kgdi::LoadBitmapResource(GetModuleHandleW(nullptr), 31999, none));

    kgdi::DibSection frame(10, 8);
    kgdi::PaintFormFrame(frame.Dc(), 10, 8, 0x984E00);
    frame.Flush();
    EXPECT_EQ(frame.Pixels().Pixel(9, 7), 0x391D00);
    EXPECT_EQ(frame.Pixels().Pixel(4, 4), 0x984E00);

    kgdi::Font f = kgdi::CreatePointFont(u"Tahoma", 10);
    ASSERT_TRUE(f);
    const SIZE one = kgdi::MeasureText(f.Get(), u"pass");
    const SIZE two = kgdi::MeasureText(f.Get(), u"passpass");
    EXPECT_GT(one.cx, 0);
    EXPECT_NEAR(two.cx, 2 * one.cx, 2);
    EXPECT_GT(kgdi::MeasureText(f.Get(), u"").cy, 0);
}

// The minimize glyph as the program ships it (16 colours, bottom-up), through the same
// conversion LoadGlyph uses for resources.
TEST_F(TKButtonFace, ShippedMinimizeGlyphOnATitleButton) {
    std::string file = __FILE__;
    file = file.substr(0, file.rfind("tests/windows/")) + "resources/minimize.bmp";
    std::wstring path = L"Z:";
    for (char c : file) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    kgdi::Bitmap bmp(static_cast<HBITMAP>(
        LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    if (!bmp) GTEST_SKIP() << "resources/minimize.bmp not reachable from here";
    kdraw::Dib24 glyph;
    ASSERT_TRUE(kgdi::BitmapToDib(bmp.Get(), glyph));
    ASSERT_EQ(glyph.Width(), 12);
    ASSERT_EQ(glyph.Height(), 11);
    EXPECT_EQ(glyph.Pixel(0, 10), 0xFF00FF);
    EXPECT_EQ(glyph.Pixel(3, 8), 0xFFFFFF);

    TKButton t(hostHandle);
    t.SetBounds(200, 10, 16, 16);
    t.SetStyle(zsFlat);
    t.SetFaceColor(0x984E00);
    t.SetGlyph(glyph);
    Dib24 face = Snapshot(t);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool bar = x >= 2 + 3 && x <= 2 + 8 && (y == 3 + 8 || y == 3 + 9);
            ASSERT_EQ(face.Pixel(x, y), bar ? 0xFFFFFF : 0x984E00) << x << "," << y;
        }
}

TEST_F(TKButtonMouse, RealPointerHoverEntersAndLeaves) {
    RECT r;
    GetWindowRect(b.Handle(), &r);
    SetCursorPos(r.left + 300, r.top + 200);
    Pump();
    SetCursorPos(r.left + 20, r.top + 10);
    ASSERT_TRUE(PumpUntil([&] { return enters == 1; }));
    EXPECT_EQ(b.State(), ksEntered);
    SetCursorPos(r.left + 300, r.top + 200);
    ASSERT_TRUE(PumpUntil([&] { return leaves == 1; }));
    EXPECT_EQ(b.State(), ksNormal);
    EXPECT_EQ(clicks, 0);
}
