// TFKeyra locked again when the user walks away: restored after being minimized, the session
// locked or switched away, or no key or click in the program's windows for a while.
#include <windows.h>

#include <wtsapi32.h>

#include "framework/syslib.h"
#include "generator/generatorseam.h"
#include "ui/mainwindow_win.h"
#include "ui/masterdialogs_win.h"
#include "ui/optionsseam.h"
#include "ui/pinpanel_win.h"
#include "ui/searchbox_win.h"

namespace {
constexpr UINT_PTR kIdleTimer = 0x4B49;
constexpr UINT kIdleCheckMs = 1000;
// Posted after a lock: the system shows owned windows again once a restore is done.
constexpr UINT WM_KEYRA_LOCKED = WM_APP + 2;

using RegisterFn = BOOL WINAPI(HWND, DWORD);
using UnregisterFn = BOOL WINAPI(HWND);

HHOOK inputHook = nullptr;
TFKeyra* hookedForm = nullptr;

bool IsUserInput(UINT msg) {
    switch (msg) {
        case WM_KEYDOWN: case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN: case WM_XBUTTONDOWN:
        case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN: case WM_NCMBUTTONDOWN: case WM_NCXBUTTONDOWN:
        case WM_MOUSEWHEEL: case WM_MOUSEHWHEEL:
            return true;
        default:
            return false;
    }
}
}  // namespace

// Every window of the program runs on this thread, also its menus and message boxes, so one
// hook on the thread's message queue sees each key and click meant for any of them.
LRESULT CALLBACK TFKeyra::InputHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && hookedForm) {
        const MSG* m = reinterpret_cast<const MSG*>(lParam);
        if (IsUserInput(m->message)) hookedForm->lastInput_ = GetTickCount64();
    }
    return CallNextHookEx(inputHook, code, wParam, lParam);
}

void TFKeyra::StartLockWatch() {
    lastInput_ = GetTickCount64();
    if (!inputHook) {
        hookedForm = this;
        inputHook = SetWindowsHookExW(WH_GETMESSAGE, &TFKeyra::InputHook, nullptr, GetCurrentThreadId());
    }
    SetTimer(Handle(), kIdleTimer, kIdleCheckMs, nullptr);
    // Not a KnownDLL: from System32 only.
    wtsapi_ = std::make_unique<kf::SystemLibrary>(L"wtsapi32.dll");
    if (auto* reg = wtsapi_->Proc<RegisterFn>("WTSRegisterSessionNotification"))
        sessionNotified_ = reg(Handle(), NOTIFY_FOR_THIS_SESSION) ? 1 : 0;
}

void TFKeyra::StopLockWatch() {
    if (Handle()) KillTimer(Handle(), kIdleTimer);
    if (sessionNotified_ && wtsapi_ && Handle()) {
        if (auto* unreg = wtsapi_->Proc<UnregisterFn>("WTSUnRegisterSessionNotification")) unreg(Handle());
    }
    sessionNotified_ = 0;
    wtsapi_.reset();
    if (inputHook && hookedForm == this) {
        UnhookWindowsHookEx(inputHook);
        inputHook = nullptr;
        hookedForm = nullptr;
    }
}

void TFKeyra::CheckIdle() {
    if (!engine_) return;
    const std::uint64_t limit = static_cast<std::uint64_t>(engine_->IdleLockSeconds) * 1000;
    if (GetTickCount64() - lastInput_ >= limit) LockWindow(KLockReason::Idle);
}

void TFKeyra::SizeChanged(WPARAM kind) {
    if (kind == SIZE_MINIMIZED) {
        minimized_ = 1;
    } else if (minimized_ && (kind == SIZE_RESTORED || kind == SIZE_MAXIMIZED)) {
        minimized_ = 0;
        LockWindow(KLockReason::Restored);
    }
}

void TFKeyra::LockWindow(KLockReason reason) {
    if (!engine_ || !pin_ || closing_) return;
    // A paste under way is finished first; it runs with the entry it started with.
    if (ops_ && ops_->Sending()) {
        lockPending_ = 1;
        pendingReason_ = reason;
        return;
    }
    // A minimized window is locked when it is restored, at its own size.
    if (IsIconic(Handle())) return;
    const KLockCover cover = LockCoverFor(*engine_, PinAsked());
    if (cover == KLockCover::None) return;

    // What lies beneath is put away as at a close: the typed entry kept, the options applied
    // (a PIN being set is dropped, the one set before stays), the find box shut.
    if (search_) search_->Close();
    if (pin_->Lock().Mode == TPinLock::kHidden && ops_) ops_->StoreCurrent();
    if (options_ && options_->IsOpen()) options_->CloseAndApply();
    switch (cover) {
        case KLockCover::Pin:
            pin_->Lock().Ask();
            break;
        case KLockCover::Master:
            masterLocked_ = 1;  // the prompt runs from the posted message, outside this handler
            break;
        case KLockCover::None:
            return;
    }
    PostMessageW(Handle(), WM_KEYRA_LOCKED, 0, 0);
}

// As at start, the window is not shown while the master password is asked. Cancel ends the
// program; the key is still in memory, so the save at close needs nothing more.
void TFKeyra::AskMasterToUnlock() {
    static int asking = 0;
    if (asking || !engine_) return;
    asking = 1;
    if (generator_) generator_->Hide();
    ShowWindow(Handle(), SW_HIDE);
    KEngine& engine = *engine_;
    const bool opened = AskPassword(Handle(), u"Keyra はロックされています。",
                                    [&engine](const std::u16string& typed) { return engine.Master.Matches(typed); },
                                    u"マスターパスワードが違います。");
    asking = 0;
    masterLocked_ = 0;
    if (!opened) {
        CloseFromMenu();
        return;
    }
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    FocusList();
    lastInput_ = GetTickCount64();
}

void TFKeyra::RunPendingLock() {
    if (!lockPending_ || (ops_ && ops_->Sending())) return;
    lockPending_ = 0;
    LockWindow(pendingReason_);
}

bool TFKeyra::LockMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
        case WM_TIMER:
            if (wParam != kIdleTimer) return false;
            CheckIdle();
            result = 0;
            return true;
        case WM_SIZE:
            SizeChanged(wParam);
            return false;
        case WM_WTSSESSION_CHANGE:
            if (SessionChangeLocks(static_cast<unsigned>(wParam))) LockWindow(KLockReason::SessionChange);
            result = 0;
            return true;
        case WM_KEYRA_LOCKED:
            if (masterLocked_) {
                AskMasterToUnlock();
            } else if (PinAsked()) {
                if (generator_) generator_->Hide();
                pin_->FocusEdit();
            }
            result = 0;
            return true;
        default:
            return false;
    }
}
