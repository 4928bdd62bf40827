#include "core/kdraw.h"

#include <algorithm>
#include <cstring>

namespace kdraw {

namespace {

SysColorResolver g_resolver = nullptr;

inline int Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }
// Factors out of 256; outside 0..256 a channel would leave its byte.
inline int ClampFactor(int f) { return f < 0 ? 0 : (f > 256 ? 256 : f); }

inline std::uint8_t Lighten(int c, int s) { return static_cast<std::uint8_t>(Clamp255(c + (((255 - c) * s) >> 8))); }
inline std::uint8_t Scale(int c, int f) { return static_cast<std::uint8_t>(Clamp255((c * f) >> 8)); }

struct BevelLevels {
    int light, dark, mid;
};
constexpr BevelLevels kBevel[5] = {{255, 0, 128}, {192, 64, 160}, {160, 96, 192}, {128, 128, 208}, {96, 192, 216}};

}  // namespace

// ---- Dib24 ----

Dib24::Dib24(const Dib24& other) { *this = other; }

Dib24& Dib24::operator=(const Dib24& other) {
    if (this == &other) return *this;
    Resize(other.width_, other.height_, other.bottomUp_);
    for (int y = 0; y < height_; ++y) std::memcpy(Row(y), other.Row(y), static_cast<size_t>(width_) * 3);
    painted_ = other.painted_;
    return *this;
}

Dib24::Dib24(Dib24&& other) noexcept { *this = std::move(other); }

Dib24& Dib24::operator=(Dib24&& other) noexcept {
    if (this == &other) return *this;
    const bool owned = other.bits_ != nullptr && other.bits_ == other.own_.data();
    own_ = std::move(other.own_);
    bits_ = owned ? own_.data() : other.bits_;
    width_ = other.width_;
    height_ = other.height_;
    stride_ = other.stride_;
    bottomUp_ = other.bottomUp_;
    painted_ = other.painted_;
    other.bits_ = nullptr;
    other.width_ = other.height_ = other.stride_ = 0;
    other.painted_ = false;
    return *this;
}

void Dib24::Resize(int width, int height, bool bottomUp) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    if (width_ == 0 || height_ == 0) width_ = height_ = 0;
    stride_ = StrideFor(width_);
    bottomUp_ = bottomUp;
    painted_ = false;
    own_.assign(static_cast<size_t>(stride_) * height_, 0);
    bits_ = own_.empty() ? nullptr : own_.data();
}

void Dib24::Attach(std::uint8_t* bits, int width, int height, bool bottomUp) {
    own_.clear();
    own_.shrink_to_fit();
    painted_ = false;
    if (!bits || width <= 0 || height <= 0) {
        bits_ = nullptr;
        width_ = height_ = stride_ = 0;
        return;
    }
    bits_ = bits;
    width_ = width;
    height_ = height;
    stride_ = StrideFor(width);
    bottomUp_ = bottomUp;
}

std::uint8_t* Dib24::Row(int y) {
    return bits_ + static_cast<size_t>(stride_) * (bottomUp_ ? height_ - 1 - y : y);
}

const std::uint8_t* Dib24::Row(int y) const {
    return bits_ + static_cast<size_t>(stride_) * (bottomUp_ ? height_ - 1 - y : y);
}

KColor Dib24::Pixel(int x, int y) const {
    if (!Contains(x, y)) return 0;
    const std::uint8_t* p = Row(y) + x * 3;
    return MakeColor(p[2], p[1], p[0]);
}

void Dib24::SetPixel(int x, int y, KColor color) {
    if (!Contains(x, y)) return;
    std::uint8_t* p = Row(y) + x * 3;
    p[0] = static_cast<std::uint8_t>(BlueOf(color));
    p[1] = static_cast<std::uint8_t>(GreenOf(color));
    p[2] = static_cast<std::uint8_t>(RedOf(color));
}

void Dib24::FillRect(KRect r, KColor color) {
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, width_);
    r.bottom = std::min(r.bottom, height_);
    if (r.left >= r.right || r.top >= r.bottom) return;
    const auto b = static_cast<std::uint8_t>(BlueOf(color));
    const auto g = static_cast<std::uint8_t>(GreenOf(color));
    const auto rd = static_cast<std::uint8_t>(RedOf(color));
    for (int y = r.top; y < r.bottom; ++y) {
        std::uint8_t* p = Row(y) + r.left * 3;
        for (int x = r.left; x < r.right; ++x, p += 3) {
            p[0] = b;
            p[1] = g;
            p[2] = rd;
        }
    }
}

void Dib24::FrameRect(KRect r, KColor color, int line) {
    if (r.left >= r.right || r.top >= r.bottom) return;
    if (line < 1) line = 1;
    FillRect({r.left, r.top, r.right, r.top + line}, color);
    FillRect({r.left, r.bottom - line, r.right, r.bottom}, color);
    FillRect({r.left, r.top, r.left + line, r.bottom}, color);
    FillRect({r.right - line, r.top, r.right, r.bottom}, color);
}

void Dib24::CopyFrom(const Dib24& src, KRect s, int dx, int dy) {
    // Clip against the source, then the destination, moving both origins together.
    if (s.left < 0) { dx -= s.left; s.left = 0; }
    if (s.top < 0) { dy -= s.top; s.top = 0; }
    s.right = std::min(s.right, src.width_);
    s.bottom = std::min(s.bottom, src.height_);
    if (dx < 0) { s.left -= dx; dx = 0; }
    if (dy < 0) { s.top -= dy; dy = 0; }
    s.right = std::min(s.right, s.left + (width_ - dx));
    s.bottom = std::min(s.bottom, s.top + (height_ - dy));
    if (s.left >= s.right || s.top >= s.bottom) return;
    const size_t n = static_cast<size_t>(s.right - s.left) * 3;
    for (int y = s.top; y < s.bottom; ++y)
        std::memmove(Row(dy + y - s.top) + dx * 3, src.Row(y) + s.left * 3, n);
}

// ---- colours ----

void SetSysColorResolver(SysColorResolver resolver) { g_resolver = resolver; }

KColor ColorToRGB(KColor color) {
    if (color < 0) {  // high bit: a system colour index in the low byte
        if (g_resolver) return g_resolver(color & 0xFF) & 0xFFFFFF;
        return color & 0xFFFFFF;
    }
    return color & 0xFFFFFF;
}

int ContrastLevel(int contrast) {
    static constexpr int kLevels[5] = {0, 64, 96, 128, 192};
    return kLevels[std::clamp(contrast, 0, 4)];
}

KColor ScaleColor(KColor color, int blueFactor, int greenFactor, int redFactor) {
    const KColor c = ColorToRGB(color);
    return MakeColor(Scale(RedOf(c), ClampFactor(redFactor)), Scale(GreenOf(c), ClampFactor(greenFactor)),
                     Scale(BlueOf(c), ClampFactor(blueFactor)));
}

KColor LightenColor(KColor color, int amount) {
    const KColor c = ColorToRGB(color);
    int ch[3] = {RedOf(c), GreenOf(c), BlueOf(c)};
    const int m = std::min({ch[0], ch[1], ch[2]});
    if (m <= 128) {
        const int s = amount == 2 ? 128 : 64;
        for (int& v : ch) v = Lighten(v, s);
    } else {
        // Already light: tint the weakest channel instead of turning white.
        const int f = amount == 2 ? 192 : 232;
        for (int& v : ch) v = (v * (v == m ? f : 255)) >> 8;
    }
    return MakeColor(ch[0], ch[1], ch[2]);
}

KColor DisabledLight(KColor r) {
    return (r & static_cast<KColor>(0xFF000000)) |
           MakeColor(Lighten(RedOf(r), 128), Lighten(GreenOf(r), 128), Lighten(BlueOf(r), 128));
}

KColor DisabledDark(KColor r) {
    return (r & static_cast<KColor>(0xFF000000)) |
           MakeColor(Scale(RedOf(r), 128), Scale(GreenOf(r), 128), Scale(BlueOf(r), 128));
}

// ---- bitmap routines ----

void FillFace(Dib24& face, int transparent, KColor color, const Dib24& background) {
    if (transparent != 0) {
        face.Fill(0);
        face.CopyFrom(background, {0, 0, background.Width(), background.Height()}, 0, 0);
    } else {
        face.Fill(ColorToRGB(color));
    }
}

void DrawBevel(Dib24& bmp, int sunken, int mode, int contrast, int line) {
    const BevelLevels lv = kBevel[std::clamp(contrast, 0, 4)];
    const int w = bmp.Width(), h = bmp.Height();
    const int t = std::max(line, 1);
    enum Op { kKeep, kLight, kDark, kMid };
    const Op outerRB = (sunken == 0 || mode == 2) ? kDark : kLight;
    const Op outerLT = (sunken == 0 && mode != 2) ? kLight : kDark;
    const Op innerRB = (sunken == 0 && mode == 0) ? kMid : kKeep;
    const Op innerLT = (sunken == 1 && mode == 0) ? kMid : kKeep;
    for (int y = 0; y < h; ++y) {
        std::uint8_t* p = bmp.Row(y);
        for (int x = 0; x < w; ++x, p += 3) {
            // Bands of t pixels, counted from each edge; the right and bottom ones own the corners.
            const int right = w - 1 - x, bottom = h - 1 - y;
            Op op;
            if (right < t || bottom < t) op = outerRB;
            else if (x < t || y < t) op = outerLT;
            else if (right < 2 * t || bottom < 2 * t) op = innerRB;
            else if (x < 2 * t || y < 2 * t) op = innerLT;
            else continue;
            for (int i = 0; i < 3; ++i) {
                switch (op) {
                    case kLight: p[i] = Lighten(p[i], lv.light); break;
                    case kDark: p[i] = Scale(p[i], lv.dark); break;
                    case kMid: p[i] = Scale(p[i], lv.mid); break;
                    case kKeep: break;
                }
            }
        }
    }
}

void DrawFrame(Dib24& bmp, KColor color, int line) {
    bmp.FrameRect({0, 0, bmp.Width(), bmp.Height()}, ColorToRGB(color), line);
}

void DrawFormFrame(Dib24& canvas, int width, int height, KColor color, int line) {
    const KColor rgb = ColorToRGB(color);
    const int t = std::max(line, 1);
    canvas.FrameRect({0, 0, width, height}, ScaleColor(rgb, 96, 96, 96), t);
    canvas.FrameRect({0, 0, width - t, height - t},
                     MakeColor(Lighten(RedOf(rgb), 160), Lighten(GreenOf(rgb), 160), Lighten(BlueOf(rgb), 160)), t);
    canvas.FillRect({t, t, width - t, height - t}, rgb);
}

void MultiplyChannels(Dib24& bmp, int redFactor, int greenFactor, int blueFactor) {
    const int fr = ClampFactor(redFactor), fg = ClampFactor(greenFactor), fb = ClampFactor(blueFactor);
    for (int y = 0; y < bmp.Height(); ++y) {
        std::uint8_t* p = bmp.Row(y);
        for (int x = 0; x < bmp.Width(); ++x, p += 3) {
            p[0] = Scale(p[0], fb);
            p[1] = Scale(p[1], fg);
            p[2] = Scale(p[2], fr);
        }
    }
}

void LightenBitmap(Dib24& bmp, int amount) {
    const int s = ClampFactor(amount);
    for (int y = 0; y < bmp.Height(); ++y) {
        std::uint8_t* p = bmp.Row(y);
        for (int i = 0; i < bmp.Width() * 3; ++i) p[i] = Lighten(p[i], s);
    }
}

void CaptureBackground(Dib24& bg, int width, int height, const Dib24* under, int left, int top, KColor parentColor) {
    if (bg.Width() != width || bg.Height() != height) bg.Resize(width, height, bg.BottomUp());
    if (under && !under->Empty()) {
        // Parts of the button outside the picture keep the parent's colour.
        bg.Fill(ColorToRGB(parentColor));
        bg.CopyFrom(*under, {left, top, left + width, top + height}, 0, 0);
    } else {
        bg.Fill(ColorToRGB(parentColor));
    }
}

Dib24 Enlarge(const Dib24& picture, int factor) {
    if (factor < 2 || picture.Empty()) return picture;
    Dib24 big(picture.Width() * factor, picture.Height() * factor, picture.BottomUp());
    for (int y = 0; y < big.Height(); ++y) {
        const std::uint8_t* src = picture.Row(y / factor);
        std::uint8_t* dst = big.Row(y);
        for (int x = 0; x < big.Width(); ++x) std::memcpy(dst + x * 3, src + (x / factor) * 3, 3);
    }
    big.MarkPainted(picture.Painted());
    return big;
}

void DrawTransparent(Dib24& dst, const Dib24& glyph, int x, int y) {
    if (glyph.Empty()) return;
    const KColor key = glyph.Pixel(0, glyph.Height() - 1);
    for (int gy = 0; gy < glyph.Height(); ++gy) {
        for (int gx = 0; gx < glyph.Width(); ++gx) {
            const KColor c = glyph.Pixel(gx, gy);
            if (c != key) dst.SetPixel(x + gx, y + gy, c);
        }
    }
}

}  // namespace kdraw
