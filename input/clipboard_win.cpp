#include "input/clipboard_win.h"

#include <cstring>

#include "input/entryformat.h"
#include "core/kerror.h"
#include "storage/kplatform.h"

namespace {

// Another program (a clipboard viewer, say) may hold the clipboard for a moment.
bool OpenClipboardPatiently(HWND owner) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(10);
    }
    return false;
}

[[noreturn]] void ThrowOpenFailure() {
    DWORD code = GetLastError();
    if (code == 0) code = ERROR_ACCESS_DENIED;
    throw KError(kplat::SystemErrorText(code));
}

// Hands a block to the open clipboard; frees it when the clipboard does not take it.
void GiveBlock(UINT format, HGLOBAL block) {
    if (block && !SetClipboardData(format, block)) GlobalFree(block);
}

HGLOBAL TextBlock(UINT flags, const std::u16string& text) {
    const SIZE_T bytes = (text.size() + 1) * sizeof(char16_t);
    HGLOBAL block = GlobalAlloc(flags, bytes);
    if (!block) return nullptr;
    void* p = GlobalLock(block);
    if (!p) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(p, text.c_str(), bytes);
    GlobalUnlock(block);
    return block;
}

// Keeps passwords out of the clipboard history and the cloud clipboard.
void ExcludeFromHistory() {
    static const UINT history = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    static const UINT cloud = RegisterClipboardFormatW(L"CanUploadToCloudClipboard");
    for (UINT format : {history, cloud}) {
        if (!format) continue;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
        if (!block) continue;
        if (auto* p = static_cast<DWORD*>(GlobalLock(block))) {
            *p = 0;
            GlobalUnlock(block);
            GiveBlock(format, block);
        } else {
            GlobalFree(block);
        }
    }
}

}  // namespace

UINT KeyraClipboardFormat() {
    static const UINT format = RegisterClipboardFormatA("KEYRA");
    return format;
}

int SetClipboardText(HWND owner, const std::u16string& text) {
    if (!OpenClipboardPatiently(owner)) return 0;
    EmptyClipboard();
    GiveBlock(CF_UNICODETEXT, TextBlock(GMEM_MOVEABLE | GMEM_DDESHARE, text));
    ExcludeFromHistory();
    CloseClipboard();
    return 0;
}

void CopyEntry(HWND owner, const KIdData& entry) {
    const std::u16string text = BuildEntryText(entry);
    const UINT format = KeyraClipboardFormat();
    if (!OpenClipboardPatiently(owner)) ThrowOpenFailure();
    EmptyClipboard();
    // The block is unlocked before the clipboard takes it: afterwards it is no longer ours.
    GiveBlock(format, TextBlock(GMEM_MOVEABLE, text));
    ExcludeFromHistory();
    CloseClipboard();
}

KIdData ReadClipboardEntry(HWND owner) {
    const UINT format = KeyraClipboardFormat();
    if (!OpenClipboardPatiently(owner)) ThrowOpenFailure();
    std::u16string text;
    if (format && IsClipboardFormatAvailable(format)) {
        if (HANDLE data = GetClipboardData(format)) {
            HGLOBAL block = static_cast<HGLOBAL>(data);
            const SIZE_T units = GlobalSize(block) / sizeof(char16_t);
            if (const auto* p = static_cast<const char16_t*>(GlobalLock(block))) {
                // Another program wrote this block: never read past its end, terminator or not.
                std::size_t len = 0;
                while (len < units && p[len] != 0) ++len;
                text.assign(p, len);
                GlobalUnlock(block);
            }
        }
    }
    CloseClipboard();
    return ParseEntryText(text);
}

void PasteEntry(HWND owner, KIdData& target) {
    KIdData entry = ReadClipboardEntry(owner);
    target = std::move(entry);
}

bool ClipboardHasEntry(HWND) {
    const UINT format = KeyraClipboardFormat();
    return format != 0 && IsClipboardFormatAvailable(format) != FALSE;
}
