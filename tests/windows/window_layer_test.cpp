// The window layer: binding and freeing window objects, the control wrappers reached
// through their parent's forwarding, and the help viewer.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/controls.h"
#include "framework/helpviewer.h"
#include "framework/window.h"
#include "generator/wordlists.h"
#include "tests/windows/win_host.h"

#include <htmlhelp.h>

using wintest::Pump;

namespace {

// Counts the messages that reach it after its own destructor has begun: with the link cleared
// first there are none (otherwise WM_DESTROY would reach a half-destroyed object).
struct Probe : kf::Window {
    static int late;
    bool dying = false;
    std::function<void()> onApp;
    Probe(HWND parent = nullptr) {
        kf::RegisterWindowClass(L"KeyraLayerProbe", 0);
        Create(L"KeyraLayerProbe", L"", parent ? WS_CHILD | WS_VISIBLE : WS_POPUP, 0, 0, 0, 50, 50, parent);
    }
    ~Probe() override { dying = true; }
    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (dying) ++late;
        if (msg == WM_APP && onApp) {
            onApp();  // may free this object
            result = 7;
            return true;
        }
        return false;
    }
};
int Probe::late = 0;

HWND Host() { return wintest::Persistent(L"KeyraTestHost", 40, 40, 400, 300); }

// Leaves the shared host parked, as every window test does, so later tests see the desktop.
struct Parked {
    ~Parked() { wintest::Park(Host()); }
};

}  // namespace

TEST(WindowLifetime, FreeingALiveObjectAndAnObjectThatFreesItselfFromItsHandler) {
    Probe::late = 0;
    auto parent = std::make_unique<Probe>();
    auto child = std::make_unique<Probe>(parent->Handle());
    HWND p = parent->Handle(), c = child->Handle();
    ASSERT_TRUE(IsWindow(p) && IsWindow(c));
    EXPECT_EQ(kf::Window::FromHandle(c), child.get());

    // The parent goes first: its child window goes with it, the child object stays usable.
    parent.reset();
    Pump();
    EXPECT_FALSE(IsWindow(p));
    EXPECT_FALSE(IsWindow(c));
    EXPECT_EQ(child->Handle(), nullptr);
    child.reset();

    auto* self = new Probe();
    HWND h = self->Handle();
    self->onApp = [self] { delete self; };
    EXPECT_EQ(SendMessageW(h, WM_APP, 0, 0), 7);
    Pump();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(Probe::late, 0);
}

namespace {
// A parent of our own: its procedure forwards the controls' notifications.
struct Parent : Probe {};
}  // namespace

TEST(Controls, NotificationsReachTheControlThroughItsParent) {
    Parent parent;
    int changes = 0, clicks = 0;
    kf::EditArgs ea;
    ea.parent = parent.Handle();
    ea.bounds = {0, 0, 100, 20};
    ea.digitsOnly = true;
    ea.maxLength = 4;
    ea.onTextChanged = [&] { ++changes; };
    kf::Edit edit(ea);
    edit.SetText(u"12");  // a change by the program is a change too
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(edit.Text(), u"12");
    EXPECT_EQ(kf::Control::FromHandle(edit.Handle()), &edit);

    kf::CheckBoxArgs ca;
    ca.parent = parent.Handle();
    ca.bounds = {0, 30, 100, 20};
    ca.text = u"box";
    bool seen = false;
    kf::CheckBox* boxPtr = nullptr;
    ca.onClicked = [&] {
        ++clicks;
        seen = boxPtr->Checked();
    };
    kf::CheckBox box(ca);
    boxPtr = &box;
    box.SetChecked(true);  // set by the program: no click
    EXPECT_EQ(clicks, 0);
    box.SetChecked(false);
    SendMessageW(box.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(seen);
}

TEST(Controls, BindingEndsWithTheWindowOrTheObjectWhicheverGoesFirst) {
    auto parent = std::make_unique<Parent>();
    int typed = 0;
    kf::EditArgs ea;
    ea.parent = parent->Handle();
    ea.bounds = {0, 0, 100, 20};
    ea.onKeyTyped = [&](wchar_t) { return ++typed, true; };
    // A tooltip's subclass stacked over ours, then the object freed first.
    auto hinted = std::make_unique<kf::Edit>(ea);
    hinted->SetHint(u"hint", true);
    HWND h = hinted->Handle();
    SendMessageW(h, WM_CHAR, L'x', 0);
    EXPECT_TRUE(typed == 1 && hinted->Text() == u"x");
    hinted.reset();
    EXPECT_TRUE(!IsWindow(h) && !kf::Control::FromHandle(h));
    // The parent first: the control's window goes with it and the object lets go of it.
    kf::Edit orphan(ea);
    HWND o = orphan.Handle();
    EXPECT_EQ(kf::Control::FromHandle(o), &orphan);
    parent.reset();
    Pump();
    EXPECT_TRUE(!IsWindow(o) && !orphan.Handle() && !kf::Control::FromHandle(o));
}

TEST(Controls, KeyFiltersDropTypedCharacters) {
    Parent parent;
    kf::EditArgs ea;
    ea.parent = parent.Handle();
    ea.bounds = {0, 0, 100, 20};
    ea.onKeyTyped = [](wchar_t ch) { return ch >= L'0' && ch <= L'9'; };
    kf::Edit edit(ea);
    for (wchar_t ch : {L'4', L'x', L'2', L'-'}) SendMessageW(edit.Handle(), WM_CHAR, ch, 0);
    EXPECT_EQ(edit.Text(), u"42");

    kf::ComboBoxArgs cb;
    cb.parent = parent.Handle();
    cb.bounds = {0, 30, 100, 20};
    cb.onKeyTyped = ea.onKeyTyped;
    kf::ComboBox combo(cb);
    ASSERT_NE(combo.EditPart(), nullptr);
    for (wchar_t ch : {L'1', L'a', L'6'}) SendMessageW(combo.EditPart(), WM_CHAR, ch, 0);
    EXPECT_EQ(combo.Text(), u"16");
}

TEST(Controls, SortedComboKeepsItsTextApartFromItsList) {
    Parent parent;
    int changes = 0;
    kf::ComboBoxArgs cb;
    cb.parent = parent.Handle();
    cb.bounds = {0, 0, 100, 20};
    cb.sorted = true;
    cb.items = {u"pear", u"apple", u"fig"};
    kf::ComboBox* self = nullptr;
    std::u16string textAtChange;
    cb.onChange = [&] {
        ++changes;
        textAtChange = self->Text();
    };
    kf::ComboBox combo(cb);
    self = &combo;
    EXPECT_EQ(combo.Items(), (std::vector<std::u16string>{u"apple", u"fig", u"pear"}));
    combo.SetText(u"typed");
    combo.AddItem(u"Apple");
    EXPECT_EQ(combo.IndexOf(u"Apple") == combo.IndexOf(u"apple"), false);  // exact comparison
    combo.ClearItems();
    EXPECT_EQ(combo.ItemCount(), 0);
    EXPECT_EQ(combo.Text(), u"typed");
    EXPECT_EQ(changes, 0);

    // A pick from the list: the handler already sees the picked text.
    combo.SetItems({u"8", u"10"});
    combo.Select(1);
    SendMessageW(parent.Handle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo.Handle()));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(textAtChange, u"8");
}

// The generator keeps its lists without the window until the first opening: the order it
// saves then must be the one the real box gives, ties of letter case included.
TEST(Controls, SortedInsertPosPutsItemsWhereASortedComboDoes) {
    Parent parent;
    const std::vector<std::vector<std::u16string>> cases = {
        {u"pear", u"apple", u"fig"},
        {u"a", u"A", u"b", u"a", u"B", u"A"},
        {u"0913", u"#", u"$", u"?", u"@", u"!", u"10", u"9", u"99"},
        {u"いぬ", u"ネコ", u"犬", u"abc", u"ABC", u"ａｂｃ", u""},
        {u"z", u"y", u"x", u"Y", u"Z", u"X", u"z", u"y"},
    };
    for (const auto& added : cases) {
        kf::ComboBoxArgs cb;
        cb.parent = parent.Handle();
        cb.bounds = {0, 0, 100, 20};
        cb.sorted = true;
        kf::ComboBox combo(cb);
        std::vector<std::u16string> replayed;
        for (const auto& item : added) {
            combo.AddItem(item);
            replayed.insert(replayed.begin() + static_cast<std::ptrdiff_t>(SortedInsertPos(replayed, item)), item);
        }
        EXPECT_EQ(replayed, combo.Items()) << "items added: " << added.size();
    }
}

TEST(Controls, LabelsOnAPanelTakeThePanelsColour) {
    Parked parked;
    kf::Panel panel({Host(), {0, 0, 200, 100}, RGB(0xEC, 0xE9, 0xD8), true});
    kf::Label label({panel.Handle(), {4, 4, 80, 16}, u"text"});
    HDC dc = GetDC(label.Handle());
    const LRESULT brush =
        SendMessageW(panel.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label.Handle()));
    EXPECT_NE(brush, 0);
    EXPECT_EQ(GetBkColor(dc), RGB(0xEC, 0xE9, 0xD8));
    ReleaseDC(label.Handle(), dc);
    panel.SetColor(RGB(1, 2, 3));
    dc = GetDC(label.Handle());
    SendMessageW(panel.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label.Handle()));
    EXPECT_EQ(GetBkColor(dc), RGB(1, 2, 3));
    ReleaseDC(label.Handle(), dc);
}

TEST(Controls, AMenuWithoutVisibleItemsChoosesNothing) {
    Parked parked;
    kf::PopupMenu menu;
    menu.items = {{1, L"コピー(&C)", L"", true, false, false}};
    EXPECT_EQ(menu.Show(Host(), POINT{100, 100}), 0);
}

#include "framework/syslib.h"

namespace {

// What the users of a library rely on when it or one of its exports is missing (the e2e test
// of planted DLLs shows where a library is taken from).
TEST(SystemLibrary, AMissingLibraryOrExportIsNullNeverACrash) {
    kf::SystemLibrary bcrypt(L"bcrypt.dll"), missing(L"keyra-no-such-library.dll");
    EXPECT_NE(bcrypt.Proc<void()>("BCryptGenRandom"), nullptr);
    EXPECT_EQ(bcrypt.Proc<void()>("NoSuchExport"), nullptr);
    EXPECT_FALSE(missing.Loaded());
    EXPECT_EQ(missing.Proc<void()>("BCryptGenRandom"), nullptr);
}

}  // namespace

namespace {
std::vector<std::pair<UINT, std::wstring>> g_helpCalls;
HWND WINAPI FakeHtmlHelp(HWND, LPCWSTR file, UINT command, DWORD_PTR) {
    g_helpCalls.emplace_back(command, file ? file : L"");
    return nullptr;
}
}  // namespace

// A window's help opens its own page inside the file, the menu's the contents; the viewer's
// end closes what it opened.
TEST(HelpViewer, PagesAreTopicsOfTheFileAndTheMenuShowsTheContents) {
    g_helpCalls.clear();
    {
        kf::HelpViewer viewer(&FakeHtmlHelp);
        EXPECT_TRUE(viewer.ShowTopic(nullptr, L"C:\\Keyra 2\\keyra.chm", L"options.html"));
        EXPECT_TRUE(viewer.ShowContents(nullptr, L"C:\\Keyra 2\\keyra.chm"));
    }
    const decltype(g_helpCalls) expected = {{HH_DISPLAY_TOPIC, L"C:\\Keyra 2\\keyra.chm::/options.html"},
                                            {HH_DISPLAY_TOC, L"C:\\Keyra 2\\keyra.chm"},
                                            {HH_CLOSE_ALL, L""}};
    EXPECT_EQ(g_helpCalls, expected);
}
