#include <gtest/gtest.h>

#include "controls/kbutton_face.h"
#include "core/kdraw.h"

using namespace kdraw;

namespace {

Dib24 Solid(int w, int h, KColor c, bool bottomUp = true) {
    Dib24 d(w, h, bottomUp);
    d.Fill(c);
    return d;
}

}  // namespace

TEST(Dib24, RowLayoutMatchesWindowsDib) {
    Dib24 bu(5, 3);  // 15 bytes a row, padded to 16
    EXPECT_EQ(Dib24::StrideFor(5), 16);
    bu.SetPixel(1, 0, 0x112233);  // red 0x33, green 0x22, blue 0x11
    // Bottom-up: the top row is the last row in memory; bytes are blue, green, red.
    const std::uint8_t* last = bu.Row(2) + 2 * 16;
    EXPECT_EQ(last, bu.Row(0));
    EXPECT_EQ(bu.Row(0)[3], 0x11);
    EXPECT_EQ(bu.Row(0)[4], 0x22);
    EXPECT_EQ(bu.Row(0)[5], 0x33);

    Dib24 td(5, 3, false);
    td.SetPixel(0, 2, 0xABCDEF);
    EXPECT_EQ(td.Row(2), td.Row(0) + 32);
    EXPECT_EQ(td.Pixel(0, 2), 0xABCDEF);
    EXPECT_EQ(td.Pixel(7, 7), 0);  // outside reads as black, no access
    td.SetPixel(-1, 9, 0xFFFFFF);  // outside writes are dropped
}

TEST(Dib24, FillFrameAndCopyClip) {
    Dib24 d = Solid(6, 4, 0x000000);
    d.FrameRect({0, 0, 6, 4}, 0x0000FF);
    EXPECT_EQ(d.Pixel(0, 0), 0x0000FF);
    EXPECT_EQ(d.Pixel(5, 3), 0x0000FF);
    EXPECT_EQ(d.Pixel(1, 1), 0x000000);
    d.FillRect({-5, -5, 100, 1}, 0x00FF00);  // clipped, not a crash
    EXPECT_EQ(d.Pixel(5, 0), 0x00FF00);

    Dib24 src(3, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) src.SetPixel(x, y, MakeColor(x, y, 7));
    Dib24 dst = Solid(3, 3, 0x808080);
    dst.CopyFrom(src, {1, 1, 10, 10}, -1, 0);  // runs off both buffers
    EXPECT_EQ(dst.Pixel(0, 0), MakeColor(2, 1, 7));
    EXPECT_EQ(dst.Pixel(0, 1), MakeColor(2, 2, 7));
    EXPECT_EQ(dst.Pixel(1, 0), 0x808080);
    dst.CopyFrom(src, {-2, 0, 1, 1}, 0, 0);  // source left of 0 shifts the destination
    EXPECT_EQ(dst.Pixel(2, 0), MakeColor(0, 0, 7));
}

TEST(Colours, ScaleLightenAndDisabled) {
    EXPECT_EQ(ScaleColor(0x984E00, 96, 96, 96), 0x391D00);
    EXPECT_EQ(ScaleColor(0xFFFFFF, 64, 128, 256), MakeColor(255, 127, 63));
    // Factors beyond 256 would leave the byte; they are held at 256.
    EXPECT_EQ(ScaleColor(0xFFFFFF, 1000, 1000, 1000), 0xFFFFFF);

    // Darkish colour (min channel <= 128): towards white by 64 or 128 / 256.
    EXPECT_EQ(LightenColor(0x984E00, 1), MakeColor(0 + (255 * 64 >> 8), 78 + (177 * 64 >> 8), 152 + (103 * 64 >> 8)));
    EXPECT_EQ(LightenColor(0x000000, 2), MakeColor(127, 127, 127));
    // Light colour: only the smallest channel(s) are tinted.
    EXPECT_EQ(LightenColor(0xE8E8E8, 1), MakeColor(232 * 232 >> 8, 232 * 232 >> 8, 232 * 232 >> 8));
    EXPECT_EQ(LightenColor(MakeColor(200, 250, 180), 2), MakeColor(200 * 255 >> 8, 250 * 255 >> 8, 180 * 192 >> 8));
    EXPECT_EQ(LightenColor(MakeColor(129, 129, 129), 1), MakeColor(116, 116, 116));
    EXPECT_EQ(LightenColor(MakeColor(128, 255, 255), 1), MakeColor(128 + (127 * 64 >> 8), 255, 255));

    EXPECT_EQ(DisabledLight(0xE8E8E8), MakeColor(243, 243, 243));  // 232 + (23*128 >> 8)
    EXPECT_EQ(DisabledDark(0xE8E8E8), MakeColor(116, 116, 116));
    EXPECT_EQ(DisabledDark(static_cast<KColor>(0x12FF0000)), static_cast<KColor>(0x127F0000));

    EXPECT_EQ(ContrastLevel(kcClear), 0);
    EXPECT_EQ(ContrastLevel(kcSoft3), 192);
    EXPECT_EQ(ContrastLevel(99), 192);
    EXPECT_EQ(ContrastLevel(-1), 0);
}

TEST(Colours, SystemColoursGoThroughResolver) {
    SetSysColorResolver([](int index) -> std::int32_t { return index == 15 ? 0x00D8E9EC : 0x123456; });
    EXPECT_EQ(ColorToRGB(static_cast<KColor>(0x8000000F)), 0xD8E9EC);
    EXPECT_EQ(ScaleColor(static_cast<KColor>(0x8000000F), 256, 256, 256), 0xD8E9EC);
    SetSysColorResolver(nullptr);
    EXPECT_EQ(ColorToRGB(0x01984E00), 0x984E00);
}

TEST(DrawBevel, RaisedTwoPixelOnDefaultFace) {
    Dib24 d = Solid(8, 6, 0xE8E8E8);
    DrawBevel(d, 0, 0, kcNormal);
    EXPECT_EQ(d.Pixel(0, 0), 0xF9F9F9);
    EXPECT_EQ(d.Pixel(3, 0), 0xF9F9F9);
    EXPECT_EQ(d.Pixel(0, 3), 0xF9F9F9);
    EXPECT_EQ(d.Pixel(7, 3), 0x3A3A3A);
    EXPECT_EQ(d.Pixel(3, 5), 0x3A3A3A);
    // Corners belong to the right and bottom edges.
    EXPECT_EQ(d.Pixel(7, 0), 0x3A3A3A);
    EXPECT_EQ(d.Pixel(0, 5), 0x3A3A3A);
    EXPECT_EQ(d.Pixel(7, 5), 0x3A3A3A);
    EXPECT_EQ(d.Pixel(6, 3), 0x919191);
    EXPECT_EQ(d.Pixel(3, 4), 0x919191);
    EXPECT_EQ(d.Pixel(6, 1), 0x919191);  // inner right beats inner top
    EXPECT_EQ(d.Pixel(1, 1), 0xE8E8E8);  // raised: inner top-left stays
    EXPECT_EQ(d.Pixel(3, 2), 0xE8E8E8);
}

TEST(DrawBevel, SunkenAndModes) {
    Dib24 s = Solid(6, 6, 0xE8E8E8);
    DrawBevel(s, 1, 0, kcNormal);
    EXPECT_EQ(s.Pixel(0, 0), 0x3A3A3A);
    EXPECT_EQ(s.Pixel(5, 5), 0xF9F9F9);
    EXPECT_EQ(s.Pixel(5, 0), 0xF9F9F9);
    EXPECT_EQ(s.Pixel(1, 1), 0x919191);  // shadow inside the top-left
    EXPECT_EQ(s.Pixel(4, 4), 0xE8E8E8);

    Dib24 one = Solid(6, 6, 0xE8E8E8);
    DrawBevel(one, 0, 1, kcNormal);
    EXPECT_EQ(one.Pixel(0, 2), 0xF9F9F9);
    EXPECT_EQ(one.Pixel(5, 2), 0x3A3A3A);
    EXPECT_EQ(one.Pixel(4, 4), 0xE8E8E8);
    EXPECT_EQ(one.Pixel(1, 1), 0xE8E8E8);

    for (int sunken = 0; sunken <= 1; ++sunken) {
        Dib24 f = Solid(6, 6, 0xE8E8E8);
        DrawBevel(f, sunken, 2, kcClear);  // dark 0: black frame all round
        EXPECT_EQ(f.Pixel(0, 0), 0);
        EXPECT_EQ(f.Pixel(5, 0), 0);
        EXPECT_EQ(f.Pixel(0, 3), 0);
        EXPECT_EQ(f.Pixel(5, 5), 0);
        EXPECT_EQ(f.Pixel(4, 4), 0xE8E8E8);
        EXPECT_EQ(f.Pixel(1, 1), 0xE8E8E8);
    }

    Dib24 soft = Solid(4, 4, MakeColor(100, 0, 255));
    DrawBevel(soft, 0, 0, kcSoft3);
    EXPECT_EQ(soft.Pixel(0, 0), MakeColor(158, 95, 255));
    EXPECT_EQ(soft.Pixel(3, 3), MakeColor(75, 0, 191));

    Dib24 tiny(1, 1);  // sizes of one pixel must not step outside
    tiny.Fill(0xFFFFFF);
    DrawBevel(tiny, 0, 0, kcNormal);
    EXPECT_EQ(tiny.Pixel(0, 0), 0x3F3F3F);
    Dib24 empty;
    DrawBevel(empty, 0, 0, kcNormal);
    DrawFrame(empty, 0);
    LightenBitmap(empty, 10);
}

TEST(DrawFormFrame, RaisedBorderAroundWindowColour) {
    Dib24 c = Solid(10, 8, 0x123456);
    DrawFormFrame(c, 10, 8, 0x984E00);
    const KColor dark = 0x391D00;
    const KColor light = MakeColor(0 + (255 * 160 >> 8), 78 + (177 * 160 >> 8), 152 + (103 * 160 >> 8));
    EXPECT_EQ(light, 0xD8BC9F);
    EXPECT_EQ(c.Pixel(0, 0), light);
    EXPECT_EQ(c.Pixel(8, 0), light);
    EXPECT_EQ(c.Pixel(0, 6), light);
    EXPECT_EQ(c.Pixel(9, 0), dark);  // last pixel of the top line
    EXPECT_EQ(c.Pixel(0, 7), dark);  // last pixel of the left line
    EXPECT_EQ(c.Pixel(9, 7), dark);
    EXPECT_EQ(c.Pixel(9, 4), dark);
    EXPECT_EQ(c.Pixel(4, 7), dark);
    for (int y = 1; y < 7; ++y)
        for (int x = 1; x < 9; ++x) ASSERT_EQ(c.Pixel(x, y), 0x984E00) << x << "," << y;
}

TEST(PixelRoutines, LightenAndMultiply) {
    Dib24 d(3, 1);
    d.SetPixel(0, 0, 0x000000);
    d.SetPixel(1, 0, 0x804020);
    d.SetPixel(2, 0, 0xFFFFFF);
    Dib24 same = d;
    LightenBitmap(same, 0);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(same.Pixel(x, 0), d.Pixel(x, 0));
    Dib24 l = d;
    LightenBitmap(l, 255);
    EXPECT_EQ(l.Pixel(0, 0), 0xFEFEFE);
    EXPECT_EQ(l.Pixel(2, 0), 0xFFFFFF);
    Dib24 big = d;
    LightenBitmap(big, 400);  // held at a full step: never wraps past white
    EXPECT_EQ(big.Pixel(0, 0), 0xFFFFFF);

    Dib24 m = d;
    MultiplyChannels(m, 256, 128, 0);
    EXPECT_EQ(m.Pixel(1, 0), MakeColor(0x20, 0x20, 0));
    EXPECT_EQ(m.Pixel(2, 0), MakeColor(255, 127, 0));
    Dib24 n = d;
    MultiplyChannels(n, -60, -60, -60);  // a very negative shade: black, not garbage
    EXPECT_EQ(n.Pixel(2, 0), 0);
}

TEST(PixelRoutines, CaptureBackgroundAndFillFace) {
    Dib24 under(20, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) under.SetPixel(x, y, MakeColor(x, y, 1));
    Dib24 bg;
    CaptureBackground(bg, 4, 3, &under, 5, 2, 0xABCDEF);
    ASSERT_EQ(bg.Width(), 4);
    ASSERT_EQ(bg.Height(), 3);
    EXPECT_EQ(bg.Pixel(0, 0), MakeColor(5, 2, 1));
    EXPECT_EQ(bg.Pixel(3, 2), MakeColor(8, 4, 1));
    CaptureBackground(bg, 4, 3, &under, 18, 9, 0xABCDEF);  // hangs off the picture
    EXPECT_EQ(bg.Pixel(1, 0), MakeColor(19, 9, 1));
    EXPECT_EQ(bg.Pixel(2, 0), 0xABCDEF);
    EXPECT_EQ(bg.Pixel(0, 1), 0xABCDEF);
    CaptureBackground(bg, 2, 2, nullptr, 0, 0, 0x00FF00);
    EXPECT_EQ(bg.Pixel(1, 1), 0x00FF00);

    Dib24 face(2, 2);
    FillFace(face, 0, 0x0000FF, bg);
    EXPECT_EQ(face.Pixel(1, 1), 0x0000FF);
    FillFace(face, 1, 0x0000FF, bg);
    EXPECT_EQ(face.Pixel(1, 1), 0x00FF00);
}

TEST(PixelRoutines, TransparentGlyphKeyIsLowerLeft) {
    Dib24 glyph(3, 2, false);
    glyph.Fill(0xFF00FF);
    glyph.SetPixel(1, 0, 0xFFFFFF);
    glyph.SetPixel(2, 1, 0x000000);
    Dib24 dst = Solid(5, 5, 0x404040);
    DrawTransparent(dst, glyph, 3, 4);  // partly outside
    EXPECT_EQ(dst.Pixel(4, 4), 0xFFFFFF);
    EXPECT_EQ(dst.Pixel(3, 4), 0x404040);
    // The key is the glyph's lower-left pixel, whatever colour that is.
    glyph.SetPixel(0, 1, 0x000000);
    Dib24 dst2 = Solid(3, 2, 0x404040);
    DrawTransparent(dst2, glyph, 0, 0);
    EXPECT_EQ(dst2.Pixel(2, 1), 0x404040);
    EXPECT_EQ(dst2.Pixel(0, 0), 0xFF00FF);
}
