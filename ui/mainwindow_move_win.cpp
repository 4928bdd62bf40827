// TFKeyra moved by its bare surface, snapped to a neighbour, and told of every press of the
// left mouse button by the click watch.
#include "generator/generatorseam.h"
#include "ui/clicktarget.h"
#include "ui/mainwindow_win.h"
#include "ui/snap_win.h"

void TFKeyra::CaptureClickTarget(POINT p, HWND window) {
    if (!engine_) return;
    HWND outer = window;
    for (int i = 0; i < 16 && outer; ++i) {
        HWND parent = GetParent(outer);
        if (!parent) break;
        outer = parent;
    }
    DWORD pid = 0;
    if (outer) GetWindowThreadProcessId(outer, &pid);
    KClickFacts facts;
    facts.window = outer != nullptr;
    facts.ours = outer && pid == GetCurrentProcessId();
    facts.generator = facts.ours && generator_->Owns(outer);
    switch (DecideClick(facts)) {
        case KClickMeaning::Target:
            engine_->TargetX = p.x;
            engine_->TargetY = p.y;
            engine_->TargetWindow = reinterpret_cast<std::uintptr_t>(outer);
            engine_->MemoTarget = 0;
            break;
        case KClickMeaning::Home:
            engine_->HomeX = p.x;
            engine_->HomeY = p.y;
            break;
        case KClickMeaning::Nothing:
            break;
    }
    // Recorded before pending messages run, so a later press handled meanwhile is not
    // overwritten by this earlier one.
    kf::PumpMessages();
}

// The bare surface moves the window: the press captures the mouse, moves follow it, and
// the release ends the drag. A press and release without moving is a click on the window.
void TFKeyra::FormMouseDown() {
    GetCursorPos(&press_);
    RECT rc;
    GetWindowRect(Handle(), &rc);
    dragOrigin_ = {rc.left, rc.top};
    drag_ = 1;
    SetCapture(Handle());
}

void TFKeyra::FormMouseMove() {
    if (!drag_) return;
    POINT cursor;
    GetCursorPos(&cursor);
    SetWindowPos(Handle(), nullptr, dragOrigin_.x + cursor.x - press_.x, dragOrigin_.y + cursor.y - press_.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFKeyra::FormMouseUp() {
    if (!drag_) return;
    FormMouseMove();
    ReleaseCapture();  // WM_CAPTURECHANGED ends the drag
}

void TFKeyra::DragEnded() {
    drag_ = 0;
    POINT cursor;
    GetCursorPos(&cursor);
    if (cursor.x == press_.x && cursor.y == press_.y) {
        OnBankButton(kmainbank::kPageSwitch);  // a click on the bare window switches the group page
    } else if (snapper_) {
        snapper_->SnapToNeighbour(Handle());
    }
    KeepTopOnScreen();
}

void TFKeyra::KeepTopOnScreen() {
    RECT rc;
    if (GetWindowRect(Handle(), &rc) && rc.top < 0)
        SetWindowPos(Handle(), nullptr, rc.left, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
