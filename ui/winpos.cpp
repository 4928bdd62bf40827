#include "ui/winpos.h"

#include <algorithm>
#include <cstdint>

namespace {

// Distance between two ranges [a0, a1) and [b0, b1); 0 when they overlap.
std::int64_t Gap(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1) {
    if (a1 <= b0) return b0 - a1 + 1;
    if (b1 <= a0) return a0 - b1 + 1;
    return 0;
}

std::int64_t Distance(int left, int top, int width, const KRect& s) {
    // 64-bit: a stored position may lie near the int limits.
    const std::int64_t l = left, t = top;
    return Gap(l, l + std::max(width, 1), s.left, static_cast<std::int64_t>(s.left) + s.width) +
           Gap(t, t + kTitleRowHeight, s.top, static_cast<std::int64_t>(s.top) + s.height);
}

}  // namespace

bool TitleRowOnScreen(int left, int top, int width, const std::vector<KRect>& screens) {
    for (const KRect& s : screens) {
        if (s.width > 0 && s.height > 0 && Distance(left, top, width, s) == 0) return true;
    }
    return false;
}

void BringTitleRowOnScreen(int& left, int& top, int width, const std::vector<KRect>& screens) {
    if (TitleRowOnScreen(left, top, width, screens)) return;
    const KRect* nearest = nullptr;
    std::int64_t best = 0;
    for (const KRect& s : screens) {
        if (s.width <= 0 || s.height <= 0) continue;
        const std::int64_t d = Distance(left, top, width, s);
        if (!nearest || d < best) {
            nearest = &s;
            best = d;
        }
    }
    if (!nearest) return;
    const KRect& s = *nearest;
    // std::max last: on a screen smaller than the margin the corner stays at its left/top edge.
    left = std::max(std::min(left, s.Right() - 100), s.left);
    top = std::max(std::min(top, s.Bottom() - 100), s.top);
}
