// Docking of a dragged window against a window of the family of small tools. The decision
// is portable; ui/snap_win.h reads and moves the real windows.
#pragma once
#include <array>
#include <string_view>

namespace ksnap {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
struct Point {
    int x = 0, y = 0;
};

// Window classes that count as neighbours, compared exactly.
extern const std::array<std::u16string_view, 8> kFamilyClasses;

bool IsFamilyClass(std::u16string_view className);

// The pixel just above and to the left of the dragged window, never above the screen.
Point ProbePoint(const Rect& dragged);

struct SnapResult {
    int snap = 0;  // 1: move to (x, y)
    int x = 0, y = 0;
};

// `candidate` is the window found at the probe point (or its parent) with its class name.
SnapResult DecideSnap(const Rect& dragged, std::u16string_view candidateClass, const Rect& candidate);

}  // namespace ksnap
