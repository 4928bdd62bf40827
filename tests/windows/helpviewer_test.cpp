#include "framework/helpviewer.h"

#include <gtest/gtest.h>
#include <htmlhelp.h>

#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::pair<UINT, std::wstring>> g_calls;

HWND WINAPI FakeHtmlHelp(HWND, LPCWSTR file, UINT command, DWORD_PTR) {
    g_calls.emplace_back(command, file ? file : L"");
    return nullptr;
}

// A window's help opens its own page inside the file, the menu's the contents; the viewer's
// end closes what it opened.
TEST(HelpViewer, PagesAreTopicsOfTheFileAndTheMenuShowsTheContents) {
    g_calls.clear();
    {
        kf::HelpViewer viewer(&FakeHtmlHelp);
        EXPECT_TRUE(viewer.ShowTopic(nullptr, L"C:\\Keyra 2\\keyra.chm", L"options.html"));
        EXPECT_TRUE(viewer.ShowContents(nullptr, L"C:\\Keyra 2\\keyra.chm"));
    }
    const decltype(g_calls) expected = {{HH_DISPLAY_TOPIC, L"C:\\Keyra 2\\keyra.chm::/options.html"},
                                        {HH_DISPLAY_TOC, L"C:\\Keyra 2\\keyra.chm"},
                                        {HH_CLOSE_ALL, L""}};
    EXPECT_EQ(g_calls, expected);
}

}  // namespace
