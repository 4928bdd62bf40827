// The 96-DPI geometry taken to the four usual scales: the rounding, the line and picture
// factor, the pixel routines at that factor and the layouts that use them.
#include <gtest/gtest.h>

#include "controls/kbutton_face.h"
#include "core/kdpi.h"
#include "core/kdraw.h"
#include "ui/layout.h"
#include "ui/options.h"

using kdraw::Dib24;
using kdraw::KColor;
using kdraw::MakeColor;

TEST(Dpi, FourScales) {
    const struct {
        int dpi, seven, font13, factor, points10, panel345;
    } rows[] = {
        {96, 7, -13, 1, 13, 345},
        {120, 9, -16, 1, 17, 431},   // 8.75, -16.25, 1.25, 16.67, 431.25
        {144, 11, -20, 2, 20, 518},  // halves away from zero: 10.5, -19.5, 1.5, 517.5
        {192, 14, -26, 2, 27, 690},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.dpi);
        const int f = r.factor;
        const auto px = [&r](int length) { return kdpi::Scale(length, r.dpi); };
        EXPECT_EQ(px(7), r.seven);
        EXPECT_EQ(px(-7), -r.seven);
        EXPECT_EQ(px(-13), r.font13);
        EXPECT_EQ(kdpi::PixelFactor(r.dpi), f);
        EXPECT_EQ(kdpi::PointsToPixels(10, r.dpi), r.points10);
        EXPECT_EQ(px(kPanelMinHeight), r.panel345);

        // A raised bevel: bands of f pixels, light and none inside top-left, mid then dark bottom-right.
        Dib24 face(12, 10);
        face.Fill(0xE8E8E8);
        kdraw::DrawBevel(face, 0, 0, 1, f);
        EXPECT_EQ(face.Pixel(f - 1, 5), 0xF9F9F9);
        EXPECT_EQ(face.Pixel(f, 5), 0xE8E8E8);
        EXPECT_EQ(face.Pixel(12 - f, 5), 0x3A3A3A);
        EXPECT_EQ(face.Pixel(11 - f, 5), 0x919191);
        EXPECT_EQ(face.Pixel(11 - 2 * f, 5), 0xE8E8E8);
        kdraw::DrawFormFrame(face, 12, 10, 0x984E00, f);
        EXPECT_EQ(face.Pixel(f - 1, 5), MakeColor(159, 188, 216));
        EXPECT_EQ(face.Pixel(f, 5), 0x984E00);
        EXPECT_EQ(face.Pixel(12 - f, 5), 0x391D00);
        // A glyph's pixels become f x f blocks.
        Dib24 glyph(2, 1);
        glyph.SetPixel(1, 0, 0xFFFFFF);
        const Dib24 big = kdraw::Enlarge(glyph, f);
        EXPECT_EQ(big.Width() * 10 + big.Height(), 20 * f + f);
        EXPECT_EQ(big.Pixel(f, f - 1), 0xFFFFFF);
        EXPECT_EQ(big.Pixel(f - 1, f - 1), 0);

        // A left-aligned caption keeps its margins at the scale.
        struct Fixed : KTextPainter {
            KTextSize Measure(std::u16string_view t) override { return {static_cast<int>(t.size()) * 6, 10}; }
            void Draw(Dib24&, int, int, std::u16string_view, KColor) override {}
        } painter;
        KButtonLook look;
        look.alignment = taLeftJustify;
        look.caption = u"ab";
        look.dpi = r.dpi;
        const KCaptionLayout cap = LayoutCaption(look, px(60), px(22), 0, 0, painter);
        EXPECT_EQ(cap.gx * 100 + cap.tx, px(4) * 100 + px(4) + px(2));

        // The main window: the 96-DPI places scaled, its size 1.5 times within the rounding.
        const KMainLayout l = ComputeMainLayout(FieldButtonWidth(px(24), px(20), r.dpi), px(21), 5, 165, 72, r.dpi);
        EXPECT_EQ(l.titleButtons[2], (KRect{l.formWidth - px(20), px(3), px(16), px(16)}));
        EXPECT_EQ(l.groupButtons[0].top, px(22));
        EXPECT_EQ(l.list.height * 1000 + l.memo.height, px(165) * 1000 + px(72));
        EXPECT_NEAR(l.formWidth, px(210), 3);
        EXPECT_NEAR(l.formHeight, px(384), 3);

        // The options panel: its least size scaled, and wider where a caption needs room.
        KOptionColumns c = OptionColumns(r.dpi, px(60), px(100), 0);
        EXPECT_EQ(c.boxLeft * 1000 + c.minWidth, px(90) * 1000 + px(214));
        c = OptionColumns(r.dpi, px(96), px(145), 0);
        EXPECT_EQ(c.boxLeft, px(16) + px(96) + px(4));
        EXPECT_EQ(c.minWidth, c.boxLeft + px(145) + px(11));
        const KPanelPlacement p = PlaceOpenPanel(px(47), px(200), px(100), px(300), c);
        EXPECT_EQ(p.formWidth, c.minWidth + 2 * px(4));
        EXPECT_EQ(p.formHeight, px(47) + px(345) + px(4));
    }
}
