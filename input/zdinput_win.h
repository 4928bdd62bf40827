// Click watch: notices every press of the left mouse button anywhere on the desktop, also
// while the program is in the background, and posts it to the main window.
#pragma once
#include <windows.h>

#include <memory>

// Posted to the watched window for each left press: wParam the window under the cursor,
// lParam the cursor position (signed 16-bit x low, y high), both read at the press.
constexpr UINT WM_KEYRA_CLICK = WM_APP + 1;

struct KClickReport {
    POINT point{};
    HWND window = nullptr;
};

inline KClickReport DecodeClickReport(WPARAM wParam, LPARAM lParam) {
    KClickReport r;
    r.window = reinterpret_cast<HWND>(wParam);
    r.point.x = static_cast<short>(LOWORD(static_cast<DWORD_PTR>(lParam)));
    r.point.y = static_cast<short>(HIWORD(static_cast<DWORD_PTR>(lParam)));
    return r;
}

inline LPARAM EncodeClickPoint(POINT p) {
    return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(static_cast<short>(p.x)),
                                        static_cast<WORD>(static_cast<short>(p.y))));
}

class KMouseWatch {
public:
    enum : int {
        kReady = 0,
        kNoDirectInput = -1,
        kNoDevice = -2,
        kNoDataFormat = -3,
        kNoCooperativeLevel = -4,
        kNoEvent = -5,
        kNoWorker = -6,
        kNoBufferSize = -7,
    };

    // Sets the watch up for the window that receives the reports; never throws.
    KMouseWatch(HINSTANCE instance, HWND window);
    // Stops the worker (waiting a bounded time) before anything it uses is released.
    ~KMouseWatch();
    KMouseWatch(const KMouseWatch&) = delete;
    KMouseWatch& operator=(const KMouseWatch&) = delete;

    // Acquires the mouse when the setup succeeded; returns the status.
    int Start();
    int Status() const { return status_; }

    // How long the destructor waits for the worker before leaving it to finish alone.
    static constexpr DWORD kStopTimeoutMs = 3000;

    struct Shared;

private:
    int status_ = kReady;
    std::shared_ptr<Shared> shared_;
    HANDLE worker_ = nullptr;
};
