#include "input/paste_win.h"

#include <algorithm>

#include "framework/window.h"

namespace {

HWND AsWindow(std::uintptr_t w) { return reinterpret_cast<HWND>(w); }

// A child (the memo box) cannot be the foreground window; its top-level one can.
HWND TopLevel(HWND w) {
    HWND root = GetAncestor(w, GA_ROOT);
    return root ? root : w;
}

// Right after our own activation by the user's click, a window manager may refuse a plain
// SetForegroundWindow and leave the desktop in front. Sharing the target thread's input
// state for the moment of the switch makes the request one of the target's own.
void BringToFront(HWND w) {
    HWND top = TopLevel(w);
    const DWORD mine = GetCurrentThreadId();
    const DWORD theirs = GetWindowThreadProcessId(top, nullptr);
    const bool attach = theirs != 0 && theirs != mine && AttachThreadInput(mine, theirs, TRUE);
    SetForegroundWindow(top);
    BringWindowToTop(top);
    if (attach) AttachThreadInput(mine, theirs, FALSE);
}

// The desktop, or no window at all, is what a window manager may leave in front for a moment
// after our own activation; any other window there has been put in front by someone.
bool NobodyInFront(HWND front) { return front == nullptr || front == GetDesktopWindow() || front == GetShellWindow(); }

std::int64_t Ticks(const LARGE_INTEGER& from) {
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    return (now.QuadPart - from.QuadPart) * 1000 / freq.QuadPart;
}

}  // namespace

std::int64_t KWinPasteExecutor::Elapsed() const { return Ticks(start_); }

bool KWinPasteExecutor::Start(HWND w, DWORD process, DWORD thread) {
    QueryPerformanceCounter(&start_);
    inFrontSince_ = -1;
    process_ = thread_ = 0;
    reused_ = false;
    if (!IsWindow(w)) return false;
    DWORD pid = 0;
    const DWORD tid = GetWindowThreadProcessId(w, &pid);
    // The window the user clicked has closed and its handle now names another program's.
    if ((process && process != pid) || (thread && thread != tid)) {
        reused_ = true;
        return false;
    }
    thread_ = GetWindowThreadProcessId(TopLevel(w), &process_);
    BringToFront(w);
    return true;
}

bool KWinPasteExecutor::InFront(HWND w) const {
    if (reused_ || !IsWindow(w)) return false;
    HWND front = GetForegroundWindow();
    if (front != TopLevel(w)) return false;
    DWORD pid = 0;
    const DWORD tid = GetWindowThreadProcessId(front, &pid);
    return tid == thread_ && pid == process_;
}

// Pumps our messages and watches the foreground until `at` ms have passed since the start and
// the target has been in front for `steady` ms; false when it is gone, when another window
// took the front from it, or when it is not in front by the deadline. While the target is not
// in front it is asked again now and then: a window manager may have left the desktop there.
bool KWinPasteExecutor::Await(HWND w, std::int64_t at, std::int64_t steady) {
    const std::int64_t deadline = at + kForegroundDeadlineMs;
    std::int64_t lastAsk = Elapsed();
    for (;;) {
        if (!IsWindow(w) || reused_) return false;
        const std::int64_t now = Elapsed();
        std::int64_t wake = deadline - now;
        if (InFront(w)) {
            if (inFrontSince_ < 0) inFrontSince_ = now;
            const std::int64_t ready = std::max(at, inFrontSince_ + steady);
            if (now >= ready) return true;
            wake = ready - now;
        } else {
            // The target had the front and a real window took it: that one must get nothing.
            if (inFrontSince_ >= 0 && !NobodyInFront(GetForegroundWindow())) return false;
            inFrontSince_ = -1;
            if (now - lastAsk >= 50) {
                BringToFront(w);
                lastAsk = now;
            }
            wake = std::min<std::int64_t>(wake, 50);
        }
        if (now >= deadline) return false;
        if (!kf::PumpMessages()) return false;  // the program is quitting
        // Woken by any message, otherwise a look every few milliseconds.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::clamp<std::int64_t>(wake, 0, 5)),
                                  QS_ALLINPUT);
    }
}

void KWinPasteExecutor::PumpFor(std::int64_t ms) {
    const std::int64_t until = Elapsed() + ms;
    for (std::int64_t now = Elapsed(); now < until; now = Elapsed()) {
        if (!kf::PumpMessages()) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(until - now), QS_ALLINPUT);
    }
}

bool KWinPasteExecutor::Execute(const KPasteStep& step) {
    HWND w = AsWindow(step.window);
    switch (step.action) {
        case KPasteAction::Foreground:
            return Start(w, static_cast<DWORD>(step.a), static_cast<DWORD>(step.b));
        case KPasteAction::PumpMessages: kf::PumpMessages(); break;
        case KPasteAction::AwaitForeground: return Await(w, step.a, step.b);
        case KPasteAction::CheckForeground:
            if (InFront(w)) return true;
            inFrontSince_ = -1;
            return false;
        case KPasteAction::FocusMemo: SetFocus(w); break;
        case KPasteAction::HideCursor: ShowCursor(FALSE); break;
        case KPasteAction::ShowCursor: ShowCursor(TRUE); break;
        case KPasteAction::MoveAbsolute:
            mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE, static_cast<DWORD>(step.a),
                        static_cast<DWORD>(step.b), 0, 0);
            break;
        case KPasteAction::ButtonDown: mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0); break;
        case KPasteAction::ButtonUp: mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0); break;
        case KPasteAction::Wait: PumpFor(step.a); break;
        case KPasteAction::KeyDown: keybd_event(static_cast<BYTE>(step.a), 0, 0, 0); break;
        case KPasteAction::KeyUp: keybd_event(static_cast<BYTE>(step.a), 0, KEYEVENTF_KEYUP, 0); break;
    }
    return true;
}

void KWinPasteExecutor::Refuse() { Beep(1000, 120); }
