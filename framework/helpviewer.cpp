#include "framework/helpviewer.h"

#include <htmlhelp.h>

#include <string>

namespace kf {

HelpViewer::~HelpViewer() {
    if (htmlHelp_) htmlHelp_(nullptr, nullptr, HH_CLOSE_ALL, 0);
}

bool HelpViewer::Load() {
    if (!htmlHelp_ && !library_) {
        library_ = std::make_unique<SystemLibrary>(L"hhctrl.ocx");
        htmlHelp_ = library_->Proc<HtmlHelpFn>("HtmlHelpW");
    }
    return htmlHelp_ != nullptr;
}

bool HelpViewer::ShowContents(HWND owner, const wchar_t* path) {
    if (!Load()) return false;
    htmlHelp_(owner, path, HH_DISPLAY_TOC, 0);
    return true;
}

bool HelpViewer::ShowTopic(HWND owner, const wchar_t* path, const wchar_t* page) {
    if (!Load()) return false;
    // "file.chm::/page.html": the page inside that file.
    const std::wstring topic = std::wstring(path) + L"::/" + page;
    htmlHelp_(owner, topic.c_str(), HH_DISPLAY_TOPIC, 0);
    return true;
}

}  // namespace kf
