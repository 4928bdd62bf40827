#include "ui/snap.h"

#include <algorithm>

namespace ksnap {

const std::array<std::u16string_view, 8> kFamilyClasses = {
    u"TFBolda", u"TFBoldan", u"TFLunet", u"TFMerro", u"TFTagget", u"TFWisp", u"TFKeyra", u"VIDodureza"};

bool IsFamilyClass(std::u16string_view className) {
    return std::find(kFamilyClasses.begin(), kFamilyClasses.end(), className) != kFamilyClasses.end();
}

Point ProbePoint(const Rect& dragged) {
    Point p{dragged.left - 1, dragged.top - 1};
    if (p.y < 0) p.y = 0;
    return p;
}

SnapResult DecideSnap(const Rect& dragged, std::u16string_view candidateClass, const Rect& candidate) {
    SnapResult r;
    if (!IsFamilyClass(candidateClass)) return r;
    const int middle = candidate.top + (candidate.bottom - candidate.top) / 2;
    r.snap = 1;
    if (middle < dragged.top) {  // dropped over the neighbour's lower half: dock underneath
        r.x = candidate.left;
        r.y = candidate.bottom;
    } else {
        r.x = candidate.right;
        r.y = candidate.top;
    }
    return r;
}

}  // namespace ksnap
