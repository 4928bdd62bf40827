#include "framework/dpi.h"

#include "core/kdpi.h"

namespace kf {

namespace {
// user32 is a KnownDLL and already loaded: its newer exports are looked up, never imported,
// so that the program still starts where they are missing.
template <class F>
F* User32Proc(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}
using GetDpiForWindowFn = UINT WINAPI(HWND);
using GetSystemMetricsForDpiFn = int WINAPI(int, UINT);
}  // namespace

int SystemDpi() {
    // Each screen DC costs a server round trip under Wine, and every button asks.
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        const int d = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kdpi::kBase;
        if (screen) ReleaseDC(nullptr, screen);
        return kdpi::Usable(d);
    }();
    return dpi;
}

int WindowDpi(HWND hwnd) {
    static GetDpiForWindowFn* const get = User32Proc<GetDpiForWindowFn>("GetDpiForWindow");
    if (get && hwnd) {
        const UINT d = get(hwnd);
        if (d > 0) return static_cast<int>(d);
    }
    return SystemDpi();
}

int SystemMetricAt(int index, int dpi) {
    static GetSystemMetricsForDpiFn* const get = User32Proc<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (get) return get(index, static_cast<UINT>(kdpi::Usable(dpi)));
    return kdpi::MulDivRound(GetSystemMetrics(index), kdpi::Usable(dpi), SystemDpi());
}

}  // namespace kf
