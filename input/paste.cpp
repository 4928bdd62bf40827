#include "input/paste.h"

namespace {

class PlanBuilder {
public:
    explicit PlanBuilder(std::vector<KPasteStep>& out) : out_(out) {}

    void Add(KPasteAction action, std::uintptr_t window = 0, std::int32_t a = 0, std::int32_t b = 0) {
        out_.push_back(KPasteStep{action, window, a, b});
    }
    void Wait(std::int32_t ms) {
        if (ms > 0) Add(KPasteAction::Wait, 0, ms);
    }
    void Key(std::int32_t vk) {
        Add(KPasteAction::KeyDown, 0, vk);
        Add(KPasteAction::KeyUp, 0, vk);
    }
    void Chord(std::int32_t modifier, std::int32_t vk) {
        Add(KPasteAction::KeyDown, 0, modifier);
        Key(vk);
        Add(KPasteAction::KeyUp, 0, modifier);
    }
    void Click() {
        Add(KPasteAction::ButtonDown);
        Add(KPasteAction::ButtonUp);
    }

private:
    std::vector<KPasteStep>& out_;
};

}  // namespace

bool AbsoluteCoordinate(std::int32_t v, std::int32_t extent, std::int32_t& out) {
    if (extent <= 0) return false;
    // The system maps an absolute coordinate back to the pixel floor(a * extent / 65536).
    // Rounding v * 65536 / extent up makes that the very pixel v; the older v * 65537 / extent
    // (truncated) lands one pixel short for many points, e.g. x 621 on a 1280-wide screen.
    const std::int64_t scaled = static_cast<std::int64_t>(v) * 65536;
    std::int64_t a = scaled / extent;  // truncation is already the ceiling below zero
    if (scaled > 0 && scaled % extent != 0) ++a;
    out = static_cast<std::int32_t>(a);
    return true;
}

std::vector<KPasteStep> BuildPastePlan(const KPasteInput& in) {
    std::vector<KPasteStep> plan;
    PlanBuilder p(plan);

    if (in.PasteMode == 0) return plan;
    const bool memo = in.MemoTarget == 1;
    const std::uintptr_t target = memo ? in.MemoWindow : in.TargetWindow;

    if (memo && in.MemoWindow != 0) p.Add(KPasteAction::FocusMemo, in.MemoWindow);
    if (target == 0) return plan;

    p.Add(KPasteAction::Foreground, target);
    p.Add(KPasteAction::PumpMessages);
    // A password must never go to a window the user did not pick: no click and no key
    // unless the target really is in front.
    p.Add(KPasteAction::VerifyForeground, target, kForegroundDeadlineMs);

    // Without a screen size the click could land anywhere; then the paste goes without it.
    std::int32_t tx = 0, ty = 0, hx = 0, hy = 0;
    const bool aimable = AbsoluteCoordinate(in.TargetX, in.ScreenWidth, tx) &&
                         AbsoluteCoordinate(in.TargetY, in.ScreenHeight, ty) &&
                         AbsoluteCoordinate(in.HomeX, in.ScreenWidth, hx) &&
                         AbsoluteCoordinate(in.HomeY, in.ScreenHeight, hy);
    const bool click = !memo && aimable && (in.PasteMode == 2 || in.PasteMode == 3);

    if (click) {
        p.Add(KPasteAction::HideCursor);
        p.Add(KPasteAction::MoveAbsolute, 0, tx, ty);
        p.Click();
        if (in.PasteMode == 3) {
            p.Add(KPasteAction::PumpMessages);
            p.Wait(100);
            p.Click();
            p.Key(kvk::Escape);
        }
    }

    if (in.ClearMode == 1 && !memo) {
        p.Wait(in.PasteWait);
        p.Chord(kvk::Control, kvk::A);
        p.Key(kvk::Delete);
    }

    p.Wait(in.PasteWait);
    p.Chord(kvk::Control, kvk::V);

    if (in.EnterMode == 1 && !memo) {
        p.Wait(in.PasteWait);
        p.Key(kvk::Return);
    }

    if (click) {
        p.Add(KPasteAction::MoveAbsolute, 0, hx, hy);
        p.Add(KPasteAction::ShowCursor);
    }
    return plan;
}

bool RunPastePlan(const std::vector<KPasteStep>& plan, KPasteExecutor& exec) {
    for (const KPasteStep& step : plan) {
        if (!exec.Execute(step)) return false;
    }
    return true;
}

bool PasteInto(const KPasteInput& in, KPasteExecutor& exec) {
    if (RunPastePlan(BuildPastePlan(in), exec)) return true;
    exec.Refuse();
    return false;
}
