#include "framework/gdi.h"

#include <cstring>
#include <new>
#include <vector>

#include "core/kdpi.h"
#include "framework/dpi.h"
#include "framework/kstr.h"

namespace kgdi {

DibSection::~DibSection() {
    if (oldBitmap_) SelectObject(dc_.Get(), oldBitmap_);
}

void DibSection::Resize(int width, int height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (width == Width() && height == Height() && (bitmap_ || width == 0 || height == 0)) return;
    if (!dc_.Get()) throw std::bad_alloc();
    if (width == 0 || height == 0) {
        if (oldBitmap_) SelectObject(dc_.Get(), oldBitmap_);
        oldBitmap_ = nullptr;
        bitmap_.Reset();
        pixels_.Attach(nullptr, 0, 0, true);
        return;
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;  // bottom-up, as kdraw expects by default
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap fresh(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!fresh || !bits) throw std::bad_alloc();
    kdraw::Dib24 view;
    view.Attach(static_cast<std::uint8_t*>(bits), width, height, true);
    GdiFlush();
    // Keep the top-left part, like a canvas bitmap that changes size.
    if (!pixels_.Empty()) {
        view.CopyFrom(pixels_, {0, 0, pixels_.Width(), pixels_.Height()}, 0, 0);
        // The top-left part is still the earlier picture, where a face reads its colour.
        view.MarkPainted(pixels_.Painted());
    }
    HGDIOBJ prev = SelectObject(dc_.Get(), fresh.Get());
    if (!oldBitmap_) oldBitmap_ = prev;
    bitmap_ = std::move(fresh);
    pixels_ = std::move(view);
}

int PointsToPixels(int points) { return MulDiv(points, kf::SystemDpi(), 72); }

Font CreatePointFont(const std::u16string& face, int points, int weight) {
    return CreateFontOfHeight(face, -PointsToPixels(points), weight);
}

Font PointFontAt(const std::u16string& face, int points, int dpi, int weight) {
    return CreateFontOfHeight(face, -kdpi::PointsToPixels(points, dpi), weight);
}

Font FontOfHeightAt(const std::u16string& face, int height96, int dpi, int weight) {
    return CreateFontOfHeight(face, kdpi::Scale(height96, dpi), weight);
}

Font CreateFontOfHeight(const std::u16string& face, int height, int weight) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const size_t n = face.size() < LF_FACESIZE - 1 ? face.size() : LF_FACESIZE - 1;
    std::memcpy(lf.lfFaceName, face.data(), n * sizeof(wchar_t));
    lf.lfFaceName[n] = 0;
    return Font(CreateFontIndirectW(&lf));
}

SIZE MeasureText(HDC dc, HFONT font, std::u16string_view text) {
    SIZE size{0, 0};
    SelectGuard sel(dc, font);
    if (text.empty()) {
        // Height of the font even for an empty text, like a canvas's TextHeight.
        TEXTMETRICW tm{};
        if (GetTextMetricsW(dc, &tm)) size.cy = tm.tmHeight;
        return size;
    }
    GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()), &size);
    return size;
}

SIZE MeasureText(HFONT font, std::u16string_view text) {
    MemoryDC dc;
    return MeasureText(dc.Get(), font, text);
}

bool BitmapToDib(HBITMAP bitmap, kdraw::Dib24& out) {
    BITMAP bm{};
    if (!bitmap || !GetObjectW(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight == 0) return false;
    const int w = bm.bmWidth, h = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    kdraw::Dib24 dib(w, h, false);
    MemoryDC dc;
    if (GetDIBits(dc.Get(), bitmap, 0, h, dib.Row(0), &bi, DIB_RGB_COLORS) != h) return false;
    out = std::move(dib);
    return true;
}

bool LoadBitmapResource(HINSTANCE instance, int id, kdraw::Dib24& out) {
    Bitmap bmp(static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    return bmp && BitmapToDib(bmp.Get(), out);
}

void DrawTransparentBitmap(HDC dc, int x, int y, HBITMAP bitmap) {
    BITMAP bm{};
    if (!bitmap || !GetObjectW(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight == 0) return;
    const int w = bm.bmWidth, h = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    MemoryDC src, maskDc;
    SelectGuard selSrc(src.Get(), bitmap);
    const COLORREF key = GetPixel(src.Get(), 0, h - 1);
    Bitmap mask(CreateBitmap(w, h, 1, 1, nullptr));
    if (!mask) return;
    SelectGuard selMask(maskDc.Get(), mask.Get());
    // Mono mask: 1 where the key colour is.
    SetBkColor(src.Get(), key);
    BitBlt(maskDc.Get(), 0, 0, w, h, src.Get(), 0, 0, SRCCOPY);
    // dst = (dst AND mask) OR (src AND NOT mask), done with a temporary copy of the source.
    MemoryDC tmpDc;
    Bitmap tmp(CreateCompatibleBitmap(dc, w, h));
    if (!tmp) return;
    SelectGuard selTmp(tmpDc.Get(), tmp.Get());
    BitBlt(tmpDc.Get(), 0, 0, w, h, src.Get(), 0, 0, SRCCOPY);
    SetBkColor(tmpDc.Get(), RGB(255, 255, 255));
    SetTextColor(tmpDc.Get(), RGB(0, 0, 0));
    BitBlt(tmpDc.Get(), 0, 0, w, h, maskDc.Get(), 0, 0, 0x00220326);  // DSna: source off where masked
    const COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    BitBlt(dc, x, y, w, h, maskDc.Get(), 0, 0, SRCAND);
    BitBlt(dc, x, y, w, h, tmpDc.Get(), 0, 0, SRCPAINT);
    SetBkColor(dc, oldBk);
    SetTextColor(dc, oldText);
}

void PaintFormFrame(HDC dc, int width, int height, kdraw::KColor color, int dpi) {
    if (width <= 0 || height <= 0) return;
    DibSection dib(width, height);
    kdraw::DrawFormFrame(dib.Pixels(), width, height, color, kdpi::PixelFactor(dpi));
    BitBlt(dc, 0, 0, width, height, dib.Dc(), 0, 0, SRCCOPY);
}

namespace {
std::int32_t SysColor(int index) { return static_cast<std::int32_t>(GetSysColor(index)); }
}  // namespace

void InstallSysColorResolver() { kdraw::SetSysColorResolver(&SysColor); }

}  // namespace kgdi
