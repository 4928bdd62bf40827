// Reads or writes one clipboard format from a separate process, byte for byte.
//   clipdump read  FORMAT OUTFILE   the format's block into OUTFILE (exit 2: not on the clipboard)
//   clipdump write FORMAT HEXBYTES  the clipboard becomes just this block
// FORMAT is a registered name ("KEYRA") or #number ("#13" for Unicode text).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

UINT FormatOf(const wchar_t* name) {
    if (name[0] == L'#') return static_cast<UINT>(std::wcstoul(name + 1, nullptr, 10));
    char ansi[256] = {};
    WideCharToMultiByte(CP_ACP, 0, name, -1, ansi, sizeof ansi, nullptr, nullptr);
    return RegisterClipboardFormatA(ansi);
}

bool OpenPatiently() {
    for (int i = 0; i < 50; ++i) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(20);
    }
    return false;
}

int Read(UINT format, const wchar_t* out) {
    if (!OpenPatiently()) return 3;
    std::vector<unsigned char> bytes;
    bool present = false;
    if (IsClipboardFormatAvailable(format)) {
        if (HANDLE h = GetClipboardData(format)) {
            const SIZE_T n = GlobalSize(h);
            if (const void* p = GlobalLock(h)) {
                bytes.assign(static_cast<const unsigned char*>(p), static_cast<const unsigned char*>(p) + n);
                GlobalUnlock(h);
                present = true;
            }
        }
    }
    CloseClipboard();
    if (!present) return 2;
    FILE* f = _wfopen(out, L"wb");
    if (!f) return 4;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return (std::fclose(f) == 0 && ok) ? 0 : 4;
}

int Write(UINT format, const wchar_t* hex) {
    std::vector<unsigned char> bytes;
    for (std::size_t i = 0; hex[i] && hex[i + 1]; i += 2) {
        const wchar_t pair[3] = {hex[i], hex[i + 1], 0};
        bytes.push_back(static_cast<unsigned char>(std::wcstoul(pair, nullptr, 16)));
    }
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.empty() ? 1 : bytes.size());
    if (!block) return 5;
    void* p = GlobalLock(block);
    if (!p) return 5;
    if (!bytes.empty()) std::memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(block);
    if (!OpenPatiently()) return 3;
    EmptyClipboard();
    const bool ok = SetClipboardData(format, block) != nullptr;
    CloseClipboard();
    if (!ok) GlobalFree(block);
    return ok ? 0 : 6;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fwprintf(stderr, L"usage: clipdump read|write FORMAT OUTFILE|HEXBYTES\n");
        return 1;
    }
    const UINT format = FormatOf(argv[2]);
    if (!format) return 1;
    if (std::wcscmp(argv[1], L"read") == 0) return Read(format, argv[3]);
    if (std::wcscmp(argv[1], L"write") == 0) return Write(format, argv[3]);
    return 1;
}
