// Paste engine: enters the clipboard's text into the window the user clicked last by
// synthesised input. The sequence is computed as plain data first, then run by an executor,
// so the order of events can be checked without a window system.
#pragma once
#include <cstdint>
#include <vector>

struct KEngine;

enum class KPasteAction : std::int32_t {
    Foreground,    // window
    PumpMessages,
    FocusMemo,     // window
    HideCursor,
    MoveAbsolute,  // a = absolute x, b = absolute y (0..65535 scale)
    ButtonDown,
    ButtonUp,
    Wait,          // a = milliseconds
    KeyDown,       // a = virtual-key code
    KeyUp,         // a = virtual-key code
    ShowCursor,
};

struct KPasteStep {
    KPasteAction action = KPasteAction::Wait;
    std::uintptr_t window = 0;
    std::int32_t a = 0;
    std::int32_t b = 0;

    bool operator==(const KPasteStep& o) const {
        return action == o.action && window == o.window && a == o.a && b == o.b;
    }
};

// Everything the paste reads, copied out of the engine once so the messages pumped in the
// middle of a paste cannot change its aim halfway through.
struct KPasteInput {
    std::int32_t PasteMode = 1;
    std::int32_t PasteWait = 100;
    std::int32_t MemoTarget = 0;
    std::int32_t EnterMode = 0;
    std::int32_t ClearMode = 0;
    std::uintptr_t TargetWindow = 0;
    std::uintptr_t MemoWindow = 0;
    std::int32_t TargetX = 0, TargetY = 0;
    std::int32_t HomeX = 0, HomeY = 0;
    std::int32_t ScreenWidth = 0, ScreenHeight = 0;
};

namespace kvk {
constexpr std::int32_t Return = 13;
constexpr std::int32_t Control = 17;
constexpr std::int32_t Escape = 27;
constexpr std::int32_t Delete = 46;
constexpr std::int32_t A = 65;
constexpr std::int32_t V = 86;
}  // namespace kvk

// A screen coordinate on the 0..65535 scale of absolute mouse moves: v * 65536 / extent,
// rounded up so that it maps back to pixel v. Returns false when the extent is not positive
// (nothing to aim by).
bool AbsoluteCoordinate(std::int32_t v, std::int32_t extent, std::int32_t& out);

// The full sequence of one paste. Empty when there is nowhere to paste or PasteMode is 0.
std::vector<KPasteStep> BuildPastePlan(const KPasteInput& in);

KPasteInput PasteInputFrom(const KEngine& engine, std::uintptr_t memoWindow);

class KPasteExecutor {
public:
    virtual ~KPasteExecutor() = default;
    virtual void Execute(const KPasteStep& step) = 0;
};

// Keeps every step it is given; the plan is then inspected instead of sent.
class KRecordingExecutor : public KPasteExecutor {
public:
    void Execute(const KPasteStep& step) override { steps.push_back(step); }
    std::vector<KPasteStep> steps;
};

void RunPastePlan(const std::vector<KPasteStep>& plan, KPasteExecutor& exec);

// With MemoTarget 1 the target becomes the memo box first (and stays so in the engine).
// Always returns 0.
int PasteToTarget(KEngine& engine, std::uintptr_t memoWindow, KPasteExecutor& exec);
