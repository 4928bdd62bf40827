// Lengths laid out for 96 DPI, taken to the DPI a window is shown at. Portable: the Windows
// side asks the window's DPI (framework/dpi.h) and passes it in.
#pragma once

namespace kdpi {

constexpr int kBase = 96;

// number * numerator / denominator rounded to the nearest, halves away from zero, as the
// system's MulDiv rounds; -1 for a zero denominator, like MulDiv.
int MulDivRound(int number, int numerator, int denominator);

// A DPI the layouts can use: anything not above 0 counts as 96.
inline int Usable(int dpi) { return dpi > 0 ? dpi : kBase; }

// A 96-DPI length (a position, a size, a negative font height) at `dpi`.
inline int Scale(int length, int dpi) { return MulDivRound(length, Usable(dpi), kBase); }

// The character height in pixels of a font of `points` at `dpi`.
inline int PointsToPixels(int points, int dpi) { return MulDivRound(points, Usable(dpi), 72); }

// What one pixel of a line or of a small picture becomes: the nearest whole number of pixels,
// never less than one (1 at 96 and 120 DPI, 2 at 144 and 192), so that lines stay even and a
// picture scaled by it stays sharp.
inline int PixelFactor(int dpi) {
    const int f = Scale(1, dpi);
    return f > 1 ? f : 1;
}

// The 96-DPI size `minimum` at `dpi`, or `needed` when a text needs more.
inline int AtLeast(int minimum, int needed, int dpi) {
    const int s = Scale(minimum, dpi);
    return needed > s ? needed : s;
}

}  // namespace kdpi
