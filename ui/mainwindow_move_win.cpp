// TFKeyra moved by its bare surface, snapped to a neighbour, and told of every press of the
// left mouse button by the click watch.
#include "generator/generatorseam.h"
#include "ui/clicktarget.h"
#include "ui/mainwindow_win.h"
#include "ui/snap_win.h"
#include "ui/winpos.h"

void TFKeyra::CaptureClickTarget(POINT p, HWND window) {
    if (!generator_) return;
    HWND outer = window;
    // The generator is owned by this window, so the walk from it goes on to this one.
    bool inGenerator = generator_->Owns(outer);
    for (int i = 0; i < 16 && outer; ++i) {
        HWND parent = GetParent(outer);
        if (!parent) break;
        outer = parent;
        inGenerator = inGenerator || generator_->Owns(outer);
    }
    DWORD pid = 0, tid = 0;
    if (outer) tid = GetWindowThreadProcessId(outer, &pid);
    KClickFacts facts;
    facts.window = outer != nullptr;
    facts.ours = outer && pid == GetCurrentProcessId();
    facts.generator = facts.ours && inGenerator;
    switch (DecideClick(facts)) {
        case KClickMeaning::Target:
            engine_.TargetX = p.x;
            engine_.TargetY = p.y;
            engine_.TargetWindow = reinterpret_cast<std::uintptr_t>(outer);
            engine_.TargetProcess = pid;
            engine_.TargetThread = tid;
            engine_.MemoTarget = 0;
            break;
        case KClickMeaning::Home:
            engine_.HomeX = p.x;
            engine_.HomeY = p.y;
            break;
        case KClickMeaning::Nothing:
            break;
    }
    // Recorded before pending messages run, so a later press handled meanwhile is not
    // overwritten by this earlier one.
    kf::PumpMessages();
}

// The bare surface moves the window (WM_LBUTTONDOWN and what follows). A press and release
// without moving is a click on the window.
void TFKeyra::DragEnded(bool moved) {
    if (!moved) {
        OnBankButton(kmainbank::kPageSwitch);  // a click on the bare window switches the group page
    } else {
        snapper_->SnapToNeighbour(Handle());
    }
    kf::KeepTopOnScreen(Handle());
}

namespace {
BOOL CALLBACK AddScreen(HMONITOR, HDC, LPRECT r, LPARAM list) {
    reinterpret_cast<std::vector<KRect>*>(list)->push_back({r->left, r->top, r->right - r->left, r->bottom - r->top});
    return TRUE;
}
}  // namespace

// A loaded position whose title row lies on no screen (say one saved while minimized, or on a
// monitor since removed) is brought back, once the window has its final width.
void TFKeyra::KeepTitleRowOnScreen() {
    std::vector<KRect> screens;
    EnumDisplayMonitors(nullptr, nullptr, AddScreen, reinterpret_cast<LPARAM>(&screens));
    RECT rc;
    if (!GetWindowRect(Handle(), &rc)) return;
    int left = rc.left, top = rc.top;
    BringTitleRowOnScreen(left, top, rc.right - rc.left, screens);
    if (left != rc.left || top != rc.top) SetWindowTopLeft(top, left);
}

// While minimized the window rectangle is the system's parking place (-32000), never a
// position to save: the normal (restored) rectangle is.
bool TFKeyra::NormalRect(RECT& rc) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    if (IsIconic(Handle()) && GetWindowPlacement(Handle(), &wp)) {
        rc = wp.rcNormalPosition;
        // Workspace coordinates (they differ from the screen's by a taskbar at the top or left).
        if (!(GetWindowLongPtrW(Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
            MONITORINFO mi{};
            mi.cbSize = sizeof(mi);
            if (GetMonitorInfoW(MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST), &mi))
                OffsetRect(&rc, mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top);
        }
        return true;
    }
    return GetWindowRect(Handle(), &rc) != 0;
}


void TFKeyra::SetWindowTopLeft(int top, int left) {
    top_ = top;
    left_ = left;
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFKeyra::StorePosition() {
    RECT rc;
    KSettings& s = doc_.Settings();
    if (NormalRect(rc)) {
        s.Top = rc.top;
        s.Left = rc.left;
    } else {
        s.Top = top_;
        s.Left = left_;
    }
}
