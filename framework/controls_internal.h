// What the control files share and nobody else needs.
#pragma once
#include <windows.h>

#include <string>

#include "framework/syslib.h"

namespace kf::detail {

std::u16string WindowTextOf(HWND hwnd);
inline DWORD VisibleStyle(bool visible) { return visible ? WS_VISIBLE : 0; }
// The common dialogs, loaded at the first dialog rather than at start.
const SystemLibrary& CommonDialogs();

}  // namespace kf::detail
