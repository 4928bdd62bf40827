// Pixel routines for the owner-drawn button faces and the window frames. They work on a
// 24-bit row buffer laid out like a Windows DIB, so the same code paints off-screen in
// tests and on a DIB section on screen.
#pragma once
#include <cstdint>
#include <vector>

namespace kdraw {

// $00BBGGRR, red in the low byte. Values with the high bit set are system colours.
using KColor = std::int32_t;

struct KRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Three bytes a pixel (blue, green, red), rows padded to 4 bytes, bottom-up unless told.
class Dib24 {
public:
    Dib24() = default;
    Dib24(int width, int height, bool bottomUp = true) { Resize(width, height, bottomUp); }
    Dib24(const Dib24& other);
    Dib24& operator=(const Dib24& other);
    Dib24(Dib24&& other) noexcept;
    Dib24& operator=(Dib24&& other) noexcept;

    // Owned storage, zero-filled (black). Negative sizes count as 0.
    void Resize(int width, int height, bool bottomUp = true);
    // Uses memory owned by someone else (a DIB section); nothing is copied or freed.
    void Attach(std::uint8_t* bits, int width, int height, bool bottomUp);

    static int StrideFor(int width) { return (width * 3 + 3) & ~3; }

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool BottomUp() const { return bottomUp_; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    // Whether the buffer holds a composed picture. Resize and Attach give a buffer that was
    // never painted (zero-filled or foreign memory), so they clear it; copies carry it.
    bool Painted() const { return painted_; }
    void MarkPainted(bool painted = true) { painted_ = painted; }

    // Row y counted from the top, whatever the memory order.
    std::uint8_t* Row(int y);
    const std::uint8_t* Row(int y) const;

    KColor Pixel(int x, int y) const;            // 0 outside the buffer
    void SetPixel(int x, int y, KColor color);  // ignored outside the buffer

    // Canvas-like operations, clipped to the buffer. Rects are half-open like Win32's.
    void FillRect(KRect r, KColor color);
    // A frame `line` pixels wide inside r.
    void FrameRect(KRect r, KColor color, int line = 1);
    void Fill(KColor color) { FillRect({0, 0, width_, height_}, color); }
    // Copies src's rectangle to (dx, dy); parts outside either buffer are skipped.
    void CopyFrom(const Dib24& src, KRect srcRect, int dx, int dy);

private:
    std::vector<std::uint8_t> own_;
    std::uint8_t* bits_ = nullptr;
    int width_ = 0, height_ = 0, stride_ = 0;
    bool bottomUp_ = true;
    bool painted_ = false;
};

inline int RedOf(KColor c) { return c & 0xFF; }
inline int GreenOf(KColor c) { return (c >> 8) & 0xFF; }
inline int BlueOf(KColor c) { return (c >> 16) & 0xFF; }
inline KColor MakeColor(int r, int g, int b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }

// System colours ($80000000 | index) are turned into RGB by this hook; the Windows side
// installs GetSysColor. Without a hook only the low three bytes are kept.
using SysColorResolver = std::int32_t (*)(int index);
void SetSysColorResolver(SysColorResolver resolver);
KColor ColorToRGB(KColor color);

// Contrast ordinal (kcClear .. kcSoft3) to the level used for frames: 0, 64, 96, 128, 192.
int ContrastLevel(int contrast);

// Each channel c := c * f >> 8 (factors clamped so a channel stays 0..255).
KColor ScaleColor(KColor color, int blueFactor, int greenFactor, int redFactor);
// The pressed/entered tint of a frame-style face; amount 1 or 2.
KColor LightenColor(KColor color, int amount);
// Embossed caption colours of a disabled button; the high byte is kept.
KColor DisabledLight(KColor reference);
KColor DisabledDark(KColor reference);

void FillFace(Dib24& face, int transparent, KColor color, const Dib24& background);
// sunken 0/1; mode 0 two-pixel bevel, 1 one-pixel edge, 2 dark frame; contrast 0..4.
// `line` pixels stand for each pixel of those edges (kdpi::PixelFactor at a scale).
void DrawBevel(Dib24& bmp, int sunken, int mode, int contrast, int line = 1);
void DrawFrame(Dib24& bmp, KColor color, int line = 1);
// A window's raised one-pixel border with the colour inside, over (0, 0, width, height).
void DrawFormFrame(Dib24& canvas, int width, int height, KColor color, int line = 1);
void MultiplyChannels(Dib24& bmp, int redFactor, int greenFactor, int blueFactor);
void LightenBitmap(Dib24& bmp, int amount);
// bg takes width x height; cut from `under` at (left, top) when given, else parentColor.
void CaptureBackground(Dib24& bg, int width, int height, const Dib24* under, int left, int top,
                       KColor parentColor);
// `picture` with every pixel made a factor x factor block: a small picture at a scale,
// still sharp. A factor below 2 gives a plain copy.
Dib24 Enlarge(const Dib24& picture, int factor);
// Draws glyph at (x, y) leaving out every pixel of its lower-left pixel's colour.
void DrawTransparent(Dib24& dst, const Dib24& glyph, int x, int y);

}  // namespace kdraw
