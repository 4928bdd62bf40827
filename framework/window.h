// The thin window layer: class registration, one window procedure that dispatches to the
// object behind the handle, message boxes, message pumping and popup menus with tags.
#pragma once
#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace kf {

HINSTANCE Instance();

// Registers a window class once per process; later calls with the same name do nothing.
void RegisterWindowClass(const wchar_t* className, UINT style = CS_DBLCLKS, HBRUSH background = nullptr,
                         HICON icon = nullptr, HCURSOR cursor = nullptr);

// Base of the program's own top-level and child windows: the one way an object is bound to a
// window. Freeing the object first unbinds it, then destroys the handle, so the messages of
// the destruction never reach a half-destroyed object. An object may free itself from one of
// its own handlers.
class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y,
                int width, int height, HWND parent = nullptr, HMENU menuOrId = nullptr);
    HWND Handle() const { return hwnd_; }
    // Destroys the handle; the object stays usable (and unbound).
    void Destroy();

    static Window* FromHandle(HWND hwnd);
    // The one procedure of every class registered here.
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    // Return true when handled, with the result in `result`; otherwise DefWindowProc runs.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    // An exception escaped a handler; the standard error display by default.
    virtual void OnException(const std::exception& e);

private:
    void Unbind();
    HWND hwnd_ = nullptr;
};

// Caption of every message box the program shows.
void SetMessageCaption(const std::wstring& caption);
const std::wstring& MessageCaption();
// A short message with an OK button.
void ShowMessage(HWND owner, const std::wstring& text);
// A warning with an OK button.
void ShowWarning(HWND owner, const std::wstring& text);
// A destructive question: Yes and No, No being the default. True for Yes.
bool AskYesNo(HWND owner, const std::wstring& text);
// A question whose safe answer is Yes, the default.
bool AskYesNoYesFirst(HWND owner, const std::wstring& text);
// The standard error display: the exception's message in a message box. Tests may replace it.
extern std::function<void(HWND owner, const std::exception& e)> ErrorHandler;
void ShowError(HWND owner, const std::exception& e);
std::wstring ErrorText(const std::exception& e);

// Closes what the program has open over its windows, as a lock must: the open menu ends, and
// every dialog of this thread that can be cancelled (the common dialogs, our own, a question)
// gets its Cancel, or No for a question. What was typed there is dropped. A message with only
// an OK button stays.
void CancelOpenDialogs();
// How many times CancelOpenDialogs has run: a dialog that notes it at its start can refuse a
// confirmation that was already on its way when the lock came.
unsigned DialogCancels();

// Lets every pending message of this thread run (the framework's ProcessMessages).
// Returns false when WM_QUIT was seen; it is posted again for the main loop.
bool PumpMessages();
// Runs the message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();

// Moving a window by its bare surface: the press captures the mouse, moves follow it, the
// release lets go, and the capture's end (WM_CAPTURECHANGED) ends the drag.
class SurfaceDrag {
public:
    void Press(HWND w);
    void Follow(HWND w);   // WM_MOUSEMOVE
    void Release(HWND w);  // WM_LBUTTONUP
    // WM_CAPTURECHANGED: true when a drag ended; `moved` tells whether the cursor left the
    // press point (otherwise the press was a click).
    bool End(bool& moved);
    void Reset() { active_ = false; }

private:
    bool active_ = false;
    POINT press_{};
    POINT origin_{};
};

// Whatever moves a window, its top never stays above the screen.
void KeepTopOnScreen(HWND w);

// Popup menu built from items with tags; Show returns the tag of the chosen item or 0.
struct MenuItem {
    int tag = 0;               // 0 for a separator
    std::wstring caption;      // "-" for a separator
    std::wstring shortcut;     // shown right-aligned, e.g. L"Ctrl+C"
    bool enabled = true;
    bool checked = false;
    bool visible = true;
};
class PopupMenu {
public:
    std::vector<MenuItem> items;
    MenuItem* Find(int tag);
    // Shows the menu at a screen point for `owner` and returns the chosen tag (0: none, and
    // also when no item is visible).
    int Show(HWND owner, POINT screen) const;
};

// Scoped resources.
struct HandleCloser {
    void operator()(HANDLE h) const {
        if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

}  // namespace kf
