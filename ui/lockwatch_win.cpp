#include "ui/lockwatch_win.h"

#include <wtsapi32.h>

#include "framework/syslib.h"

namespace {
constexpr UINT_PTR kIdleTimer = 0x4B49;
constexpr UINT kIdleCheckMs = 1000;
// A failed session registration is tried again at each idle check for two minutes.
constexpr int kSessionTries = 120;

using RegisterFn = BOOL WINAPI(HWND, DWORD);
using UnregisterFn = BOOL WINAPI(HWND);

HHOOK inputHook = nullptr;
KLockWatch* hooked = nullptr;

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

KLockWatch::KLockWatch(HWND window, std::function<int()> idleSeconds, std::function<void(KLockReason)> onLock)
    : window_(window), idleSeconds_(std::move(idleSeconds)), onLock_(std::move(onLock)) {}

KLockWatch::~KLockWatch() { Stop(); }

// Every window of the program runs on this thread, also its menus and message boxes, so one
// hook on the thread's message queue sees each key and click meant for any of them.
LRESULT CALLBACK KLockWatch::InputHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && hooked) {
        const MSG* m = reinterpret_cast<const MSG*>(lParam);
        if (IsUserInput(m->message)) hooked->Touch();
    }
    return CallNextHookEx(inputHook, code, wParam, lParam);
}

void KLockWatch::Touch() { lastInput_ = GetTickCount64(); }

void KLockWatch::Start() {
    if (started_) return;
    started_ = 1;
    Touch();
    if (!inputHook) {
        hooked = this;
        inputHook = SetWindowsHookExW(WH_GETMESSAGE, &KLockWatch::InputHook, nullptr, GetCurrentThreadId());
    }
    SetTimer(window_, kIdleTimer, kIdleCheckMs, nullptr);
    // Not a KnownDLL: from System32 only.
    wtsapi_ = std::make_unique<kf::SystemLibrary>(L"wtsapi32.dll");
    sessionTries_ = 0;
    RegisterSession();
}

void KLockWatch::RegisterSession() {
    if (sessionNotified_ || !wtsapi_ || sessionTries_ >= kSessionTries) return;
    ++sessionTries_;
    auto* reg = wtsapi_->Proc<RegisterFn>("WTSRegisterSessionNotification");
    if (!reg) {
        sessionTries_ = kSessionTries;  // nothing to try again with
        return;
    }
    sessionNotified_ = reg(window_, NOTIFY_FOR_THIS_SESSION) ? 1 : 0;
}

void KLockWatch::Stop() {
    if (!started_) return;
    started_ = 0;
    if (IsWindow(window_)) KillTimer(window_, kIdleTimer);
    if (sessionNotified_ && wtsapi_ && IsWindow(window_)) {
        if (auto* unreg = wtsapi_->Proc<UnregisterFn>("WTSUnRegisterSessionNotification")) unreg(window_);
    }
    sessionNotified_ = 0;
    wtsapi_.reset();
    if (inputHook && hooked == this) {
        UnhookWindowsHookEx(inputHook);
        inputHook = nullptr;
        hooked = nullptr;
    }
}

void KLockWatch::CheckIdle() {
    const std::uint64_t limit = static_cast<std::uint64_t>(idleSeconds_()) * 1000;
    if (GetTickCount64() - lastInput_ >= limit) onLock_(KLockReason::Idle);
}

bool KLockWatch::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
        case WM_TIMER:
            if (wParam != kIdleTimer) return false;
            RegisterSession();
            CheckIdle();
            result = 0;
            return true;
        case WM_SIZE:
            // The window's own handling goes on: this only watches.
            if (wParam == SIZE_MINIMIZED) {
                minimized_ = 1;
            } else if (minimized_ && (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED)) {
                minimized_ = 0;
                onLock_(KLockReason::Restored);
            }
            return false;
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMSUSPEND) onLock_(KLockReason::Suspend);
            result = TRUE;
            return true;
        case WM_WTSSESSION_CHANGE:
            if (SessionChangeLocks(static_cast<unsigned>(wParam))) onLock_(KLockReason::SessionChange);
            result = 0;
            return true;
        default:
            return false;
    }
}
