// The face of an owner-drawn button, composed into a 24-bit buffer. Portable: the text
// comes through KTextPainter so the Windows side can draw it with GDI on a DIB section.
#pragma once
#include <string>
#include <string_view>

#include "core/kdraw.h"

enum TKButtonStyle { zsNormal, zsSingle, zsFlat, zsFrame };
enum TKButtonEnter { zeNon, zeNormal, zeSingle, zeShade, zeReverse, zeFrame };
enum TKButtonContrast { kcClear, kcNormal, kcSoft1, kcSoft2, kcSoft3 };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Visual states of a button.
enum KButtonState { ksNormal = 0, ksPressed = 1, ksEntered = 2, ksDisabled = 3 };

struct KTextSize {
    int width = 0, height = 0;
};

class KTextPainter {
public:
    virtual ~KTextPainter() = default;
    virtual KTextSize Measure(std::u16string_view text) = 0;
    virtual void Draw(kdraw::Dib24& face, int x, int y, std::u16string_view text, kdraw::KColor color) = 0;
};

// Everything of a button that shapes its face.
struct KButtonLook {
    TKButtonStyle style = zsNormal;
    TKButtonEnter enter = zeNon;
    TKButtonContrast contrast = kcNormal;
    TAlignment alignment = taCenter;
    int margin = 4;
    int spacing = 4;
    int transparent = 0;
    kdraw::KColor faceColor = 0xE8E8E8;
    kdraw::KColor enterTextColor = 0x000000;
    int enterShade = 192;
    kdraw::KColor enterFaceColor = 0x984E00;
    kdraw::KColor fontColor = 0x000000;
    std::u16string caption;
    // The DPI the face is shown at: margins, spacing, bevels, frames, the glyph and the press
    // shift are 96-DPI pixels taken to it.
    int dpi = 96;
};

// How many leading characters of `caption` fit into `available` pixels (at most 255; a
// surrogate pair is never split).
int FittingCount(std::u16string_view caption, int available, KTextPainter& painter);

struct KCaptionLayout {
    int count = 0;     // characters drawn
    int gx = 0, gy = 0;  // glyph
    int tx = 0, ty = 0;  // text
};
KCaptionLayout LayoutCaption(const KButtonLook& look, int width, int height, int glyphWidth, int glyphHeight,
                             KTextPainter& painter);

// Composes the face for `state`. `face` must already have the button's size; for the
// disabled state of a transparent button its previous content gives the caption colours
// (`previousFace`, may be `face` itself; when null, too small or never painted, the face
// colour is used). Marks `face` painted.
void ComposeFace(kdraw::Dib24& face, const kdraw::Dib24& background, const KButtonLook& look, int state,
                 const kdraw::Dib24* glyph, KTextPainter& painter, const kdraw::Dib24* previousFace = nullptr);
