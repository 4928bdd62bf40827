#include "input/paste_win.h"

#include <windows.h>

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

// Waits, pumping our messages, until the target's top-level window is in front and stays
// there for a moment, asking again now and then; false when it is gone or the deadline passes.
// The moment matters under a window manager: the system may report the target in front at
// once, and the manager may then give the focus to the desktop instead; keys sent in between
// would go nowhere, or somewhere else.
bool WaitForeground(HWND w, DWORD deadlineMs) {
    constexpr ULONGLONG kSteadyMs = 100;
    const ULONGLONG start = GetTickCount64();
    ULONGLONG lastAsk = start;
    ULONGLONG inFrontSince = 0;
    for (;;) {
        if (!IsWindow(w)) return false;
        const ULONGLONG now = GetTickCount64();
        if (GetForegroundWindow() == TopLevel(w)) {
            if (!inFrontSince) inFrontSince = now;
            if (now - inFrontSince >= kSteadyMs) return true;
        } else {
            inFrontSince = 0;
            if (now - lastAsk >= 50) {
                BringToFront(w);
                lastAsk = now;
            }
        }
        if (now - start >= deadlineMs) return false;
        kf::PumpMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace

bool KWinPasteExecutor::Execute(const KPasteStep& step) {
    switch (step.action) {
        case KPasteAction::Foreground:
            if (IsWindow(AsWindow(step.window))) BringToFront(AsWindow(step.window));
            break;
        case KPasteAction::PumpMessages: kf::PumpMessages(); break;
        case KPasteAction::VerifyForeground:
            return WaitForeground(AsWindow(step.window), static_cast<DWORD>(step.a > 0 ? step.a : 0));
        case KPasteAction::FocusMemo: SetFocus(AsWindow(step.window)); break;
        case KPasteAction::HideCursor: ShowCursor(FALSE); break;
        case KPasteAction::ShowCursor: ShowCursor(TRUE); break;
        case KPasteAction::MoveAbsolute:
            mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE, static_cast<DWORD>(step.a),
                        static_cast<DWORD>(step.b), 0, 0);
            break;
        case KPasteAction::ButtonDown: mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0); break;
        case KPasteAction::ButtonUp: mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0); break;
        case KPasteAction::Wait:
            if (step.a > 0) Sleep(static_cast<DWORD>(step.a));
            break;
        case KPasteAction::KeyDown: keybd_event(static_cast<BYTE>(step.a), 0, 0, 0); break;
        case KPasteAction::KeyUp: keybd_event(static_cast<BYTE>(step.a), 0, KEYEVENTF_KEYUP, 0); break;
    }
    return true;
}

void KWinPasteExecutor::Refuse() { Beep(1000, 120); }
