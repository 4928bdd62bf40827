// Where the main window's run-time placed controls go, from the measured button size
// and the settings. Pure arithmetic so the layout can be checked to the pixel.
#pragma once

struct KRect {
    int left = 0, top = 0, width = 0, height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool operator==(const KRect& o) const {
        return left == o.left && top == o.top && width == o.width && height == o.height;
    }
};

struct KMainLayout {
    int formWidth = 0;
    int formHeight = 0;
    KRect titleButtons[3];   // bank positions 0..2 (0 stays hidden)
    KRect groupButtons[11];  // positions 10..10+N, the last one is "OP"
    int groupCount = 0;      // N + 1
    KRect list;
    KRect fieldButtons[4];   // positions 30..33
    KRect edits[4];          // title, id, pass, url
    KRect memo;
    KRect panel;             // the options panel covers the list, the field rows and the memo
};

// w: button width, h: button height (one-line edit height), both measured at `dpi`; n: group
// buttons (5..10); the list and memo heights are the settings' 96-DPI pixels. Every fixed
// place and gap is a 96-DPI length taken to `dpi` (core/kdpi.h).
KMainLayout ComputeMainLayout(int w, int h, int n, int listHeight, int memoHeight, int dpi = 96);

// Button width from the caption widths of "pass" and "title" measured at `dpi`.
int FieldButtonWidth(int passWidth, int titleWidth, int dpi = 96);
