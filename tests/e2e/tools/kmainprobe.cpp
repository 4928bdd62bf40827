// kmainprobe: the main-window tests' own look into other processes, beside kprobe.
// Every call prints exactly one JSON object (UTF-8) on stdout and exits 0 when "ok" is true.
//
//   kmainprobe menus                     open popup menus (#32768): rect, and items when readable
//   kmainprobe gui <hwnd>                GetGUIThreadInfo of the window's thread: focus, active, menu mode
//   kmainprobe move <hwnd> <x> <y> [w h] moves (and sizes) a top-level window without activating it
//   kmainprobe setclip <utf8-hex>        puts a Unicode text on the clipboard (empty hex: empties it)
//   kmainprobe foreground                the foreground window
//   kmainprobe front <hwnd>              puts a top-level window in front, as a program that
//                                        takes the focus would
//   kmainprobe lbrow <hwnd> <row>        screen rectangle of a list box row (from its item height)
//   kmainprobe menushot                  pixels of the first open popup menu, rows of "rrggbb"
//   kmainprobe refmenu <x> <y> <item>... opens this tool's own popup menu at (x, y) with the given
//                                        items, returns its pixels like menushot and closes it.
//                                        An item is "-" (separator) or E:/G:/C: (enabled, grayed,
//                                        checked) followed by the hex of its UTF-8 text.
//   kmainprobe textsize <face> <height> <text>  size of a text in a font of that LOGFONT height
//                                        (face and text as hex of their UTF-8 bytes)
//
// The menu of another process cannot be read under every system, so its texts and states are
// checked by drawing the expected menu here and comparing the two pictures.
//
// Window handles are printed and taken as decimal numbers.
#include <windows.h>

#include "probe_json.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

std::string RectJson(const RECT& r) {
    return "{\"left\":" + Num(r.left) + ",\"top\":" + Num(r.top) + ",\"right\":" + Num(r.right) +
           ",\"bottom\":" + Num(r.bottom) + ",\"width\":" + Num(r.right - r.left) + ",\"height\":" +
           Num(r.bottom - r.top) + "}";
}

std::string WindowRectJson(HWND h) {
    RECT r{};
    if (h) GetWindowRect(h, &r);
    return RectJson(r);
}

BOOL CALLBACK CollectMenus(HWND h, LPARAM lp) {
    wchar_t cls[64] = {};
    GetClassNameW(h, cls, 64);
    if (std::wcscmp(cls, L"#32768") == 0 && IsWindowVisible(h)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

// Items of a menu owned by another process; the system may refuse, then the list stays empty.
std::string MenuItems(HMENU menu, bool& readable) {
    std::string items = "[";
    int count = menu ? GetMenuItemCount(menu) : -1;
    readable = count > 0;
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW mi{};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_STATE | MIIM_FTYPE | MIIM_STRING | MIIM_ID;
        mi.dwTypeData = text;
        mi.cch = 255;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mi)) {
            readable = false;
            break;
        }
        RECT r{};
        GetMenuItemRect(nullptr, menu, static_cast<UINT>(i), &r);
        items += std::string(i ? "," : "") + "{\"text\":" + Quote(text) + ",\"id\":" + Num(mi.wID) +
                 ",\"separator\":" + ((mi.fType & MFT_SEPARATOR) ? "true" : "false") +
                 ",\"enabled\":" + ((mi.fState & MFS_DISABLED) ? "false" : "true") +
                 ",\"checked\":" + ((mi.fState & MFS_CHECKED) ? "true" : "false") + ",\"rect\":" + RectJson(r) + "}";
    }
    return items + "]";
}

int CmdMenus() {
    std::vector<HWND> found;
    EnumWindows(CollectMenus, reinterpret_cast<LPARAM>(&found));
    std::string s = "[";
    for (std::size_t i = 0; i < found.size(); ++i) {
        DWORD_PTR menu = 0;
        SendMessageTimeoutW(found[i], MN_GETHMENU, 0, 0, SMTO_ABORTIFHUNG, 3000, &menu);
        bool readable = false;
        std::string items = MenuItems(reinterpret_cast<HMENU>(menu), readable);
        DWORD pid = 0;
        GetWindowThreadProcessId(found[i], &pid);
        s += std::string(i ? "," : "") + "{\"hwnd\":" + Handle(found[i]) + ",\"pid\":" + Num(pid) +
             ",\"rect\":" + WindowRectJson(found[i]) + ",\"readable\":" + (readable ? "true" : "false") +
             ",\"items\":" + (readable ? items : "[]") + "}";
    }
    return Emit("{\"ok\":true,\"menus\":" + s + "]}");
}

int CmdGui(int argc, wchar_t** argv) {
    if (argc < 3) return Fail("usage: gui <hwnd>");
    HWND h = ParseHandle(argv[2]);
    if (!IsWindow(h)) return Fail("no such window");
    DWORD tid = GetWindowThreadProcessId(h, nullptr);
    GUITHREADINFO gi{};
    gi.cbSize = sizeof gi;
    if (!GetGUIThreadInfo(tid, &gi)) return Fail("GetGUIThreadInfo failed");
    return Emit("{\"ok\":true,\"focus\":" + Handle(gi.hwndFocus) + ",\"active\":" + Handle(gi.hwndActive) +
                ",\"capture\":" + Handle(gi.hwndCapture) + ",\"menuowner\":" + Handle(gi.hwndMenuOwner) +
                ",\"inmenu\":" + ((gi.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)) ? "true" : "false") + "}");
}

int CmdMove(int argc, wchar_t** argv) {
    if (argc < 5) return Fail("usage: move <hwnd> <x> <y> [w h]");
    HWND h = ParseHandle(argv[2]);
    if (!IsWindow(h)) return Fail("no such window");
    const bool size = argc > 6;
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (size ? 0 : SWP_NOSIZE);
    if (!SetWindowPos(h, nullptr, _wtoi(argv[3]), _wtoi(argv[4]), size ? _wtoi(argv[5]) : 0, size ? _wtoi(argv[6]) : 0,
                      flags))
        return Fail("SetWindowPos failed");
    return Emit("{\"ok\":true,\"rect\":" + WindowRectJson(h) + "}");
}

int CmdSetClip(int argc, wchar_t** argv) {
    std::wstring text = argc > 2 ? FromUtf8Hex(argv[2]) : std::wstring();
    bool open = false;
    // Another process may hold the clipboard for a moment.
    for (int i = 0; i < 40 && !open; ++i) {
        open = OpenClipboard(nullptr) != 0;
        if (!open) Sleep(50);
    }
    if (!open) return Fail("clipboard busy");
    EmptyClipboard();
    bool put = true;
    if (!text.empty()) {
        put = false;
        SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
        if (HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
            if (void* p = GlobalLock(g)) {
                std::memcpy(p, text.c_str(), bytes);
                GlobalUnlock(g);
                put = SetClipboardData(CF_UNICODETEXT, g) != nullptr;
            }
            if (!put) GlobalFree(g);
        }
    }
    CloseClipboard();
    return put ? Emit("{\"ok\":true}") : Fail("SetClipboardData failed");
}

int CmdForeground() {
    HWND f = GetForegroundWindow();
    DWORD pid = 0;
    if (f) GetWindowThreadProcessId(f, &pid);
    return Emit("{\"ok\":true,\"hwnd\":" + Handle(f) + ",\"pid\":" + Num(pid) + "}");
}

int CmdFront(int argc, wchar_t** argv) {
    HWND h = argc > 2 ? ParseHandle(argv[2]) : nullptr;
    if (!IsWindow(h)) return Fail("no such window");
    // Asked again now and then, sharing the window's input state: a busy system may refuse once.
    for (int i = 0; i < 300 && GetForegroundWindow() != h; ++i) {
        if (i % 10 == 0) {
            const DWORD theirs = GetWindowThreadProcessId(h, nullptr);
            const bool attach = AttachThreadInput(GetCurrentThreadId(), theirs, TRUE) != FALSE;
            SetForegroundWindow(h);
            BringWindowToTop(h);
            if (attach) AttachThreadInput(GetCurrentThreadId(), theirs, FALSE);
        }
        Sleep(10);
    }
    return GetForegroundWindow() == h ? Emit("{\"ok\":true}") : Fail("the window did not come to the front");
}

LARGE_INTEGER g_pressAt{};

LRESULT CALLBACK PressWatch(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == WM_LBUTTONDOWN) QueryPerformanceCounter(&g_pressAt);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Says "ready", then polls an edit box until it holds text; reports the milliseconds from the
// ready line to the text's arrival, so a caller can time an action it starts right after, and
// from the last left press the system took in before it ("pressms").
int CmdWaitText(int argc, wchar_t** argv) {
    if (argc < 4) return Fail("usage: waittext <hwnd> <timeout ms>");
    HWND h = ParseHandle(argv[2]);
    if (!IsWindow(h)) return Fail("no such window");
    const double timeout = _wtoi(argv[3]);
    LARGE_INTEGER freq, start, now;
    QueryPerformanceFrequency(&freq);
    // Each left press anywhere, as the system takes it in: the count from the last one does
    // not include the start of the program that made the click.
    HHOOK hook = SetWindowsHookExW(WH_MOUSE_LL, PressWatch, GetModuleHandleW(nullptr), 0);
    std::printf("{\"ready\":true}\n");
    std::fflush(stdout);
    QueryPerformanceCounter(&start);
    const auto msBetween = [&](const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
        return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(freq.QuadPart);
    };
    for (;;) {
        DWORD_PTR length = 0;
        SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 200, &length);
        QueryPerformanceCounter(&now);
        const double ms = msBetween(start, now);
        if (length > 0) {
            if (hook) UnhookWindowsHookEx(hook);
            std::string json = "{\"ok\":true,\"ms\":" + Num(static_cast<long long>(ms));
            if (g_pressAt.QuadPart != 0) json += ",\"pressms\":" + Num(static_cast<long long>(msBetween(g_pressAt, now)));
            return Emit(json + "}");
        }
        if (ms > timeout) return Fail("no text in time");
        // The hook is called through this thread's messages.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
}

int CmdLbRow(int argc, wchar_t** argv) {
    if (argc < 4) return Fail("usage: lbrow <hwnd> <row>");
    HWND h = ParseHandle(argv[2]);
    if (!IsWindow(h)) return Fail("no such window");
    int row = _wtoi(argv[3]);
    LRESULT height = SendMessageW(h, LB_GETITEMHEIGHT, 0, 0);
    LRESULT top = SendMessageW(h, LB_GETTOPINDEX, 0, 0);
    if (height == LB_ERR || height <= 0 || top == LB_ERR) return Fail("not a list box");
    RECT client{};
    GetClientRect(h, &client);
    POINT origin{0, 0};
    ClientToScreen(h, &origin);
    RECT r{origin.x, origin.y + static_cast<LONG>((row - top) * height), origin.x + client.right,
           origin.y + static_cast<LONG>((row - top + 1) * height)};
    bool shown = r.top >= origin.y && r.bottom <= origin.y + client.bottom;
    return Emit("{\"ok\":true,\"rect\":" + RectJson(r) + ",\"shown\":" + (shown ? "true" : "false") +
                ",\"itemheight\":" + Num(height) + ",\"top\":" + Num(top) + "}");
}

HWND FirstMenuWindow(DWORD pid) {
    std::vector<HWND> found;
    EnumWindows(CollectMenus, reinterpret_cast<LPARAM>(&found));
    for (HWND h : found) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (!pid || owner == pid) return h;
    }
    return nullptr;
}

// The window's screen pixels through one BitBlt, as JSON rows.
std::string ShotJson(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    int w = r.right - r.left, ht = r.bottom - r.top;
    if (w <= 0 || ht <= 0) return {};
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -ht;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, ht, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::string rows = "[";
    char buf[8];
    const auto* px = static_cast<const std::uint32_t*>(bits);
    for (int j = 0; j < ht; ++j) {
        rows += j ? ",\"" : "\"";
        for (int i = 0; i < w; ++i) {
            std::uint32_t c = px[j * w + i];
            std::snprintf(buf, sizeof buf, "%02x%02x%02x", (c >> 16) & 255, (c >> 8) & 255, c & 255);
            rows += buf;
        }
        rows += "\"";
    }
    rows += "]";
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return "{\"rect\":" + RectJson(r) + ",\"rows\":" + rows + "}";
}

// A picture taken while the menu is still drawing would differ from a finished one.
std::string StableShot(HWND h) {
    std::string last = ShotJson(h);
    for (int i = 0; i < 40; ++i) {
        Sleep(100);
        std::string now = ShotJson(h);
        if (now == last && !now.empty()) return now;
        last = now;
    }
    return last;
}

int CmdMenuShot() {
    HWND h = FirstMenuWindow(0);
    if (!h) return Fail("no open menu");
    std::string shot = StableShot(h);
    if (shot.empty()) return Fail("empty menu window");
    return Emit("{\"ok\":true,\"menu\":" + shot + "}");
}

struct RefMenuState {
    std::string shot;
    bool done = false;
};
RefMenuState g_ref;

void CALLBACK RefMenuTimer(HWND, UINT, UINT_PTR id, DWORD) {
    if (g_ref.done) return;
    HWND h = FirstMenuWindow(GetCurrentProcessId());
    if (!h) return;  // not shown yet
    g_ref.shot = StableShot(h);
    g_ref.done = true;
    KillTimer(nullptr, id);
    EndMenu();
}

int CmdRefMenu(int argc, wchar_t** argv) {
    if (argc < 5) return Fail("usage: refmenu <x> <y> <item>...");
    HMENU menu = CreatePopupMenu();
    for (int i = 4; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"-") {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        if (a.size() < 2 || a[1] != L':') return Fail("bad item");
        UINT flags = MF_STRING;
        if (a[0] == L'G') flags |= MF_GRAYED;
        if (a[0] == L'C') flags |= MF_CHECKED;
        AppendMenuW(menu, flags, static_cast<UINT_PTR>(i), FromUtf8Hex(a.c_str() + 2).c_str());
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KMainProbeOwner";
    RegisterClassW(&wc);
    HWND owner = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP, -100, -100, 1, 1,
                                 nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(owner, SW_SHOWNOACTIVATE);
    SetForegroundWindow(owner);
    SetTimer(nullptr, 0, 100, RefMenuTimer);
    TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, _wtoi(argv[2]), _wtoi(argv[3]), 0, owner,
                   nullptr);
    DestroyMenu(menu);
    DestroyWindow(owner);
    if (!g_ref.done || g_ref.shot.empty()) return Fail("reference menu was not captured");
    return Emit("{\"ok\":true,\"menu\":" + g_ref.shot + "}");
}

int CmdTextSize(int argc, wchar_t** argv) {
    if (argc < 5) return Fail("usage: textsize <face> <height> <text>");
    LOGFONTW lf{};
    lf.lfHeight = _wtoi(argv[3]);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, FromUtf8Hex(argv[2]).c_str(), LF_FACESIZE);
    HFONT font = CreateFontIndirectW(&lf);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    const std::wstring text = FromUtf8Hex(argv[4]);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    return Emit("{\"ok\":true,\"width\":" + Num(size.cx) + ",\"height\":" + Num(size.cy) + "}");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Fail("usage: kmainprobe <command> ...");
    std::wstring cmd = argv[1];
    if (cmd == L"menus") return CmdMenus();
    if (cmd == L"gui") return CmdGui(argc, argv);
    if (cmd == L"move") return CmdMove(argc, argv);
    if (cmd == L"setclip") return CmdSetClip(argc, argv);
    if (cmd == L"foreground") return CmdForeground();
    if (cmd == L"front") return CmdFront(argc, argv);
    if (cmd == L"lbrow") return CmdLbRow(argc, argv);
    if (cmd == L"waittext") return CmdWaitText(argc, argv);
    if (cmd == L"menushot") return CmdMenuShot();
    if (cmd == L"refmenu") return CmdRefMenu(argc, argv);
    if (cmd == L"textsize") return CmdTextSize(argc, argv);
    return Fail("unknown command");
}
