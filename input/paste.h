// Paste engine: enters the clipboard's text into the window the user clicked last by
// synthesised input. The sequence is computed as plain data first, then run by an executor,
// so the order of events can be checked without a window system.
#pragma once
#include <cstdint>
#include <vector>

enum class KPasteAction : std::int32_t {
    // window; a, b = its process and thread (0: whichever own the window now). Asks for the
    // window to come to the front; the paste's clock starts here, and every later check
    // compares the foreground window with this one, process and thread included, so that a
    // handle reused by another program cannot pass.
    Foreground,
    PumpMessages,
    // window; a = milliseconds since Foreground before it may end, b = milliseconds the target
    // must have been in front without a break. Pumps and watches meanwhile, asking the target
    // to the front again while it is not there. Fails when the window is gone, or not in front
    // by a + kForegroundDeadlineMs: nothing after it may run.
    AwaitForeground,
    // window. Fails unless the target is in front at this moment: it precedes every click and
    // every key, so that nothing goes to a window that took the front meanwhile.
    CheckForeground,
    FocusMemo,     // window
    HideCursor,
    MoveAbsolute,  // a = absolute x, b = absolute y (0..65535 scale)
    ButtonDown,
    ButtonUp,
    Wait,          // a = milliseconds, pumping messages
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
    // Who owned TargetWindow when the user clicked it; 0 when not known.
    std::uint32_t TargetProcess = 0, TargetThread = 0;
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

// How long past PasteWait the paste waits for its target to come to the front. A window
// manager may take a moment after our own activation; much longer and the user would wonder
// what happened.
constexpr std::int32_t kForegroundDeadlineMs = 1000;

// How long the target must have been in front before anything is sent to it (or PasteWait, if
// shorter). A window manager may first report the target in front and then give the focus
// to the desktop; keys sent in between would go nowhere, or somewhere else.
constexpr std::int32_t kSteadyForegroundMs = 50;

class KPasteExecutor {
public:
    virtual ~KPasteExecutor() = default;
    // False when the step failed and the rest of the plan must not run.
    virtual bool Execute(const KPasteStep& step) = 0;
    // The paste was given up: tell the user (the text is still on the clipboard).
    virtual void Refuse() = 0;
};

// Runs the steps in order; false when one failed. After a failure nothing more is clicked or
// typed; only a hidden cursor is brought home and shown again.
bool RunPastePlan(const std::vector<KPasteStep>& plan, KPasteExecutor& exec);

// Builds and runs the plan; when the target never came to the front the executor refuses.
// False only when the paste was given up.
bool PasteInto(const KPasteInput& in, KPasteExecutor& exec);
