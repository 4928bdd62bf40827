#include "controls/kbutton_face.h"

#include "core/kdpi.h"

using kdraw::Dib24;
using kdraw::KColor;

namespace {

constexpr int kMaxCaption = 255;

inline bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

void Caption(Dib24& face, const KButtonLook& look, const Dib24* glyph, KTextPainter& painter, int offset,
             KColor color) {
    const int gw = glyph ? glyph->Width() : 0;
    const int gh = glyph ? glyph->Height() : 0;
    const KCaptionLayout l = LayoutCaption(look, face.Width(), face.Height(), gw, gh, painter);
    if (gw > 0) kdraw::DrawTransparent(face, *glyph, l.gx + offset, l.gy + offset);
    if (l.count > 0)
        painter.Draw(face, l.tx + offset, l.ty + offset, std::u16string_view(look.caption).substr(0, l.count),
                     color);
}

int Line(const KButtonLook& look) { return kdpi::PixelFactor(look.dpi); }

void Bevel(Dib24& face, int sunken, int mode, const KButtonLook& look) {
    kdraw::DrawBevel(face, sunken, mode, look.contrast, Line(look));
}

void Frame(Dib24& face, const KButtonLook& look) {
    const int k = kdraw::ContrastLevel(look.contrast);
    kdraw::DrawFrame(face, kdraw::ScaleColor(look.faceColor, k, k, k), Line(look));
}

void NormalFace(Dib24& face, const Dib24& bg, const KButtonLook& look, const Dib24* glyph, KTextPainter& painter) {
    kdraw::FillFace(face, look.transparent, look.faceColor, bg);
    switch (look.style) {
        case zsNormal: Bevel(face, 0, 0, look); break;
        case zsSingle: Bevel(face, 0, 1, look); break;
        case zsFrame: Frame(face, look); break;
        case zsFlat: break;
    }
    Caption(face, look, glyph, painter, 0, look.fontColor);
}

}  // namespace

int FittingCount(std::u16string_view caption, int available, KTextPainter& painter) {
    if (caption.empty()) return 0;
    int fitted = 0;
    size_t k = 0;
    while (k < caption.size()) {
        size_t next = k + 1;
        if (IsHighSurrogate(caption[k]) && next < caption.size()) ++next;
        if (next > kMaxCaption) break;
        if (painter.Measure(caption.substr(0, next)).width > available) break;
        fitted = static_cast<int>(next);
        k = next;
    }
    return fitted;
}

KCaptionLayout LayoutCaption(const KButtonLook& look, int w, int h, int gw, int gh, KTextPainter& painter) {
    const auto px = [&look](int length) { return kdpi::Scale(length, look.dpi); };
    const int s = gw > 0 ? px(look.spacing) : 0;
    const int m = px(look.margin);
    const int four = px(4), two = px(2), one = Line(look);
    int available = 0;
    switch (look.alignment) {
        case taLeftJustify: available = w - (m + s + four); break;
        case taCenter: available = w - (gw + s + four); break;
        case taRightJustify: available = w - (gw + s + m + four); break;
    }
    KCaptionLayout l;
    l.count = FittingCount(look.caption, available, painter);
    KTextSize ts;
    if (l.count > 0) ts = painter.Measure(std::u16string_view(look.caption).substr(0, l.count));
    const int z = l.count == 0 ? gw : gw + s + ts.width;
    const int cx = w / 2, cy = h / 2;
    switch (look.alignment) {
        case taLeftJustify:
            l.gx = four;
            l.tx = m + two;
            break;
        case taCenter:
            l.gx = cx - z / 2;
            l.tx = l.gx + gw + s;
            break;
        case taRightJustify:
            l.gx = w - (z + m + two);
            l.tx = l.gx + gw + s;
            break;
    }
    l.gy = cy - gh / 2;
    l.ty = cy - (ts.height / 2 + one);
    return l;
}

void ComposeFace(Dib24& face, const Dib24& bg, const KButtonLook& look, int state, const Dib24* glyph,
                 KTextPainter& painter, const Dib24* previousFace) {
    if (face.Empty()) return;
    if (glyph && glyph->Empty()) glyph = nullptr;
    // The glyph at the scale, each of its pixels a whole block so that it stays sharp.
    const int line = Line(look);
    Dib24 enlarged;
    if (glyph && line > 1) {
        enlarged = kdraw::Enlarge(*glyph, line);
        glyph = &enlarged;
    }
    switch (state) {
        default:
        case ksNormal:
            NormalFace(face, bg, look, glyph, painter);
            break;
        case ksPressed:
            kdraw::FillFace(face, look.transparent, look.faceColor, bg);
            switch (look.style) {
                case zsNormal: Bevel(face, 1, 0, look); break;
                case zsSingle:
                case zsFlat: Bevel(face, 1, 1, look); break;
                case zsFrame:
                    kdraw::FillFace(face, look.transparent, kdraw::LightenColor(look.faceColor, 2), bg);
                    Frame(face, look);
                    break;
            }
            Caption(face, look, glyph, painter, look.style == zsFrame ? 0 : line, look.fontColor);
            break;
        case ksEntered: {
            const KColor t = look.enterTextColor == 0 ? look.fontColor : look.enterTextColor;
            switch (look.enter) {
                case zeNon:
                    NormalFace(face, bg, look, glyph, painter);
                    break;
                case zeNormal:
                case zeSingle:
                    kdraw::FillFace(face, look.transparent, look.faceColor, bg);
                    Bevel(face, 0, look.enter == zeNormal ? 0 : 1, look);
                    Caption(face, look, glyph, painter, 0, t);
                    break;
                case zeShade:
                    kdraw::FillFace(face, look.transparent, look.enterFaceColor, bg);
                    if (look.enterShade >= 0) kdraw::LightenBitmap(face, look.enterShade);
                    else {
                        const int f = look.enterShade + 255;
                        kdraw::MultiplyChannels(face, f, f, f);
                    }
                    switch (look.style) {
                        case zsNormal: Bevel(face, 0, 0, look); break;
                        case zsSingle: Bevel(face, 0, 1, look); break;
                        case zsFrame: Frame(face, look); break;
                        case zsFlat: break;
                    }
                    Caption(face, look, glyph, painter, 0, t);
                    break;
                case zeReverse:
                    kdraw::FillFace(face, look.transparent, look.fontColor, bg);
                    Caption(face, look, glyph, painter, 0, look.faceColor);
                    break;
                case zeFrame:
                    kdraw::FillFace(face, look.transparent, kdraw::LightenColor(look.faceColor, 1), bg);
                    Frame(face, look);
                    Caption(face, look, glyph, painter, 0, t);
                    break;
            }
            break;
        }
        case ksDisabled: {
            KColor ref = kdraw::ColorToRGB(look.faceColor);
            // A transparent face has no colour of its own: take what the last paint left. A
            // buffer never painted (the first paint) is still black there and does not count.
            const int in = 2 * line;
            if (look.transparent == 1 && previousFace && previousFace->Painted() && previousFace->Contains(in, in))
                ref = previousFace->Pixel(in, in);
            NormalFace(face, bg, look, glyph, painter);
            Caption(face, look, glyph, painter, line, kdraw::DisabledLight(ref));
            Caption(face, look, glyph, painter, 0, kdraw::DisabledDark(ref));
            break;
        }
    }
    face.MarkPainted();
}
