// TFKeyra's controls as the entry operations (KEntryView, KEntryServices) and the data file
// (KDataHost) see them.
#include <windows.h>

#include <shellapi.h>

#include "app/mainbank.h"
#include "controls/buttonbank_win.h"
#include "controls/kbutton_win.h"
#include "framework/kstr.h"
#include "framework/syslib.h"
#include "generator/generatorseam.h"
#include "input/clipboard_win.h"
#include "app/enginepaste.h"
#include "ui/mainwindow_win.h"
#include "ui/masterdialogs_win.h"
#include "ui/optionsseam.h"
#include "ui/pinpanel_win.h"

// ---- the PIN lock ----

bool TFKeyra::PinAsked() const { return masterLocked_ || (pin_ && pin_->Asking()); }

void TFKeyra::LockEntries(bool locked) {
    // Disabled controls take neither the focus nor a key, whatever path leads there.
    EnableWindow(list_->Handle(), !locked);
    for (auto& edit : edits_) EnableWindow(edit->Handle(), !locked);
    EnableWindow(memo_->Handle(), !locked);
    if (locked && generator_) generator_->Hide();
}

void TFKeyra::FocusList() { list_->Focus(); }

// ---- KDataHost ----

int TFKeyra::WindowTop() {
    RECT rc;
    return NormalRect(rc) ? rc.top : top_;
}

int TFKeyra::WindowLeft() {
    RECT rc;
    return NormalRect(rc) ? rc.left : left_;
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

void TFKeyra::MaskPassword() {
    if (ops_) ops_->MaskPassword();
}

void TFKeyra::LoadGeneratorData(KIni& doc) {
    if (generator_) generator_->LoadGeneratorData(doc);
}

void TFKeyra::SaveGeneratorData(KIni& doc) {
    if (generator_) generator_->SaveGeneratorData(doc);
}

void TFKeyra::ShowMessage(const std::u16string& text) { kf::ShowMessage(Handle(), W(text)); }

bool TFKeyra::AskMasterPassword(const std::function<bool(const std::u16string&)>& tryOpen) {
    return AskPassword(Handle(), u"Keyra - マスターパスワード", tryOpen);
}

// ---- KEntryView ----

void TFKeyra::ListSetRows(const std::vector<std::u16string>& rows) { list_->SetRows(rows); }
void TFKeyra::ListSetRow(int row, const std::u16string& text) { list_->SetRow(row, text); }
int TFKeyra::ListSelected() { return list_->Selected(); }
void TFKeyra::ListSelect(int row) { list_->Select(row); }

std::u16string TFKeyra::FieldText(int n) {
    if (n == 5) return memo_->Text();
    kf::Edit* e = Field(n);
    return e ? e->Text() : std::u16string();
}

void TFKeyra::SetFieldText(int n, const std::u16string& text) {
    if (n == 5) memo_->SetText(text);
    else if (kf::Edit* e = Field(n)) e->SetText(text);
}

void TFKeyra::SetPasswordMask(bool masked) { edits_[kmainbank::kPassField - 1]->SetPasswordChar(masked ? L'*' : 0); }

void TFKeyra::Repaint() { RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW); }

void TFKeyra::SetButtonColors(int index, std::int32_t face, std::int32_t text) {
    if (TKButton* b = bank_->ByIndex(index)) {
        b->SetFaceColor(static_cast<kdraw::KColor>(face));
        b->SetFontColor(static_cast<kdraw::KColor>(text));
    }
}

void TFKeyra::SetButtonCaption(int index, const std::u16string& caption) {
    if (TKButton* b = bank_->ByIndex(index)) b->SetCaption(caption);
}

int TFKeyra::BankLastIndex() { return bank_->LastIndex; }
void TFKeyra::SetBankLastIndex(int index) { bank_->LastIndex = index; }

// ---- KEntryServices ----

bool TFKeyra::SetClipboardText(const std::u16string& text) { return PutClipboardText(Handle(), text); }

void TFKeyra::PasteToTarget() {
    if (!engine_) return;
    HoldClipboard(true);  // not cleared under the paste's feet, however long PasteWait is
    ::PasteToTarget(*engine_, reinterpret_cast<std::uintptr_t>(memo_->Handle()), pasteExecutor_);
    HoldClipboard(false);
}

void TFKeyra::RefusePaste() { pasteExecutor_.Refuse(); }

void TFKeyra::OpenDocument(const std::u16string& text) {
    // The shell is loaded at the first address opened: at start it would cost more than the window.
    static const kf::SystemLibrary shell{L"shell32.dll"};
    if (auto* execute = shell.Proc<decltype(ShellExecuteW)>("ShellExecuteW"))
        execute(Handle(), L"open", W(text), nullptr, nullptr, SW_SHOWDEFAULT);
}

bool TFKeyra::OptionsPanelOpen() { return options_ && options_->IsOpen(); }

void TFKeyra::CloseOptionsPanel() {
    if (options_) options_->CloseAndApply();
}

void TFKeyra::CopyEntry(const KIdData& entry) { ::CopyEntry(Handle(), entry); }

bool TFKeyra::ReadEntry(KIdData& entry) {
    if (!ClipboardHasEntry(Handle())) return false;
    entry = ReadClipboardEntry(Handle());
    return true;
}
