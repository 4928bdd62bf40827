// Where a reported press of the left mouse button aims the next paste. Portable: the window
// side finds the outermost window under the press and asks here what it means.
#pragma once

enum class KClickMeaning {
    Target,   // a foreign window: the paste goes there, at that point
    Home,     // our own window: the mouse comes back here after a paste
    Nothing,  // the generator window: neither
};

struct KClickFacts {
    bool window = false;      // some window lies under the press
    bool ours = false;        // it belongs to this process
    bool generator = false;   // it is the generator window
};

// Decided by the window under the press, not by which window is in front when the report
// arrives: the press itself may not have activated its window yet.
inline KClickMeaning DecideClick(const KClickFacts& f) {
    if (!f.window || !f.ours) return KClickMeaning::Target;
    return f.generator ? KClickMeaning::Nothing : KClickMeaning::Home;
}
