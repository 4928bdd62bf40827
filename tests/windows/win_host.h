// Small helpers for the window tests: a visible host window, message pumping with a
// deadline, and reading composed faces.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <utility>

namespace wintest {

inline void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Pumps until `done` holds or `ms` milliseconds passed; returns whether it held.
inline bool PumpUntil(const std::function<bool()>& done, int ms = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        Pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

inline void RegisterClassOnce(const wchar_t* name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

// A visible top-level window without decorations at a fixed screen place.
class Host {
public:
    Host(int x, int y, int w, int h, const wchar_t* cls = L"KeyraTestHost", HWND parent = nullptr) {
        RegisterClassOnce(cls);
        const DWORD style = parent ? (WS_CHILD | WS_VISIBLE) : (WS_POPUP | WS_VISIBLE);
        hwnd_ = CreateWindowExW(parent ? 0 : WS_EX_TOPMOST, cls, L"", style, x, y, w, h, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        Pump();
    }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    ~Host() {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
        Pump();
    }
    HWND Handle() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

// Top-level windows are slow to hide or destroy under Wine without a window manager, so
// tests reuse one window per class (and parent), moved into place each time.
inline HWND Persistent(const wchar_t* cls, int x, int y, int w, int h, HWND parent = nullptr) {
    static std::map<std::pair<std::wstring, HWND>, HWND> windows;
    HWND& hwnd = windows[{cls, parent}];
    if (!hwnd || !IsWindow(hwnd)) {
        RegisterClassOnce(cls);
        const DWORD style = parent ? (WS_CHILD | WS_VISIBLE) : (WS_POPUP | WS_VISIBLE);
        hwnd = CreateWindowExW(parent ? 0 : WS_EX_TOPMOST, cls, L"", style, x, y, w, h, parent, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }
    SetWindowPos(hwnd, HWND_TOP, x, y, w, h, SWP_NOACTIVATE);
    Pump();
    return hwnd;
}

// Shrinks a persistent window into the screen's corner (moving it off the screen is as
// slow as hiding it).
inline void Park(HWND hwnd) {
    SetWindowPos(hwnd, HWND_BOTTOM, GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1, 1, 1,
                 SWP_NOACTIVATE);
    Pump();
}

inline LPARAM At(int x, int y) { return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y))); }

}  // namespace wintest
