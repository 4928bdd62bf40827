// Thin wrappers over the standard controls. Each is created from an argument struct whose
// handler fields are set before creation; the parent's window procedure (kf::Window::Proc)
// forwards WM_COMMAND and WM_CTLCOLOR* to the control's object, so no window switches on
// control ids. Extra handling of a standard control's own messages goes through one
// subclassing helper (Control::Attach).
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/window.h"

namespace kf {

// Forwards a parent's WM_COMMAND / WM_CTLCOLOR* to the control it names; true when handled.
bool ReflectToControl(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

struct Bounds {
    int x = 0, y = 0, width = 0, height = 0;
};

// No colour of our own: the system's (or the parent's) is used.
constexpr COLORREF kNoColor = CLR_INVALID;

class Control {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    HWND Handle() const { return hwnd_; }
    static Control* FromHandle(HWND hwnd);

    void SetBounds(int x, int y, int width, int height);
    RECT BoundsInParent() const;
    void SetVisible(bool visible);
    bool Visible() const;
    void SetEnabled(bool enabled);
    bool Enabled() const;
    void SetFont(HFONT font);
    HFONT Font() const { return font_; }
    std::u16string Text() const;
    void SetText(const std::u16string& text);
    void Focus();
    bool HasFocus() const;
    void SetParent(HWND parent);
    void BringToFront();

    // Colours used when the control paints (through the parent's WM_CTLCOLOR*).
    void SetTextColor(COLORREF color);
    COLORREF TextColor() const { return textColor_; }
    void SetBackColor(COLORREF color);
    COLORREF BackColor() const { return backColor_; }

    // Reflected from the parent.
    virtual void OnCommand(int code) {}
    bool OnCtlColor(HDC dc, LRESULT& brush);

protected:
    // Creates the window and binds this object to it (subclassed).
    HWND CreateControl(const wchar_t* className, const std::u16string& text, DWORD style, DWORD exStyle,
                       HWND parent, const Bounds& b, HFONT font);
    // Binds this object to another window too (a combo box's edit part).
    void Attach(HWND hwnd);
    // Messages of the control itself; true when handled.
    virtual bool OnControlMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return false;
    }
    // A key typed (WM_CHAR) into the control: false drops it.
    std::function<bool(wchar_t ch)> keyFilter_;
    std::function<void()> clicked_;
    std::function<bool(UINT vk)> keyDown_;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    std::vector<HWND> attached_;
    HFONT font_ = nullptr;
    COLORREF textColor_ = kNoColor;
    COLORREF backColor_ = kNoColor;
    HBRUSH brush_ = nullptr;
};

// ---- label ----
struct LabelArgs {
    HWND parent = nullptr;
    Bounds bounds;
    std::u16string text;
    HFONT font = nullptr;
    COLORREF textColor = kNoColor;
    COLORREF backColor = kNoColor;  // kNoColor: the parent's background shows through
    bool visible = true;
    std::function<void()> onClicked;
};
class Label : public Control {
public:
    explicit Label(const LabelArgs& args);
    // Resizes to the text in the current font (the framework's auto-size).
    SIZE AutoSize();
    void OnCommand(int code) override;

private:
    std::function<void()> onClicked_;
};

// ---- edit box ----
struct EditArgs {
    HWND parent = nullptr;
    Bounds bounds;
    std::u16string text;
    HFONT font = nullptr;
    bool digitsOnly = false;
    int maxLength = 0;  // 0: no limit of our own
    bool password = false;
    bool multiline = false;  // memo: vertical scroll bar, Return and Tab as text
    bool border = true;
    bool visible = true;
    std::function<void()> onTextChanged;
    // A typed character; false drops it (the digits-only style already drops non-digits).
    std::function<bool(wchar_t ch)> onKeyTyped;
    // WM_KEYDOWN; true when handled (the key then goes no further).
    std::function<bool(UINT vk)> onKeyDown;
    std::function<void()> onClicked;  // a left press into the box
};
class Edit : public Control {
public:
    explicit Edit(const EditArgs& args);
    ~Edit() override;
    void SetPasswordChar(wchar_t ch);  // 0 shows the text
    void SetCaret(int position);       // -1: the end
    // A tooltip; shown only while `show` is true.
    void SetHint(const std::u16string& hint, bool show);
    std::u16string Hint() const { return hint_; }
    bool HintShown() const { return hintShown_; }
    void OnCommand(int code) override;

protected:
    bool OnControlMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    std::function<void()> changed_;
    HWND tip_ = nullptr;
    std::u16string hint_;
    bool hintShown_ = false;
};

// ---- list box ----
struct ListBoxArgs {
    HWND parent = nullptr;
    Bounds bounds;
    HFONT font = nullptr;
    int itemHeight = 0;  // 0: the font's
    bool visible = true;
    std::function<void()> onSelChange;  // by mouse or keyboard
    std::function<bool(UINT vk)> onKeyDown;
    std::function<bool(wchar_t ch)> onKeyTyped;
};
class ListBox : public Control {
public:
    explicit ListBox(const ListBoxArgs& args);
    void SetRows(const std::vector<std::u16string>& rows);
    // Replaces one row, keeping the selection and the scroll position.
    void SetRow(int row, const std::u16string& text);
    std::u16string Row(int row) const;
    int Count() const;
    int Selected() const;  // -1: none
    void Select(int row);
    void SetItemHeight(int height);
    void OnCommand(int code) override;

private:
    std::function<void()> selChange_;
};

// ---- combo box ----
enum class ComboKind { PickOnly, Editable };
struct ComboBoxArgs {
    HWND parent = nullptr;
    Bounds bounds;  // height: of the closed box; the drop-down adds `dropRows` rows
    ComboKind kind = ComboKind::Editable;
    bool sorted = false;
    int dropRows = 20;
    HFONT font = nullptr;
    std::vector<std::u16string> items;
    bool visible = true;
    // Typed text or a picked item; Text() is already the new text.
    std::function<void()> onChange;
    std::function<bool(wchar_t ch)> onKeyTyped;
};
class ComboBox : public Control {
public:
    explicit ComboBox(const ComboBoxArgs& args);
    std::vector<std::u16string> Items() const;
    int ItemCount() const;
    std::u16string Item(int i) const;
    void SetItems(const std::vector<std::u16string>& items);
    int AddItem(const std::u16string& item);  // its index (the sorted place in a sorted box)
    int IndexOf(const std::u16string& item) const;  // exact comparison; -1: none
    void DeleteItem(int i);
    void ClearItems();
    int Selected() const;  // -1: none
    void Select(int i);    // -1: none
    // The edit part's text of an editable box; the picked item's of a pick-only one.
    std::u16string Text() const;
    void SetText(const std::u16string& text);
    void SetDropRows(int rows);
    int DropRows() const { return dropRows_; }
    void SetFont(HFONT font);
    HWND EditPart() const { return edit_; }
    void OnCommand(int code) override;

private:
    void SizeDropDown();
    std::function<void()> change_;
    ComboKind kind_;
    int dropRows_;
    HWND edit_ = nullptr;
};

// ---- check box ----
struct CheckBoxArgs {
    HWND parent = nullptr;
    Bounds bounds;
    std::u16string text;
    HFONT font = nullptr;
    COLORREF backColor = kNoColor;
    bool visible = true;
    std::function<void()> onClicked;  // by the user only; Checked() is already the new state
};
class CheckBox : public Control {
public:
    explicit CheckBox(const CheckBoxArgs& args);
    bool Checked() const;
    void SetChecked(bool checked);  // does not raise onClicked
    void OnCommand(int code) override;

private:
    std::function<void()> onClicked_;
};

// ---- panel: a plain child window that groups controls over a background colour ----
struct PanelArgs {
    HWND parent = nullptr;
    Bounds bounds;
    COLORREF color = RGB(0xEC, 0xE9, 0xD8);
    bool visible = true;
};
class Panel : public Window {
public:
    explicit Panel(const PanelArgs& args);
    ~Panel() override;
    void SetBounds(int x, int y, int width, int height);
    RECT BoundsInParent() const;
    void SetColor(COLORREF color);
    COLORREF Color() const { return color_; }
    void SetVisible(bool visible);
    bool Visible() const;
    void BringToFront();

protected:
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    COLORREF color_;
    HBRUSH brush_ = nullptr;
};

// Registers the common control classes (the tooltips of the hints); false when the library is
// missing.
bool InitCommonControls();

// ---- common dialogs ----
// The colour dialog starting at `color`; true and the choice in `color` when confirmed.
// `custom` holds the dialog's 16 custom colours and keeps the user's changes.
bool PickColor(HWND owner, COLORREF& color, COLORREF (&custom)[16]);
// The file-open dialog; `filter` in the pipe form "Text (*.txt)|*.txt|All (*.*)|*.*".
// Empty when cancelled.
std::u16string PickFileToOpen(HWND owner, const std::u16string& filter);
// The file-save dialog, with `defaultName` in its box and `defaultExt` added to a name typed
// without one; asks before replacing a file. Empty when cancelled.
std::u16string PickFileToSave(HWND owner, const std::u16string& filter, const std::u16string& defaultName,
                              const std::u16string& defaultExt);
// The names of the fonts installed for the screen, sorted, without vertical (@) faces.
std::vector<std::u16string> ScreenFontNames();

}  // namespace kf
