// kprobe: looks into other processes' windows for the end-to-end tests.
// Every call prints exactly one JSON object (UTF-8) on stdout and exits 0 when "ok" is true.
//
//   kprobe find <class> [wait_ms [visible]] first top-level window of a class (only shown ones), and
//                                          the age of its process
//   kprobe windows [class]                 all top-level windows (optionally of one class)
//   kprobe info <hwnd>                     rect, style, exstyle, text, pid, owner of one window
//   kprobe children <hwnd>                 every descendant: class, text, rect, visible, enabled, id,
//                                          parent (and checked for a check box)
//   kprobe listbox <hwnd>                  items and selection of a list box
//   kprobe gettext <hwnd>                  WM_GETTEXT of a window (an edit's text)
//   kprobe settext <hwnd> <utf8-hex>       WM_SETTEXT; the text is given as hex of its UTF-8 bytes
//   kprobe close <hwnd>                    posts WM_CLOSE
//   kprobe post <hwnd> <msg> <wp> <lp>     posts a message (numbers in decimal)
//   kprobe endsession <hwnd>               sends WM_ENDSESSION (TRUE, 0) and returns its result
//   kprobe waitgone <hwnd> <wait_ms>       waits until the window no longer exists
//   kprobe mutexfree <name> <wait_ms>      waits until no process holds the named mutex
//   kprobe clipboard                       formats, Unicode text, the "KEYRA" format as hex
//   kprobe pixels <x> <y> <w> <h>          screen pixels as rows of "rrggbb"
//   kprobe msgboxes [wait_ms]              dialog boxes (class #32770) with caption, texts, buttons
//   kprobe pressok <hwnd>                  presses a dialog's OK button
//   kprobe screen                          primary screen size and cursor position
//   kprobe hold <path> <flag-path>         opens a file sharing nothing and keeps it open while
//                                          the flag file exists (at most two minutes)
//
// Window handles are printed and taken as decimal numbers.
#include <windows.h>

#include "probe_json.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using probe::Emit;
using probe::Fail;
using probe::FromUtf8Hex;
using probe::Handle;
using probe::Num;
using probe::ParseHandle;
using probe::Quote;
using probe::Utf8;

std::wstring ClassOf(HWND h) {
    wchar_t buf[256] = {};
    GetClassNameW(h, buf, 256);
    return buf;
}

// WM_GETTEXT with a timeout so that a hung target cannot hang the probe.
std::wstring TextOf(HWND h) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 3000, &len)) return {};
    std::vector<wchar_t> buf(len + 2, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG, 3000,
                             &got))
        return {};
    return std::wstring(buf.data(), got);
}

std::string RectJson(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return "{\"left\":" + Num(r.left) + ",\"top\":" + Num(r.top) + ",\"right\":" + Num(r.right) +
           ",\"bottom\":" + Num(r.bottom) + ",\"width\":" + Num(r.right - r.left) + ",\"height\":" +
           Num(r.bottom - r.top) + "}";
}

// The state of a check box (class Button), empty for other windows.
std::string CheckJson(HWND h) {
    if (ClassOf(h) != L"Button") return {};
    DWORD_PTR state = 0;
    SendMessageTimeoutW(h, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 3000, &state);
    return std::string(",\"checked\":") + (state == BST_CHECKED ? "true" : "false");
}

std::string WindowJson(HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    return "{\"hwnd\":" + Handle(h) + ",\"class\":" + Quote(ClassOf(h)) + ",\"text\":" + Quote(TextOf(h)) +
           ",\"rect\":" + RectJson(h) + ",\"style\":" + Num(static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE))) +
           ",\"exstyle\":" + Num(static_cast<DWORD>(GetWindowLongW(h, GWL_EXSTYLE))) +
           ",\"visible\":" + (IsWindowVisible(h) ? "true" : "false") +
           ",\"enabled\":" + (IsWindowEnabled(h) ? "true" : "false") + ",\"id\":" +
           Num(static_cast<long long>(GetWindowLongPtrW(h, GWLP_ID))) + ",\"pid\":" + Num(pid) +
           ",\"parent\":" + Handle(GetParent(h)) + ",\"owner\":" + Handle(GetWindow(h, GW_OWNER)) + CheckJson(h) +
           "}";
}

// Milliseconds since the process of a window was created; -1 when that cannot be read.
long long ProcessAgeMs(HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!p) return -1;
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    const BOOL ok = GetProcessTimes(p, &created, &exited, &kernel, &user);
    CloseHandle(p);
    if (!ok) return -1;
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& f) {
        return (static_cast<long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
    };
    return (ticks(now) - ticks(created)) / 10000;
}

struct TopQuery {
    std::wstring cls;  // empty: any
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND h, LPARAM lp) {
    auto* q = reinterpret_cast<TopQuery*>(lp);
    if (q->cls.empty() || ClassOf(h) == q->cls) q->found.push_back(h);
    return TRUE;
}

std::vector<HWND> TopWindows(const std::wstring& cls) {
    TopQuery q{cls, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&q));
    return q.found;
}

BOOL CALLBACK CollectChild(HWND h, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

std::vector<HWND> Children(HWND h) {
    std::vector<HWND> v;
    EnumChildWindows(h, CollectChild, reinterpret_cast<LPARAM>(&v));
    return v;
}

// Polls until `probe` finds something or the deadline passes.
template <class F>
auto WaitFor(DWORD waitMs, F probe) -> decltype(probe()) {
    ULONGLONG deadline = GetTickCount64() + waitMs;
    for (;;) {
        auto r = probe();
        if (!r.empty() || GetTickCount64() >= deadline) return r;
        Sleep(10);  // fine enough for the start-up timing
    }
}

std::string JoinWindows(const std::vector<HWND>& v) {
    std::string s = "[";
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i) s += ",";
        s += WindowJson(v[i]);
    }
    return s + "]";
}

// ---- commands -------------------------------------------------------------------------------

int CmdFind(int argc, wchar_t** argv) {
    if (argc < 3) return Fail("usage: find <class> [wait_ms [visible]]");
    std::wstring cls = argv[2];
    DWORD wait = argc > 3 ? static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)) : 0;
    bool visibleOnly = argc > 4 && std::wstring(argv[4]) == L"visible";
    auto v = WaitFor(wait, [&] {
        auto all = TopWindows(cls);
        if (!visibleOnly) return all;
        std::vector<HWND> shown;
        for (HWND h : all)
            if (IsWindowVisible(h)) shown.push_back(h);
        return shown;
    });
    if (v.empty()) return Fail("no window of that class");
    // The age of its process right when it was found: start-up timing without the launcher's own time.
    const long long age = ProcessAgeMs(v[0]);
    return Emit("{\"ok\":true,\"window\":" + WindowJson(v[0]) + ",\"count\":" + Num(static_cast<long long>(v.size())) +
                ",\"process_age_ms\":" + Num(age) + "}");
}

int CmdWindows(int argc, wchar_t** argv) {
    auto v = TopWindows(argc > 2 ? argv[2] : L"");
    return Emit("{\"ok\":true,\"windows\":" + JoinWindows(v) + "}");
}

int CmdInfo(int argc, wchar_t** argv) {
    if (argc < 3) return Fail("usage: info <hwnd>");
    HWND h = ParseHandle(argv[2]);
    if (!IsWindow(h)) return Fail("no such window");
    return Emit("{\"ok\":true,\"window\":" + WindowJson(h) + "}");
}

int CmdChildren(int argc, wchar_t** argv) {
    if (argc < 3) return Fail("usage: children <hwnd>");
    HWND h = ParseHandle(argv[2]);
    if (!IsWindow(h)) return Fail("no such window");
    return Emit("{\"ok\":true,\"children\":" + JoinWindows(Children(h)) + "}");
}

int CmdListBox(int argc, wchar_t** argv) {
    if (argc < 3) return Fail("usage: listbox <hwnd>");
    HWND h = ParseHandle(argv[2]);
    if (!IsWindow(h)) return Fail("no such window");
    LONG style = GetWindowLongW(h, GWL_STYLE);
    bool owner = (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0;
    bool strings = !owner || (style & LBS_HASSTRINGS) != 0;
    LRESULT count = SendMessageW(h, LB_GETCOUNT, 0, 0);
    std::string items = "[";
    for (LRESULT i = 0; i < count; ++i) {
        if (i) items += ",";
        if (!strings) {
            items += "null";
            continue;
        }
        LRESULT len = SendMessageW(h, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (len == LB_ERR) {
            items += "null";
            continue;
        }
        // LB_GETTEXT across processes is marshalled by the system for string list boxes.
        std::vector<wchar_t> buf(static_cast<std::size_t>(len) + 2, L'\0');
        LRESULT got = SendMessageW(h, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf.data()));
        items += Quote(got == LB_ERR ? std::wstring() : std::wstring(buf.data(), static_cast<std::size_t>(got)));
    }
    items += "]";
    LRESULT cur = SendMessageW(h, LB_GETCURSEL, 0, 0);
    LRESULT top = SendMessageW(h, LB_GETTOPINDEX, 0, 0);
    return Emit("{\"ok\":true,\"count\":" + Num(count) + ",\"items\":" + items + ",\"selected\":" + Num(cur) +
                ",\"top\":" + Num(top) + ",\"strings\":" + (strings ? "true" : "false") + "}");
}

int CmdGetText(int argc, wchar_t** argv) {
    if (argc < 3) return Fail("usage: gettext <hwnd>");
    HWND h = ParseHandle(argv[2]);
    if (!IsWindow(h)) return Fail("no such window");
    return Emit("{\"ok\":true,\"text\":" + Quote(TextOf(h)) + "}");
}

int CmdSetText(int argc, wchar_t** argv) {
    if (argc < 3) return Fail("usage: settext <hwnd> <utf8-hex>");
    HWND h = ParseHandle(argv[2]);
    if (!IsWindow(h)) return Fail("no such window");
    std::wstring text = argc > 3 ? FromUtf8Hex(argv[3]) : std::wstring();
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000, &r))
        return Fail("WM_SETTEXT timed out");
    return Emit("{\"ok\":true,\"result\":" + Num(static_cast<long long>(r)) + "}");
}

int CmdClose(int argc, wchar_t** argv) {
    if (argc < 3) return Fail("usage: close <hwnd>");
    HWND h = ParseHandle(argv[2]);
    if (!IsWindow(h)) return Fail("no such window");
    if (!PostMessageW(h, WM_CLOSE, 0, 0)) return Fail("PostMessage failed");
    return Emit("{\"ok\":true}");
}

int CmdEndSession(int argc, wchar_t** argv) {
    if (argc < 3) return Fail("usage: endsession <hwnd>");
    HWND h = ParseHandle(argv[2]);
    if (!IsWindow(h)) return Fail("no such window");
    DWORD_PTR r = 0;
    // Synchronous, like the system's own notification: the save is done when this returns.
    if (!SendMessageTimeoutW(h, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 30000, &r)) return Fail("WM_ENDSESSION timed out");
    return Emit("{\"ok\":true,\"result\":" + Num(static_cast<long long>(r)) + "}");
}

int CmdWaitGone(int argc, wchar_t** argv) {
    if (argc < 4) return Fail("usage: waitgone <hwnd> <wait_ms>");
    HWND h = ParseHandle(argv[2]);
    ULONGLONG deadline = GetTickCount64() + std::wcstoul(argv[3], nullptr, 10);
    while (IsWindow(h)) {
        if (GetTickCount64() >= deadline) return Fail("window still exists");
        Sleep(50);
    }
    return Emit("{\"ok\":true}");
}

// An ended process's mutex can outlive the end the parent sees by a moment under Wine, and a
// start in that moment is refused as a second copy.
int CmdMutexFree(int argc, wchar_t** argv) {
    if (argc < 4) return Fail("usage: mutexfree <name> <wait_ms>");
    ULONGLONG deadline = GetTickCount64() + std::wcstoul(argv[3], nullptr, 10);
    for (;;) {
        HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, argv[2]);
        if (!m) return Emit("{\"ok\":true}");
        CloseHandle(m);
        if (GetTickCount64() >= deadline) return Fail("mutex still held");
        Sleep(20);
    }
}

std::string HexBytes(const unsigned char* p, SIZE_T n) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    s.reserve(n * 2);
    for (SIZE_T i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

int CmdClipboard() {
    bool open = false;
    for (int i = 0; i < 40 && !open; ++i) {
        open = OpenClipboard(nullptr) != 0;
        if (!open) Sleep(50);
    }
    if (!open) return Fail("clipboard busy");
    std::string formats = "[";
    bool first = true;
    for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) {
        wchar_t name[256] = {};
        GetClipboardFormatNameW(f, name, 256);
        if (!first) formats += ",";
        formats += "{\"id\":" + Num(f) + ",\"name\":" + Quote(name) + "}";
        first = false;
    }
    formats += "]";
    std::string text = "null";
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
            SIZE_T max = GlobalSize(h) / sizeof(wchar_t);
            SIZE_T len = 0;
            while (len < max && p[len]) ++len;
            text = Quote(std::wstring(p, len));
            GlobalUnlock(h);
        }
    }
    std::string keyra = "null";
    UINT fmt = RegisterClipboardFormatW(L"KEYRA");
    if (HANDLE h = GetClipboardData(fmt)) {
        if (auto* p = static_cast<const unsigned char*>(GlobalLock(h))) {
            keyra = "\"" + HexBytes(p, GlobalSize(h)) + "\"";
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return Emit("{\"ok\":true,\"formats\":" + formats + ",\"text\":" + text + ",\"keyra\":" + keyra + "}");
}

int CmdPixels(int argc, wchar_t** argv) {
    if (argc < 6) return Fail("usage: pixels <x> <y> <w> <h>");
    int x = _wtoi(argv[2]), y = _wtoi(argv[3]), w = _wtoi(argv[4]), h = _wtoi(argv[5]);
    if (w <= 0 || h <= 0 || w * h > 1000000) return Fail("bad size");
    HDC dc = GetDC(nullptr);
    std::string rows = "[";
    char buf[8];
    for (int j = 0; j < h; ++j) {
        rows += j ? ",\"" : "\"";
        for (int i = 0; i < w; ++i) {
            COLORREF c = GetPixel(dc, x + i, y + j);
            std::snprintf(buf, sizeof buf, "%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
            rows += buf;
        }
        rows += "\"";
    }
    ReleaseDC(nullptr, dc);
    return Emit("{\"ok\":true,\"rows\":" + rows + "]}");
}

std::string DialogJson(HWND d) {
    std::string texts = "[", buttons = "[";
    bool ft = true, fb = true;
    for (HWND c : Children(d)) {
        std::wstring cls = ClassOf(c);
        std::wstring t = TextOf(c);
        if (_wcsicmp(cls.c_str(), L"Static") == 0 && !t.empty()) {
            if (!ft) texts += ",";
            texts += Quote(t);
            ft = false;
        } else if (_wcsicmp(cls.c_str(), L"Button") == 0) {
            if (!fb) buttons += ",";
            buttons += "{\"hwnd\":" + Handle(c) + ",\"id\":" +
                       Num(static_cast<long long>(GetWindowLongPtrW(c, GWLP_ID))) + ",\"text\":" + Quote(t) + "}";
            fb = false;
        }
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(d, &pid);
    return "{\"hwnd\":" + Handle(d) + ",\"caption\":" + Quote(TextOf(d)) + ",\"visible\":" +
           (IsWindowVisible(d) ? "true" : "false") + ",\"pid\":" + Num(pid) + ",\"texts\":" + texts +
           "],\"buttons\":" + buttons + "]}";
}

int CmdMsgBoxes(int argc, wchar_t** argv) {
    DWORD wait = argc > 2 ? static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) : 0;
    auto v = WaitFor(wait, [] {
        std::vector<HWND> shown;
        for (HWND h : TopWindows(L"#32770"))
            if (IsWindowVisible(h)) shown.push_back(h);
        return shown;
    });
    std::string s = "[";
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i) s += ",";
        s += DialogJson(v[i]);
    }
    return Emit("{\"ok\":true,\"boxes\":" + s + "]}");
}

int CmdPost(int argc, wchar_t** argv) {
    if (argc < 6) return Fail("usage: post <hwnd> <msg> <wparam> <lparam>");
    HWND w = ParseHandle(argv[2]);
    if (!IsWindow(w)) return Fail("no such window");
    const UINT msg = static_cast<UINT>(std::wcstoul(argv[3], nullptr, 10));
    const WPARAM wp = static_cast<WPARAM>(std::wcstoull(argv[4], nullptr, 10));
    const LPARAM lp = static_cast<LPARAM>(std::wcstoll(argv[5], nullptr, 10));
    if (!PostMessageW(w, msg, wp, lp)) return Fail("PostMessage failed");
    return Emit("{\"ok\":true}");
}

int CmdPressOk(int argc, wchar_t** argv) {
    if (argc < 3) return Fail("usage: pressok <hwnd>");
    HWND d = ParseHandle(argv[2]);
    if (!IsWindow(d)) return Fail("no such window");
    HWND ok = GetDlgItem(d, IDOK);
    PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    return Emit("{\"ok\":true}");
}

int CmdScreen() {
    POINT p{};
    GetCursorPos(&p);
    return Emit("{\"ok\":true,\"width\":" + Num(GetSystemMetrics(SM_CXSCREEN)) + ",\"height\":" +
                Num(GetSystemMetrics(SM_CYSCREEN)) + ",\"cursor\":[" + Num(p.x) + "," + Num(p.y) + "]}");
}

int CmdHold(int argc, wchar_t** argv) {
    if (argc < 4) return Fail("usage: hold <path> <flag-path>");
    HANDLE f = CreateFileW(argv[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return Fail("cannot open the file");
    Emit("{\"ok\":true}");
    std::fflush(stdout);
    const ULONGLONG deadline = GetTickCount64() + 120000;
    while (GetFileAttributesW(argv[3]) != INVALID_FILE_ATTRIBUTES && GetTickCount64() < deadline) Sleep(50);
    CloseHandle(f);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Fail("usage: kprobe <command> ...");
    std::wstring cmd = argv[1];
    if (cmd == L"find") return CmdFind(argc, argv);
    if (cmd == L"windows") return CmdWindows(argc, argv);
    if (cmd == L"info") return CmdInfo(argc, argv);
    if (cmd == L"children") return CmdChildren(argc, argv);
    if (cmd == L"listbox") return CmdListBox(argc, argv);
    if (cmd == L"gettext") return CmdGetText(argc, argv);
    if (cmd == L"settext") return CmdSetText(argc, argv);
    if (cmd == L"close") return CmdClose(argc, argv);
    if (cmd == L"post") return CmdPost(argc, argv);
    if (cmd == L"endsession") return CmdEndSession(argc, argv);
    if (cmd == L"waitgone") return CmdWaitGone(argc, argv);
    if (cmd == L"mutexfree") return CmdMutexFree(argc, argv);
    if (cmd == L"clipboard") return CmdClipboard();
    if (cmd == L"pixels") return CmdPixels(argc, argv);
    if (cmd == L"msgboxes") return CmdMsgBoxes(argc, argv);
    if (cmd == L"pressok") return CmdPressOk(argc, argv);
    if (cmd == L"screen") return CmdScreen();
    if (cmd == L"hold") return CmdHold(argc, argv);
    return Fail("unknown command");
}
