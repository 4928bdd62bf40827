#include <gtest/gtest.h>

#include <vector>

#include "controls/kbutton_face.h"

using namespace kdraw;

namespace {

// Every character is 6 x 10 pixels; drawing fills that box, so positions are checkable.
class BoxPainter : public KTextPainter {
public:
    int measured = 0;
    struct Call {
        int x, y;
        std::u16string text;
        KColor color;
    };
    std::vector<Call> draws;
    KTextSize Measure(std::u16string_view t) override {
        ++measured;
        return {static_cast<int>(t.size()) * 6, 10};
    }
    void Draw(Dib24& face, int x, int y, std::u16string_view t, KColor c) override {
        draws.push_back({x, y, std::u16string(t), c});
        face.FillRect({x, y, x + static_cast<int>(t.size()) * 6, y + 10}, c);
    }
};

Dib24 Face(int w, int h) { return Dib24(w, h); }

}  // namespace

TEST(FittingCount, CutsWithoutEllipsisAndCapsAt255) {
    BoxPainter p;
    EXPECT_EQ(FittingCount(u"", 100, p), 0);
    EXPECT_EQ(p.measured, 0);
    EXPECT_EQ(FittingCount(u"pass", 24, p), 4);
    EXPECT_EQ(FittingCount(u"pass", 23, p), 3);
    EXPECT_EQ(FittingCount(u"pass", 5, p), 0);
    EXPECT_EQ(FittingCount(u"pass", -10, p), 0);
    std::u16string longText(400, u'x');
    EXPECT_EQ(FittingCount(longText, 1 << 20, p), 255);
    // The 255th character is measured too: it must fit like any other.
    EXPECT_EQ(FittingCount(longText, 254 * 6, p), 254);
    // A surrogate pair is kept whole.
    std::u16string pair = u"a\U0001F511b";
    EXPECT_EQ(FittingCount(pair, 12, p), 1);
    EXPECT_EQ(FittingCount(pair, 18, p), 3);
}

TEST(CaptionLayout, AlignmentsFollowGlyphAndMargin) {
    BoxPainter p;
    KButtonLook look;
    look.caption = u"abc";  // 18 x 10
    KCaptionLayout l = LayoutCaption(look, 60, 22, 0, 0, p);
    EXPECT_EQ(l.count, 3);
    EXPECT_EQ(l.gx, 30 - 9);
    EXPECT_EQ(l.tx, 21);  // no glyph: no spacing
    EXPECT_EQ(l.ty, 11 - 6);

    l = LayoutCaption(look, 60, 22, 12, 11, p);
    EXPECT_EQ(l.gx, 30 - (12 + 4 + 18) / 2);
    EXPECT_EQ(l.tx, l.gx + 16);
    EXPECT_EQ(l.gy, 11 - 5);

    look.alignment = taLeftJustify;
    look.margin = 9;
    for (int gw : {0, 5, 20}) {
        l = LayoutCaption(look, 60, 22, gw, 8, p);
        EXPECT_EQ(l.gx, 4);
        EXPECT_EQ(l.tx, 11);
    }
    look.alignment = taRightJustify;
    look.margin = 4;
    l = LayoutCaption(look, 60, 22, 12, 11, p);
    EXPECT_EQ(l.gx, 60 - (12 + 4 + 18 + 4 + 2));
    EXPECT_EQ(l.tx, l.gx + 16);

    // Only a glyph: the caption does not fit at all, the glyph is still centred.
    look.alignment = taCenter;
    l = LayoutCaption(look, 16, 16, 12, 11, p);
    EXPECT_EQ(l.count, 0);
    EXPECT_EQ(l.gx, 8 - 6);
    EXPECT_EQ(l.gy, 8 - 5);
    EXPECT_EQ(l.ty, 8 - 1);
}

TEST(ComposeFace, NormalAndPressedShiftExceptFrameStyle) {
    KButtonLook look;
    look.caption = u"ab";
    look.fontColor = 0x0000FF;
    look.style = zsSingle;
    Dib24 bg(40, 20);
    BoxPainter p;
    Dib24 face = Face(40, 20);
    ComposeFace(face, bg, look, ksNormal, nullptr, p);
    ASSERT_EQ(p.draws.size(), 1u);
    EXPECT_EQ(p.draws[0].x, 14);
    EXPECT_EQ(p.draws[0].y, 4);
    EXPECT_EQ(face.Pixel(14, 4), 0x0000FF);
    EXPECT_EQ(face.Pixel(0, 0), 0xF9F9F9);  // one-pixel raised edge
    EXPECT_EQ(face.Pixel(39, 19), 0x3A3A3A);
    EXPECT_EQ(face.Pixel(1, 1), 0xE8E8E8);

    p.draws.clear();
    ComposeFace(face, bg, look, ksPressed, nullptr, p);
    ASSERT_EQ(p.draws.size(), 1u);
    EXPECT_EQ(p.draws[0].x, 15);
    EXPECT_EQ(p.draws[0].y, 5);
    EXPECT_EQ(face.Pixel(0, 0), 0x3A3A3A);

    look.style = zsFrame;
    p.draws.clear();
    ComposeFace(face, bg, look, ksPressed, nullptr, p);
    ASSERT_EQ(p.draws.size(), 1u);
    EXPECT_EQ(p.draws[0].x, 14);
    EXPECT_EQ(p.draws[0].y, 4);
    EXPECT_EQ(face.Pixel(0, 0), ScaleColor(0xE8E8E8, 64, 64, 64));
    EXPECT_EQ(face.Pixel(1, 1), LightenColor(0xE8E8E8, 2));
}

TEST(ComposeFace, EnterEffects) {
    KButtonLook look;
    look.caption = u"a";
    look.fontColor = 0x112233;
    Dib24 bg(20, 20);
    Dib24 face = Face(20, 20);

    // Black enter text counts as unset.
    look.enter = zeNormal;
    look.enterTextColor = 0;
    {
        BoxPainter p;
        ComposeFace(face, bg, look, ksEntered, nullptr, p);
        EXPECT_EQ(p.draws.at(0).color, 0x112233);
        EXPECT_EQ(face.Pixel(18, 10), 0x919191);  // two-pixel bevel
    }
    look.enterTextColor = 0x00FF00;
    look.enter = zeSingle;
    {
        BoxPainter p;
        ComposeFace(face, bg, look, ksEntered, nullptr, p);
        EXPECT_EQ(p.draws.at(0).color, 0x00FF00);
        EXPECT_EQ(face.Pixel(18, 10), 0xE8E8E8);
    }
    look.enter = zeNon;
    {
        BoxPainter p;
        ComposeFace(face, bg, look, ksEntered, nullptr, p);
        EXPECT_EQ(p.draws.at(0).color, 0x112233);
    }
    look.enter = zeShade;
    look.style = zsFlat;
    look.enterFaceColor = 0x984E00;
    look.enterShade = 192;
    {
        BoxPainter p;
        ComposeFace(face, bg, look, ksEntered, nullptr, p);
        EXPECT_EQ(face.Pixel(0, 0), MakeColor(0 + (255 * 192 >> 8), 78 + (177 * 192 >> 8), 152 + (103 * 192 >> 8)));
        EXPECT_EQ(p.draws.at(0).color, 0x00FF00);
    }
    look.enterShade = -55;  // multiply by 200 / 256
    {
        BoxPainter p;
        ComposeFace(face, bg, look, ksEntered, nullptr, p);
        EXPECT_EQ(face.Pixel(0, 0), MakeColor(0, 78 * 200 >> 8, 152 * 200 >> 8));
    }
    look.enter = zeReverse;
    {
        BoxPainter p;
        ComposeFace(face, bg, look, ksEntered, nullptr, p);
        EXPECT_EQ(face.Pixel(0, 0), 0x112233);
        EXPECT_EQ(p.draws.at(0).color, 0xE8E8E8);
    }
    look.enter = zeFrame;
    look.style = zsFrame;
    look.contrast = kcSoft2;
    {
        BoxPainter p;
        ComposeFace(face, bg, look, ksEntered, nullptr, p);
        EXPECT_EQ(face.Pixel(0, 0), ScaleColor(0xE8E8E8, 128, 128, 128));
        EXPECT_EQ(face.Pixel(1, 1), LightenColor(0xE8E8E8, 1));
    }
}

TEST(ComposeFace, DisabledEmbossesWithFaceOrPreviousPixel) {
    KButtonLook look;
    look.caption = u"ab";
    look.style = zsFlat;
    look.faceColor = 0xE8E8E8;
    Dib24 bg(40, 20);
    bg.Fill(0x00FF00);
    Dib24 face = Face(40, 20);
    BoxPainter p;
    ComposeFace(face, bg, look, ksDisabled, nullptr, p);
    ASSERT_EQ(p.draws.size(), 3u);
    EXPECT_EQ(p.draws[1].x, p.draws[0].x + 1);
    EXPECT_EQ(p.draws[1].color, MakeColor(243, 243, 243));
    EXPECT_EQ(p.draws[2].x, p.draws[0].x);
    EXPECT_EQ(p.draws[2].color, MakeColor(116, 116, 116));
    // Lower-right pixel of the text box keeps the light copy, the rest is dark.
    EXPECT_EQ(face.Pixel(p.draws[0].x + 12, p.draws[0].y + 10), MakeColor(243, 243, 243));
    EXPECT_EQ(face.Pixel(p.draws[0].x, p.draws[0].y), MakeColor(116, 116, 116));

    look.transparent = 1;
    Dib24 previous(40, 20);
    previous.Fill(0x202020);
    previous.MarkPainted();
    p.draws.clear();
    ComposeFace(face, bg, look, ksDisabled, nullptr, p, &previous);
    EXPECT_EQ(face.Pixel(1, 1), 0x00FF00);  // face starts from the background
    EXPECT_EQ(p.draws.at(2).color, MakeColor(16, 16, 16));
    // Without a usable earlier face (first paint, tiny button) the face colour serves.
    Dib24 tiny(2, 2);
    p.draws.clear();
    ComposeFace(face, bg, look, ksDisabled, nullptr, p, &tiny);
    EXPECT_EQ(p.draws.at(2).color, MakeColor(116, 116, 116));
}

// The window composes into its own buffer and passes it as the previous face: on the first
// paint that buffer is freshly zero-filled, and its black must not become the caption colour.
TEST(ComposeFace, DisabledTransparentFirstPaintUsesTheFaceColour) {
    KButtonLook look;
    look.caption = u"ab";
    look.style = zsFlat;
    look.transparent = 1;
    look.faceColor = 0xE8E8E8;
    Dib24 bg(40, 20);
    bg.Fill(0xC0C0C0);
    Dib24 glyph(12, 11);
    glyph.Fill(0xFF00FF);  // all transparent
    Dib24 face(40, 20);
    BoxPainter p;
    ComposeFace(face, bg, look, ksDisabled, &glyph, p, &face);
    ASSERT_EQ(p.draws.size(), 3u);
    EXPECT_EQ(p.draws[2].color, MakeColor(116, 116, 116));
    EXPECT_TRUE(face.Painted());
    // Later paints take the colour the last one left at (2, 2): here the background.
    p.draws.clear();
    ComposeFace(face, bg, look, ksDisabled, &glyph, p, &face);
    EXPECT_EQ(p.draws.at(2).color, DisabledDark(face.Pixel(2, 2)));
    EXPECT_NE(p.draws.at(2).color, MakeColor(116, 116, 116));
    // A resize gives a fresh, unpainted buffer again.
    face.Resize(40, 20);
    EXPECT_FALSE(face.Painted());
}

TEST(ComposeFace, GlyphIsTransparentAndShiftsWhenPressed) {
    Dib24 glyph(12, 11, true);
    glyph.Fill(0xFF00FF);
    for (int x = 3; x <= 8; ++x) {
        glyph.SetPixel(x, 8, 0xFFFFFF);
        glyph.SetPixel(x, 9, 0xFFFFFF);
    }
    KButtonLook look;
    look.style = zsFlat;
    look.faceColor = 0x984E00;
    Dib24 bg(16, 16);
    Dib24 face(16, 16);
    BoxPainter p;
    ComposeFace(face, bg, look, ksNormal, &glyph, p);
    // gx = 8 - 6 = 2, gy = 8 - 5 = 3
    int white = 0, magenta = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            white += face.Pixel(x, y) == 0xFFFFFF;
            magenta += face.Pixel(x, y) == 0xFF00FF;
        }
    EXPECT_EQ(white, 12);
    EXPECT_EQ(magenta, 0);
    EXPECT_EQ(face.Pixel(2 + 3, 3 + 8), 0xFFFFFF);
    EXPECT_EQ(face.Pixel(2 + 8, 3 + 9), 0xFFFFFF);
    EXPECT_EQ(face.Pixel(2 + 9, 3 + 9), 0x984E00);

    ComposeFace(face, bg, look, ksPressed, &glyph, p);
    EXPECT_EQ(face.Pixel(3 + 3, 4 + 8), 0xFFFFFF);
    EXPECT_EQ(face.Pixel(3 + 8, 4 + 9), 0xFFFFFF);
    EXPECT_NE(face.Pixel(2 + 3, 3 + 9), 0xFFFFFF);
}
