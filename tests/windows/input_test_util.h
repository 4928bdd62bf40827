// Helpers for the input tests that drive real windows: a foreign Notepad to paste into,
// xdotool for real mouse input under Wine, and waiting for a condition with a deadline.
#pragma once
#include <windows.h>

#include <string>

namespace inputtest {

// Pumps this thread's messages while waiting; true as soon as cond() holds.
template <class Cond>
bool WaitFor(Cond cond, DWORD timeoutMs = 5000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (cond()) return true;
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

inline bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

inline std::wstring ExeDir() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path);
    return p.substr(0, p.find_last_of(L"\\/") + 1);
}

// Starts a program; the handle is closed unless wanted.
inline bool Spawn(const std::wstring& commandLine, PROCESS_INFORMATION* out = nullptr) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = commandLine;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    if (out) {
        *out = pi;
    } else {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    return true;
}

// Runs a Windows program to its end; its exit code, or -1.
inline int RunToEnd(const std::wstring& commandLine, DWORD timeoutMs = 15000) {
    PROCESS_INFORMATION pi{};
    if (!Spawn(commandLine, &pi)) return -1;
    CloseHandle(pi.hThread);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    else TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

// Wine starts native executables by their unix path; their handle cannot be waited on,
// so callers wait for the effect instead.
inline bool Xdotool(const std::wstring& args) { return Spawn(L"/usr/bin/xdotool " + args); }

inline bool HaveXdotool() {
    return UnderWine() && GetFileAttributesW(L"Z:\\usr\\bin\\xdotool") != INVALID_FILE_ATTRIBUTES;
}

inline std::wstring TextOf(HWND w) {
    const LRESULT n = SendMessageW(w, WM_GETTEXTLENGTH, 0, 0);
    std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
    const LRESULT got = SendMessageW(w, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<std::size_t>(got));
    return s;
}

// Wine's own Notepad, placed where the test wants it.
class Notepad {
public:
    Notepad() = default;
    Notepad(const Notepad&) = delete;
    Notepad& operator=(const Notepad&) = delete;
    ~Notepad() { Close(); }

    bool Open(int x, int y, int w, int h) {
        if (!Spawn(L"notepad.exe", &pi_)) return false;
        WaitForInputIdle(pi_.hProcess, 5000);
        const DWORD pid = pi_.dwProcessId;
        WaitFor([&] {
            frame_ = Find(pid);
            return frame_ != nullptr;
        });
        if (!frame_) return false;
        edit_ = FindWindowExW(frame_, nullptr, L"Edit", nullptr);
        if (!edit_) return false;
        SetWindowPos(frame_, HWND_TOP, x, y, w, h, SWP_SHOWWINDOW);
        WaitFor([&] {
            RECT r{};
            GetWindowRect(frame_, &r);
            return r.left == x && r.top == y;
        });
        return true;
    }
    void Close() {
        if (pi_.hProcess) {
            TerminateProcess(pi_.hProcess, 0);
            WaitForSingleObject(pi_.hProcess, 5000);
            CloseHandle(pi_.hProcess);
            CloseHandle(pi_.hThread);
            pi_ = {};
        }
        frame_ = edit_ = nullptr;
    }
    HWND Frame() const { return frame_; }
    HWND Edit() const { return edit_; }
    // A point in the middle of the edit box, in screen coordinates.
    POINT EditCentre() const {
        RECT r{};
        GetWindowRect(edit_, &r);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

private:
    static HWND Find(DWORD pid) {
        struct Search {
            DWORD pid;
            HWND found;
        } s{pid, nullptr};
        EnumWindows(
            [](HWND w, LPARAM p) -> BOOL {
                auto* s = reinterpret_cast<Search*>(p);
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                wchar_t cls[64] = {};
                GetClassNameW(w, cls, 64);
                if (owner == s->pid && lstrcmpiW(cls, L"Notepad") == 0) {
                    s->found = w;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&s));
        return s.found;
    }

    PROCESS_INFORMATION pi_{};
    HWND frame_ = nullptr;
    HWND edit_ = nullptr;
};

// A plain top-level window of this process that never takes the focus by itself.
inline HWND MakeWindow(int x, int y, int w, int h, bool visible) {
    static ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KeyraInputTestWindow";
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        return RegisterClassW(&wc);
    }();
    (void)atom;
    HWND hwnd = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, L"KeyraInputTestWindow", L"input test",
                                WS_POPUP, x, y, w, h, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (hwnd && visible) ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    return hwnd;
}

}  // namespace inputtest
