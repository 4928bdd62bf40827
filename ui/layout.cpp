#include "ui/layout.h"

#include "core/kdpi.h"

int FieldButtonWidth(int passWidth, int titleWidth, int dpi) {
    const int room = kdpi::Scale(8, dpi);
    int w = passWidth + room;
    if (titleWidth + room > w) w = titleWidth + room;
    return w;
}

KMainLayout ComputeMainLayout(int w, int h, int n, int listHeight, int memoHeight, int dpi) {
    const auto px = [dpi](int length) { return kdpi::Scale(length, dpi); };
    const int gap = px(2), margin = px(4);
    KMainLayout l;
    l.formWidth = (w + gap) * (n + 1) + px(6);

    // Title row: three 16 x 16 buttons, 2 pixels apart, ending 4 pixels from the right edge;
    // each placed from that edge, so that none is off by the rounding of the others.
    const int title = px(16);
    for (int k = 0; k < 3; ++k) l.titleButtons[k] = {l.formWidth - px(56 - 18 * k), px(3), title, title};
    int y = px(22);

    // Group row: N group buttons and "OP".
    int x = margin;
    l.groupCount = n + 1;
    for (int k = 0; k < l.groupCount; ++k) {
        l.groupButtons[k] = {x, y, w, h};
        x += w + gap;
    }
    y += h + margin;
    l.panel.top = y;

    const int listH = px(listHeight), memoH = px(memoHeight);
    l.list = {margin, y, l.formWidth - 2 * margin, listH};
    y += listH;

    y += margin;
    const int c = y;
    for (int k = 0; k < 4; ++k) {
        l.fieldButtons[k] = {margin, y, w, h};
        y += h + gap;
    }
    // The edit boxes sit one pixel higher than their buttons and end 4 pixels inside the edge.
    const int editLeft = w + gap + margin;
    for (int k = 0; k < 4; ++k)
        l.edits[k] = {editLeft, c - px(1) + k * (h + gap), l.formWidth - editLeft - margin, h};

    l.memo = {margin, y, l.formWidth - 2 * margin, memoH};
    y += memoH;

    l.panel.left = margin;
    l.panel.width = l.formWidth - 2 * margin;
    l.panel.height = y - l.panel.top;
    y += margin;
    l.formHeight = y;
    return l;
}
