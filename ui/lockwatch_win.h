// KLockWatch: notices when the user has walked away: the window restored after being minimized,
// the session locked or switched away, the computer going to sleep, or no key or click in the
// program's windows for a while.
// One callback says which.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "ui/pinlock.h"

namespace kf {
class SystemLibrary;
}

class KLockWatch {
public:
    // `window` receives the session's notifications and the restore; `idleSeconds` is read at
    // each check.
    KLockWatch(HWND window, std::function<int()> idleSeconds, std::function<void(KLockReason)> onLock);
    ~KLockWatch();
    KLockWatch(const KLockWatch&) = delete;
    KLockWatch& operator=(const KLockWatch&) = delete;

    // The input hook, the idle timer and the session's notifications.
    void Start();
    void Stop();
    // The window's messages pass here; true when one was the watch's own.
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The idle time counts from now.
    void Touch();

private:
    static LRESULT CALLBACK InputHook(int code, WPARAM wParam, LPARAM lParam);
    void CheckIdle();
    // At logon the session service may not be up yet: the registration is tried again.
    void RegisterSession();

    HWND window_;
    std::function<int()> idleSeconds_;
    std::function<void(KLockReason)> onLock_;
    std::uint64_t lastInput_ = 0;  // GetTickCount64 of the last key or click
    int minimized_ = 0;
    int started_ = 0;
    std::unique_ptr<kf::SystemLibrary> wtsapi_;
    int sessionNotified_ = 0;
    int sessionTries_ = 0;
};
