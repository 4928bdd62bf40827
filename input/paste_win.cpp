#include "input/paste_win.h"

#include <windows.h>

namespace {

HWND AsWindow(std::uintptr_t w) { return reinterpret_cast<HWND>(w); }

void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave the quit for the main loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

void KWinPasteExecutor::Execute(const KPasteStep& step) {
    switch (step.action) {
        case KPasteAction::Foreground: {
            // A child (the memo box) cannot be the foreground window; its top-level one can.
            HWND w = AsWindow(step.window);
            HWND root = GetAncestor(w, GA_ROOT);
            SetForegroundWindow(root ? root : w);
            break;
        }
        case KPasteAction::PumpMessages: PumpPending(); break;
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
}
