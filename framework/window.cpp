#include "framework/window.h"

#include <cwchar>
#include <iterator>

#include "framework/controls.h"
#include "core/kerror.h"

namespace kf {

namespace {
constexpr wchar_t kUnexpected[] =
    L"予期しないエラーが起きました。もう一度操作してください。続くときは、Keyra を終了してから起動し直してください。";

std::wstring& CaptionStore() {
    static std::wstring caption = L"Keyra";
    return caption;
}
}  // namespace

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

void RegisterWindowClass(const wchar_t* className, UINT style, HBRUSH background, HICON icon, HCURSOR cursor) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(Instance(), className, &existing)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = Window::Proc;
    wc.hInstance = Instance();
    wc.hIcon = icon;
    wc.hIconSm = icon;
    wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
}

Window::~Window() { Destroy(); }

HWND Window::Create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y,
                    int width, int height, HWND parent, HMENU menuOrId) {
    return CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menuOrId, Instance(), this);
}

void Window::Unbind() {
    if (hwnd_ && FromHandle(hwnd_) == this) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
}

void Window::Destroy() {
    // Unbound first: WM_DESTROY and WM_NCDESTROY then go to DefWindowProc, not to an object
    // whose derived part may already be gone.
    HWND h = hwnd_;
    Unbind();
    if (h && IsWindow(h)) DestroyWindow(h);
}

Window* Window::FromHandle(HWND hwnd) {
    return hwnd ? reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)) : nullptr;
}

void Window::OnException(const std::exception& e) { ShowError(hwnd_, e); }

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<Window*>(cs->lpCreateParams);
        if (self) {
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    } else {
        self = FromHandle(hwnd);
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);

    LRESULT result = 0;
    bool handled = false;
    // Exceptions must not unwind through the system's frames: show them here, as the
    // framework's standard error display would, and carry on.
    try {
        // Notifications of standard controls go to the control's own object.
        handled = ReflectToControl(msg, wParam, lParam, result) || self->OnMessage(msg, wParam, lParam, result);
    } catch (const std::exception& e) {
        if (FromHandle(hwnd) == self) self->OnException(e);
        else ShowError(nullptr, e);
        handled = false;
    } catch (...) {
        KError e(u"");
        if (FromHandle(hwnd) == self) self->OnException(e);
        else ShowError(nullptr, e);
        handled = false;
    }
    // The handler may have freed the object: touch it only while it is still bound here.
    if (msg == WM_NCDESTROY && FromHandle(hwnd) == self) self->Unbind();
    return handled ? result : DefWindowProcW(hwnd, msg, wParam, lParam);
}

void SetMessageCaption(const std::wstring& caption) { CaptionStore() = caption; }
const std::wstring& MessageCaption() { return CaptionStore(); }

void ShowMessage(HWND owner, const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), CaptionStore().c_str(), MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
}

void ShowWarning(HWND owner, const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), CaptionStore().c_str(), MB_OK | MB_ICONWARNING | MB_TASKMODAL | MB_SETFOREGROUND);
}

bool AskYesNo(HWND owner, const std::wstring& text) {
    return MessageBoxW(owner, text.c_str(), CaptionStore().c_str(),
                       MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING | MB_TASKMODAL | MB_SETFOREGROUND) == IDYES;
}

bool AskYesNoYesFirst(HWND owner, const std::wstring& text) {
    return MessageBoxW(owner, text.c_str(), CaptionStore().c_str(),
                       MB_YESNO | MB_DEFBUTTON1 | MB_ICONQUESTION | MB_TASKMODAL | MB_SETFOREGROUND) == IDYES;
}

std::wstring ErrorText(const std::exception& e) {
    if (auto* k = dynamic_cast<const KError*>(&e)) {
        const auto& m = k->Message();
        if (m.empty()) return kUnexpected;
        return std::wstring(m.begin(), m.end());
    }
    if (dynamic_cast<const std::bad_alloc*>(&e)) return L"メモリが不足しています。ほかのプログラムを閉じてから、もう一度操作してください。";
    // Never the runtime's own text: it is English, and says nothing the user can act on.
    return kUnexpected;
}

std::function<void(HWND, const std::exception&)> ErrorHandler = [](HWND owner, const std::exception& e) {
    MessageBoxW(owner, ErrorText(e).c_str(), CaptionStore().c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
};

void ShowError(HWND owner, const std::exception& e) {
    if (ErrorHandler) ErrorHandler(owner, e);
}

namespace {
unsigned dialogCancels = 0;

BOOL CALLBACK CancelDialog(HWND window, LPARAM) {
    wchar_t cls[8] = {};
    // The dialog class, the common dialogs' and the message boxes' alike.
    if (GetClassNameW(window, cls, static_cast<int>(std::size(cls))) != 6 || std::wcscmp(cls, L"#32770") != 0)
        return TRUE;
    const int button = GetDlgItem(window, IDCANCEL) ? IDCANCEL : GetDlgItem(window, IDNO) ? IDNO : 0;
    if (button)
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
    return TRUE;
}
}  // namespace

void CancelOpenDialogs() {
    ++dialogCancels;
    EndMenu();
    EnumThreadWindows(GetCurrentThreadId(), CancelDialog, 0);
}

unsigned DialogCancels() { return dialogCancels; }

void SurfaceDrag::Press(HWND w) {
    GetCursorPos(&press_);
    RECT rc;
    GetWindowRect(w, &rc);
    origin_ = {rc.left, rc.top};
    active_ = true;
    SetCapture(w);
}

void SurfaceDrag::Follow(HWND w) {
    if (!active_) return;
    POINT cursor;
    GetCursorPos(&cursor);
    SetWindowPos(w, nullptr, origin_.x + cursor.x - press_.x, origin_.y + cursor.y - press_.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SurfaceDrag::Release(HWND w) {
    if (!active_) return;
    Follow(w);
    ReleaseCapture();  // WM_CAPTURECHANGED ends the drag
}

bool SurfaceDrag::End(bool& moved) {
    if (!active_) return false;
    active_ = false;
    POINT cursor;
    GetCursorPos(&cursor);
    moved = cursor.x != press_.x || cursor.y != press_.y;
    return true;
}

void KeepTopOnScreen(HWND w) {
    RECT rc;
    if (GetWindowRect(w, &rc) && rc.top < 0)
        SetWindowPos(w, nullptr, rc.left, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

int RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

MenuItem* PopupMenu::Find(int tag) {
    for (auto& item : items)
        if (item.tag == tag) return &item;
    return nullptr;
}

int PopupMenu::Show(HWND owner, POINT screen) const {
    HMENU menu = CreatePopupMenu();
    if (!menu) return 0;
    int shown = 0;
    for (const auto& item : items) {
        if (!item.visible) continue;
        ++shown;
        if (item.caption == L"-") {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::wstring text = item.caption;
        if (!item.shortcut.empty()) text += L"\t" + item.shortcut;
        UINT flags = MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED) | (item.checked ? MF_CHECKED : 0);
        AppendMenuW(menu, flags, static_cast<UINT_PTR>(item.tag), text.c_str());
    }
    int tag = 0;
    if (shown > 0) {
        // The owner must be foreground for the menu to close when the user clicks elsewhere.
        SetForegroundWindow(owner);
        tag = static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x,
                                              screen.y, 0, owner, nullptr));
        PostMessageW(owner, WM_NULL, 0, 0);
    }
    DestroyMenu(menu);
    return tag;
}

}  // namespace kf
