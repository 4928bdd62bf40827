// The HTML Help viewer, from System32 only (hhctrl.ocx is no KnownDLL), loaded at its first use.
#pragma once
#include <windows.h>

#include <memory>

#include "framework/syslib.h"

namespace kf {

class HelpViewer {
public:
    HelpViewer() = default;
    // Closes the viewer's windows before the library goes.
    ~HelpViewer();
    HelpViewer(const HelpViewer&) = delete;
    HelpViewer& operator=(const HelpViewer&) = delete;

    // The table of contents of the help file `path`; false, and nothing shown, when the viewer
    // cannot be loaded.
    bool ShowContents(HWND owner, const wchar_t* path);

private:
    using HtmlHelpFn = HWND WINAPI(HWND, LPCWSTR, UINT, DWORD_PTR);
    std::unique_ptr<SystemLibrary> library_;
    HtmlHelpFn* htmlHelp_ = nullptr;
};

}  // namespace kf
