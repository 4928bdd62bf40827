#include "framework/helpviewer.h"

#include <gtest/gtest.h>
#include <htmlhelp.h>

#include <string>
#include <vector>

namespace {

struct Call {
    std::wstring file;
    UINT command;
};
std::vector<Call> g_calls;

HWND WINAPI FakeHtmlHelp(HWND, LPCWSTR file, UINT command, DWORD_PTR) {
    g_calls.push_back({file ? file : L"", command});
    return nullptr;
}

// A window's help opens its own page inside the file, the menu's the contents; closing the
// viewer closes what it opened.
TEST(HelpViewer, PagesAreTopicsOfTheFileAndTheMenuShowsTheContents) {
    g_calls.clear();
    {
        kf::HelpViewer viewer(&FakeHtmlHelp);
        EXPECT_TRUE(viewer.ShowTopic(nullptr, L"C:\\Keyra 2\\keyra.chm", L"options.html"));
        EXPECT_TRUE(viewer.ShowContents(nullptr, L"C:\\Keyra 2\\keyra.chm"));
    }
    ASSERT_EQ(g_calls.size(), 3u);
    EXPECT_EQ(g_calls[0].command, static_cast<UINT>(HH_DISPLAY_TOPIC));
    EXPECT_EQ(g_calls[0].file, L"C:\\Keyra 2\\keyra.chm::/options.html");
    EXPECT_EQ(g_calls[1].command, static_cast<UINT>(HH_DISPLAY_TOC));
    EXPECT_EQ(g_calls[1].file, L"C:\\Keyra 2\\keyra.chm");
    EXPECT_EQ(g_calls[2].command, static_cast<UINT>(HH_CLOSE_ALL));
}

}  // namespace
