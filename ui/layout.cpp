#include "ui/layout.h"

KMainLayout ComputeMainLayout(int w, int h, int n, int listHeight, int memoHeight) {
    KMainLayout l;
    l.formWidth = (w + 2) * (n + 1) + 6;

    // Title row: three 16 x 16 buttons, 2 pixels apart, ending 20 pixels from the right edge.
    int x = l.formWidth - 56;
    int y = 3;
    for (auto& r : l.titleButtons) {
        r = {x, y, 16, 16};
        x += 16 + 2;
    }
    y += 16 + 3;

    // Group row: N group buttons and "OP".
    x = 4;
    l.groupCount = n + 1;
    for (int k = 0; k < l.groupCount; ++k) {
        l.groupButtons[k] = {x, y, w, h};
        x += w + 2;
    }
    y += h + 2;
    y += 2;
    l.panel.top = y;

    l.list = {4, y, l.formWidth - 8, listHeight};
    y += listHeight;

    y += 4;
    const int c = y;
    for (int k = 0; k < 4; ++k) {
        l.fieldButtons[k] = {4, y, w, h};
        y += h + 2;
    }
    for (int k = 0; k < 4; ++k) l.edits[k] = {w + 6, c - 1 + k * (h + 2), l.formWidth - w - 10, h};

    l.memo = {4, y, l.formWidth - 8, memoHeight};
    y += memoHeight;

    l.panel.left = 4;
    l.panel.width = l.formWidth - 8;
    l.panel.height = y - l.panel.top;
    y += 4;
    l.formHeight = y;
    return l;
}
