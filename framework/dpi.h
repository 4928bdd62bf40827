// The DPI a window is shown at. Keyra declares itself per-monitor aware: every layout is made
// in 96-DPI units and scaled by this (core/kdpi.h).
#pragma once
#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace kf {

// The system's DPI (the screen DC's), fixed for the life of the process; asked once.
int SystemDpi();
// GetDpiForWindow where the system has it (Windows 10 1607 on); else, and for no window, the
// system DPI (Windows 7 and 8.1, older Wine).
int WindowDpi(HWND hwnd);
// A system metric at `dpi`: GetSystemMetricsForDpi where there is one, else the system
// DPI's value scaled.
int SystemMetricAt(int index, int dpi);

}  // namespace kf
