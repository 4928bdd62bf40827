// GDI helpers: owning handles, a DIB section that exposes its rows as a kdraw::Dib24, fonts
// in points, text measurement and transparent bitmaps.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

#include "core/kdraw.h"

namespace kgdi {

// One owning GDI object handle (HFONT, HBITMAP, HBRUSH, ...), deleted with DeleteObject.
template <class H>
class GdiHandle {
public:
    GdiHandle() = default;
    explicit GdiHandle(H h) : h_(h) {}
    GdiHandle(const GdiHandle&) = delete;
    GdiHandle& operator=(const GdiHandle&) = delete;
    GdiHandle(GdiHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    GdiHandle& operator=(GdiHandle&& o) noexcept {
        if (this != &o) Reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    ~GdiHandle() { Reset(); }
    void Reset(H h = nullptr) {
        if (h_) DeleteObject(h_);
        h_ = h;
    }
    H Release() { return std::exchange(h_, nullptr); }
    H Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    H h_ = nullptr;
};
using Font = GdiHandle<HFONT>;
using Bitmap = GdiHandle<HBITMAP>;
using Brush = GdiHandle<HBRUSH>;

// A memory DC compatible with the screen, deleted with DeleteDC.
class MemoryDC {
public:
    MemoryDC() : dc_(CreateCompatibleDC(nullptr)) {}
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC() {
        if (dc_) DeleteDC(dc_);
    }
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// Selects an object into a DC for the lifetime of this guard.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (old_) SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A 24-bit DIB section selected into its own memory DC. GDI draws on Dc(); Pixels() gives
// the rows to the portable routines. Call Flush() between GDI drawing and row access.
class DibSection {
public:
    DibSection() = default;
    DibSection(int width, int height) { Resize(width, height); }
    DibSection(const DibSection&) = delete;
    DibSection& operator=(const DibSection&) = delete;
    ~DibSection();

    // Keeps the old picture where it overlaps; new parts are black. Throws on failure.
    void Resize(int width, int height);
    int Width() const { return pixels_.Width(); }
    int Height() const { return pixels_.Height(); }
    HDC Dc() const { return dc_.Get(); }
    HBITMAP Handle() const { return bitmap_.Get(); }
    kdraw::Dib24& Pixels() { return pixels_; }
    const kdraw::Dib24& Pixels() const { return pixels_; }
    void Flush() const { GdiFlush(); }

private:
    MemoryDC dc_;
    Bitmap bitmap_;
    HGDIOBJ oldBitmap_ = nullptr;
    kdraw::Dib24 pixels_;
};

// Font of `face` at `points` on the screen's DPI (negative height: character height).
Font CreatePointFont(const std::u16string& face, int points, int weight = FW_NORMAL);
// Font of `face` with the LOGFONT height `height` (negative: character height in pixels).
Font CreateFontOfHeight(const std::u16string& face, int height, int weight = FW_NORMAL);
// The same for a window at `dpi` (framework/dpi.h): with per-monitor awareness the screen's
// DPI is not the window's. `height96` is the LOGFONT height at 96 DPI.
Font PointFontAt(const std::u16string& face, int points, int dpi, int weight = FW_NORMAL);
Font FontOfHeightAt(const std::u16string& face, int height96, int dpi, int weight = FW_NORMAL);
int PointsToPixels(int points);
SIZE MeasureText(HDC dc, HFONT font, std::u16string_view text);
SIZE MeasureText(HFONT font, std::u16string_view text);  // on a screen-compatible DC

// Reads any bitmap into a top-down 24-bit buffer; false when the handle is unusable.
bool BitmapToDib(HBITMAP bitmap, kdraw::Dib24& out);
// Bitmap resource by number from `instance`, as a 24-bit buffer; false when missing.
bool LoadBitmapResource(HINSTANCE instance, int id, kdraw::Dib24& out);
// Draws `bitmap` at (x, y) leaving out its lower-left pixel's colour (through a mask).
// The bitmap must not be selected into another DC.
void DrawTransparentBitmap(HDC dc, int x, int y, HBITMAP bitmap);

// A window's form frame over (0, 0, width, height) of `dc` in `color`, composed off-screen;
// its one-pixel border is as wide as a pixel at `dpi` (kdpi::PixelFactor).
void PaintFormFrame(HDC dc, int width, int height, kdraw::KColor color, int dpi = 96);

// Makes system colour values resolve through GetSysColor in the portable routines.
void InstallSysColorResolver();

}  // namespace kgdi
