#include "framework/helpviewer.h"

#include <htmlhelp.h>

namespace kf {

HelpViewer::~HelpViewer() {
    if (htmlHelp_) htmlHelp_(nullptr, nullptr, HH_CLOSE_ALL, 0);
}

bool HelpViewer::ShowContents(HWND owner, const wchar_t* path) {
    if (!library_) {
        library_ = std::make_unique<SystemLibrary>(L"hhctrl.ocx");
        htmlHelp_ = library_->Proc<HtmlHelpFn>("HtmlHelpW");
    }
    if (!htmlHelp_) return false;
    htmlHelp_(owner, path, HH_DISPLAY_TOC, 0);
    return true;
}

}  // namespace kf
