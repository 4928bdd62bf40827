// Moves a dragged window against the family window found just above and left of it.
#pragma once
#include <windows.h>

class TWindowSnapper {
public:
    // 1 when a neighbour was found and the window moved, 0 otherwise.
    int SnapToNeighbour(HWND dragged) const;
};
