#include "ui/mainwindow_win.h"

#include "framework/kstr.h"
#include "resources/resource.h"
#include "storage/kerror.h"
#include "storage/kini.h"

namespace {
constexpr wchar_t kClassName[] = L"TFKeyra";
constexpr int kInitialWidth = 200;
constexpr int kInitialHeight = 400;
}  // namespace

TFKeyra::TFKeyra() = default;

TFKeyra::~TFKeyra() { ReleaseAll(); }

bool TFKeyra::Start() {
    kf::RegisterWindowClass(kClassName, 0, nullptr, LoadIconW(kf::Instance(), MAKEINTRESOURCEW(IDI_KEYRA)));
    // Borderless and always on top; the caption bits are removed on purpose.
    HWND hwnd = Create(kClassName, L"Keyra", WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, WS_EX_TOPMOST,
                       left_, top_, kInitialWidth, kInitialHeight);
    if (!hwnd) return false;
    SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CAPTION));
    if (!FormCreate()) {
        Destroy();
        return false;
    }
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    return true;
}

bool TFKeyra::FormCreate() {
    engine_ = std::make_unique<KEngine>();
    wchar_t path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    engine_->SetExecutablePath(U(path, n));
    engine_->ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    engine_->ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (engine_->CaptionFromBaseName()) SetWindowTextW(Handle(), W(engine_->BaseName));
    table_ = std::make_unique<KIdTable>();

    bool loaded = false;
    try {
        loaded = engine_->LoadAll(*table_, *this);
    } catch (const std::exception& e) {
        // A file we could not read must never be saved over from a half-loaded state.
        kf::ShowError(Handle(), e);
        loaded = false;
    }
    if (!loaded) {
        kf::ShowMessage(Handle(), L"Keyra を終了します");
        ReleaseAll();
        return false;
    }
    MoveWindow(Handle(), left_, top_, kInitialWidth, kInitialHeight, FALSE);
    return true;
}

void TFKeyra::FormActivate() {
    if (activated_ || !engine_) return;
    activated_ = 1;
}

bool TFKeyra::FormClose() {
    if (!engine_) return true;
    try {
        engine_->SaveAll(*table_, *this);
    } catch (const std::exception& e) {
        // The old file is still intact and everything is in memory: stay open so the user can retry.
        kf::ShowError(Handle(), e);
        return false;
    }
    ReleaseAll();
    return true;
}

void TFKeyra::EndSession() {
    if (!engine_) return;
    try {
        engine_->SaveAll(*table_, *this);
    } catch (const std::exception& e) {
        kf::ShowError(Handle(), e);
    }
}

void TFKeyra::ReleaseAll() {
    engine_.reset();
    table_.reset();
}

void TFKeyra::FormPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    RECT rc;
    GetClientRect(Handle(), &rc);
    HBRUSH brush = CreateSolidBrush(paintColor_);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    EndPaint(Handle(), &ps);
}

bool TFKeyra::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
        case WM_PAINT:
            FormPaint();
            result = 0;
            return true;
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) FormActivate();
            return false;
        case WM_CLOSE:
            if (closing_) return true;
            closing_ = 1;
            if (FormClose()) {
                DestroyWindow(Handle());
            }
            closing_ = 0;
            result = 0;
            return true;
        case WM_ENDSESSION:
            EndSession();
            result = 0;
            return true;
        case WM_DESTROY:
            PostQuitMessage(0);
            result = 0;
            return true;
        default:
            return false;
    }
}

int TFKeyra::WindowTop() {
    RECT rc;
    return GetWindowRect(Handle(), &rc) ? rc.top : top_;
}

int TFKeyra::WindowLeft() {
    RECT rc;
    return GetWindowRect(Handle(), &rc) ? rc.left : left_;
}

void TFKeyra::SetWindowTopLeft(int top, int left) {
    top_ = top;
    left_ = left;
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFKeyra::ScreenSize(int& width, int& height) {
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
}

void TFKeyra::SetPaintColor(std::int32_t color) { paintColor_ = static_cast<COLORREF>(color); }

void TFKeyra::MaskPassword() {}

// Until the generator window exists its lines ($Top, $Left, #..., $SYMBOL, $NUMBER) are
// carried over unchanged, so a save does not drop the user's word lists.
void TFKeyra::LoadGeneratorData(KIni& doc) {
    generatorLines_.clear();
    for (int i = 0; i < doc.LineCount(); ++i) {
        const std::u16string name = doc.LineName(i);
        if (!name.empty() && (name[0] == u'$' || name[0] == u'#')) generatorLines_.push_back(doc.Line(i));
    }
}

void TFKeyra::SaveGeneratorData(KIni& doc) {
    for (const auto& line : generatorLines_) doc.AppendLine(line);
}

void TFKeyra::ShowMessage(const std::u16string& text) { kf::ShowMessage(Handle(), W(text)); }
