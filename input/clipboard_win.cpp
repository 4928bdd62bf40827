#include "input/clipboard_win.h"

#include <cstring>

#include "input/clipclaim.h"
#include "input/entryformat.h"
#include "core/kerror.h"
#include "storage/kplatform.h"

namespace {

// Another program (a clipboard viewer, say) may hold the clipboard for a moment; at the end
// (close, log-off) a password must not stay there for want of patience.
bool OpenClipboardPatiently(HWND owner, int tries = 10) {
    for (int attempt = 0; attempt < tries; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(10);
    }
    return false;
}
constexpr int kClosingTries = 100;  // about a second

[[noreturn]] void ThrowOpenFailure() {
    DWORD code = GetLastError();
    if (code == 0) code = ERROR_ACCESS_DENIED;
    throw KError(u"クリップボードを開けませんでした。ほかのプログラムが使用中の可能性があります。\r\n原因：" +
                 kplat::SystemErrorText(code) + u"\r\nしばらく待ってから、もう一度操作してください。");
}

// Zeroes a movable block that may hold a password; the compiler may not drop this write.
void WipeBlock(HGLOBAL block) {
    if (!block) return;
    if (void* p = GlobalLock(block)) {
        SecureZeroMemory(p, GlobalSize(block));
        GlobalUnlock(block);
    }
}

void WipeText(std::u16string& text) {
    if (!text.empty()) SecureZeroMemory(&text[0], text.size() * sizeof(char16_t));
    text.clear();
}

// Hands a block to the open clipboard; wipes and frees it when the clipboard does not take it.
bool GiveBlock(UINT format, HGLOBAL block) {
    if (!block) return false;
    if (SetClipboardData(format, block)) return true;
    WipeBlock(block);
    GlobalFree(block);
    return false;
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

// Keeps passwords out of the clipboard history, the cloud clipboard and the copies that
// clipboard managers and viewers keep.
void ExcludeFromHistory() {
    static const UINT history = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    static const UINT cloud = RegisterClipboardFormatW(L"CanUploadToCloudClipboard");
    static const UINT monitors = RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
    static const UINT viewers = RegisterClipboardFormatW(L"Clipboard Viewer Ignore");
    for (UINT format : {history, cloud, monitors, viewers}) {
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

// The clear of what we put on the clipboard, run by a timer of the user-interface thread so
// that it needs no window (the generator's copies count as well, and may outlive it).
KClipboardClaim g_claim;
UINT_PTR g_timer = 0;

std::int64_t NowMs() { return static_cast<std::int64_t>(GetTickCount64()); }

void ArmClear(std::int64_t ms);
void CALLBACK ClearTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_timer) KillTimer(nullptr, g_timer);
    g_timer = 0;
    ClearOwnClipboard(false);
}

void ArmClear(std::int64_t ms) {
    if (g_timer) KillTimer(nullptr, g_timer);
    g_timer = SetTimer(nullptr, 0, static_cast<UINT>(ms > 0 ? ms : 1), ClearTimer);
}

// Closes the clipboard after our own write and claims what is there now. The close itself moves
// the sequence number (the system adds the text forms it makes from ours), so the number is read
// after it; the owner, read after the number, is still `owner` only when nobody has emptied the
// clipboard since: a clipboard manager that wrote in that moment keeps its text.
void CloseAndClaim(HWND owner, bool put) {
    CloseClipboard();
    if (!put) return;
    const DWORD sequence = GetClipboardSequenceNumber();
    if (owner && GetClipboardOwner() != owner) return;
    g_claim.Claim(sequence, NowMs());
    if (g_claim.Held()) ArmClear(kClipboardKeepMs);
}

void WipeFormat(UINT format) {
    if (format && IsClipboardFormatAvailable(format)) WipeBlock(static_cast<HGLOBAL>(GetClipboardData(format)));
}

}  // namespace

void ClearOwnClipboard(bool closing) {
    if (!g_claim.Held()) return;
    if (!closing && g_claim.DueInMs(NowMs()) > 0) {
        ArmClear(g_claim.DueInMs(NowMs()));  // a paste renewed it
        return;
    }
    if (!OpenClipboardPatiently(nullptr, closing ? kClosingTries : 10)) {
        if (!closing) ArmClear(500);
        return;
    }
    // Decided with the clipboard open, so nothing can be written between the look and the clear.
    if (g_claim.Decide(GetClipboardSequenceNumber(), NowMs(), closing) == KClipboardVerdict::Clear) {
        WipeFormat(CF_UNICODETEXT);
        WipeFormat(KeyraClipboardFormat());
        EmptyClipboard();
    } else if (g_claim.Held()) {
        ArmClear(500);  // a paste is using it; its end arms the full time again
    }
    CloseClipboard();
}

void HoldClipboard(bool on) {
    g_claim.Hold(on, NowMs());
    if (!on && g_claim.Held()) ArmClear(g_claim.DueInMs(NowMs()));
}

UINT KeyraClipboardFormat() {
    static const UINT format = RegisterClipboardFormatA("KEYRA");
    return format;
}

bool PutClipboardText(HWND owner, const std::u16string& text) {
    if (!OpenClipboardPatiently(owner)) return false;
    EmptyClipboard();
    const bool put = GiveBlock(CF_UNICODETEXT, TextBlock(GMEM_MOVEABLE | GMEM_DDESHARE, text));
    if (put) ExcludeFromHistory();
    CloseAndClaim(owner, put);
    return put;
}

int SetClipboardText(HWND owner, const std::u16string& text) {
    PutClipboardText(owner, text);
    return 0;
}

void CopyEntry(HWND owner, const KIdData& entry) {
    std::u16string text = BuildEntryText(entry);
    const UINT format = KeyraClipboardFormat();
    if (!OpenClipboardPatiently(owner)) {
        WipeText(text);
        ThrowOpenFailure();
    }
    EmptyClipboard();
    // The block is unlocked before the clipboard takes it: afterwards it is no longer ours.
    const bool put = GiveBlock(format, TextBlock(GMEM_MOVEABLE, text));
    if (put) ExcludeFromHistory();
    CloseAndClaim(owner, put);
    WipeText(text);
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
    KIdData entry = ParseEntryText(text);
    WipeText(text);
    return entry;
}

void PasteEntry(HWND owner, KIdData& target) {
    KIdData entry = ReadClipboardEntry(owner);
    target = std::move(entry);
}

bool ClipboardHasEntry(HWND) {
    const UINT format = KeyraClipboardFormat();
    return format != 0 && IsClipboardFormatAvailable(format) != FALSE;
}
