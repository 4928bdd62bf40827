// The HTML Help viewer, from System32 only (hhctrl.ocx is no KnownDLL), loaded at its first use.
#pragma once
#include <windows.h>

#include <memory>

#include "framework/syslib.h"

namespace kf {

class HelpViewer {
public:
    using HtmlHelpFn = HWND WINAPI(HWND, LPCWSTR, UINT, DWORD_PTR);

    HelpViewer() = default;
    // A viewer that calls `htmlHelp` instead of the library's entry (tests).
    explicit HelpViewer(HtmlHelpFn* htmlHelp) : htmlHelp_(htmlHelp) {}
    // Closes the viewer's windows before the library goes.
    ~HelpViewer();
    HelpViewer(const HelpViewer&) = delete;
    HelpViewer& operator=(const HelpViewer&) = delete;

    // The table of contents of the help file `path`; false, and nothing shown, when the viewer
    // cannot be loaded.
    bool ShowContents(HWND owner, const wchar_t* path);
    // The page `page` (a file name inside the help file, "options.html") of the help file `path`.
    bool ShowTopic(HWND owner, const wchar_t* path, const wchar_t* page);

private:
    bool Load();

    std::unique_ptr<SystemLibrary> library_;
    HtmlHelpFn* htmlHelp_ = nullptr;
};

}  // namespace kf
