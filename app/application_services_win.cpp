// What the entry operations start outside themselves: the clipboard, the paste and the shell.
#include "app/application_win.h"

#include <shellapi.h>

#include "app/enginepaste.h"
#include "app/urlrule.h"
#include "framework/kstr.h"
#include "framework/syslib.h"
#include "input/clipboard_win.h"
#include "ui/mainwindow_win.h"

bool KApplication::SetClipboardText(const std::u16string& text) { return PutClipboardText(MainHandle(), text); }

void KApplication::PasteToTarget() {
    if (!life_.BeginPaste()) return;
    HoldClipboard(true);  // not cleared under the paste's feet, however long PasteWait is
    ::PasteToTarget(engine_, doc_.Settings(), reinterpret_cast<std::uintptr_t>(main_->MemoHandle()), pasteExecutor_);
    HoldClipboard(false);
    // A close or a lock asked for meanwhile runs now that the paste no longer uses anything. The
    // close waits a moment more: the target reads the clipboard only when it takes the keys, and
    // the close empties it.
    const KLifeCycle::AfterPaste after = life_.EndPaste();
    if (after.close)
        SetTimer(MainHandle(), kCloseAfterPasteTimer, kCloseAfterPasteMs, nullptr);
    else if (after.lock)
        Lock(KLockReason::Idle);
}

void KApplication::RefusePaste() { pasteExecutor_.Refuse(); }

void KApplication::OpenDocument(const std::u16string& text) {
    // The shell runs programs and opens files as readily as pages: it gets web addresses only.
    const KWebAddress web = WebAddress(text);
    if (!web.open || web.address != text) return;
    // The shell is loaded at the first address opened: at start it would cost more than the window.
    static const kf::SystemLibrary shell{L"shell32.dll"};
    if (auto* execute = shell.Proc<decltype(ShellExecuteW)>("ShellExecuteW"))
        execute(MainHandle(), L"open", W(web.address), nullptr, nullptr, SW_SHOWDEFAULT);
}

void KApplication::ShowNotice(const std::u16string& text) { kf::ShowMessage(MainHandle(), W(text)); }

bool KApplication::OptionsPanelOpen() { return main_->OptionsOpen(); }

void KApplication::CloseOptionsPanel() { main_->ApplyOptions(); }

void KApplication::CopyEntry(const KIdData& entry) { ::CopyEntry(MainHandle(), entry); }

bool KApplication::ReadEntry(KIdData& entry) {
    if (!ClipboardHasEntry(MainHandle())) return false;
    entry = ReadClipboardEntry(MainHandle());
    return true;
}
