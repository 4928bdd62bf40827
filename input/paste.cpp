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

    const std::int32_t wait = in.PasteWait > 0 ? in.PasteWait : 0;
    const std::int32_t steady = wait < kSteadyForegroundMs ? wait : kSteadyForegroundMs;
    // A password must never go to a window the user did not pick: every click and every key
    // is preceded by a look at what is in front.
    const auto check = [&] { p.Add(KPasteAction::CheckForeground, target); };

    p.Add(KPasteAction::Foreground, target, static_cast<std::int32_t>(memo ? 0 : in.TargetProcess),
          static_cast<std::int32_t>(memo ? 0 : in.TargetThread));
    p.Add(KPasteAction::PumpMessages);

    // Without a screen size the click could land anywhere; then the paste goes without it.
    std::int32_t tx = 0, ty = 0, hx = 0, hy = 0;
    const bool aimable = AbsoluteCoordinate(in.TargetX, in.ScreenWidth, tx) &&
                         AbsoluteCoordinate(in.TargetY, in.ScreenHeight, ty) &&
                         AbsoluteCoordinate(in.HomeX, in.ScreenWidth, hx) &&
                         AbsoluteCoordinate(in.HomeY, in.ScreenHeight, hy);
    const bool click = !memo && aimable && (in.PasteMode == 2 || in.PasteMode == 3);

    if (click) {
        // The click needs the target in front but not PasteWait: that runs on meanwhile.
        p.Add(KPasteAction::AwaitForeground, target, 0, steady);
        p.Add(KPasteAction::HideCursor);
        p.Add(KPasteAction::MoveAbsolute, 0, tx, ty);
        check();
        p.Click();
        if (in.PasteMode == 3) {
            p.Add(KPasteAction::PumpMessages);
            p.Wait(100);
            check();
            p.Click();
            check();
            p.Key(kvk::Escape);
        }
    }

    // One wait: PasteWait counted from the start, and the target steadily in front.
    p.Add(KPasteAction::AwaitForeground, target, wait, steady);

    if (in.ClearMode == 1 && !memo) {
        check();
        p.Chord(kvk::Control, kvk::A);
        check();
        p.Key(kvk::Delete);
        p.Wait(wait);
    }

    check();
    p.Chord(kvk::Control, kvk::V);

    if (in.EnterMode == 1 && !memo) {
        p.Wait(wait);
        check();
        p.Key(kvk::Return);
    }

    if (click) {
        p.Add(KPasteAction::MoveAbsolute, 0, hx, hy);
        p.Add(KPasteAction::ShowCursor);
    }
    return plan;
}

bool RunPastePlan(const std::vector<KPasteStep>& plan, KPasteExecutor& exec) {
    bool hidden = false;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const KPasteStep& step = plan[i];
        if (exec.Execute(step)) {
            if (step.action == KPasteAction::HideCursor) hidden = true;
            if (step.action == KPasteAction::ShowCursor) hidden = false;
            continue;
        }
        if (hidden) {
            // The plan ends with the way home: a move, then the cursor shown. Neither reaches
            // the window in front.
            const std::size_t last = plan.size() - 1;
            if (plan[last].action == KPasteAction::ShowCursor) {
                if (last > i + 1 && plan[last - 1].action == KPasteAction::MoveAbsolute) exec.Execute(plan[last - 1]);
                exec.Execute(plan[last]);
            }
        }
        return false;
    }
    return true;
}

bool PasteInto(const KPasteInput& in, KPasteExecutor& exec) {
    if (RunPastePlan(BuildPastePlan(in), exec)) return true;
    exec.Refuse();
    return false;
}
