#include "ui/snap_win.h"

#include "framework/kstr.h"
#include "ui/snap.h"

int TWindowSnapper::SnapToNeighbour(HWND dragged) const {
    RECT r{};
    if (!dragged || !GetWindowRect(dragged, &r)) return 0;
    const ksnap::Rect rect{r.left, r.top, r.right, r.bottom};
    const ksnap::Point p = ksnap::ProbePoint(rect);
    HWND hit = WindowFromPoint(POINT{p.x, p.y});
    if (!hit) return 0;
    // One level up, and only to a real parent: GetParent would also return a top-level
    // window's owner, and an owned neighbour would then be mistaken for its owner.
    HWND candidate = hit;
    if (GetWindowLongPtrW(hit, GWL_STYLE) & WS_CHILD) {
        HWND parent = GetAncestor(hit, GA_PARENT);
        if (parent && parent != GetDesktopWindow()) candidate = parent;
    }
    wchar_t name[256] = {};
    const int n = GetClassNameW(candidate, name, 256);
    if (n <= 0) return 0;
    RECT s{};
    if (!GetWindowRect(candidate, &s)) return 0;
    const ksnap::SnapResult res = ksnap::DecideSnap(rect, U(name, static_cast<size_t>(n)), {s.left, s.top, s.right, s.bottom});
    if (!res.snap) return 0;
    MoveWindow(dragged, res.x, res.y, r.right - r.left, r.bottom - r.top, TRUE);
    return 1;
}
