// TFKeyra's controls as the entry operations see them (KEntryView), and the window covered at a
// lock and shown again after it.
#include <windows.h>

#include "app/mainbank.h"
#include "controls/buttonbank_win.h"
#include "controls/kbutton_win.h"
#include "framework/kstr.h"
#include "generator/generatorseam.h"
#include "ui/mainwindow_win.h"
#include "ui/optionspanel_win.h"
#include "ui/pinpanel_win.h"
#include "ui/searchbox_win.h"

// ---- the lock ----

bool TFKeyra::Locked() const { return life_.State() != KAppState::Open; }

void TFKeyra::LockEntries(bool locked) {
    // Disabled controls take neither the focus nor a key, whatever path leads there.
    EnableWindow(list_->Handle(), !locked);
    for (auto& edit : edits_) EnableWindow(edit->Handle(), !locked);
    EnableWindow(memo_->Handle(), !locked);
    if (locked && generator_) generator_->Hide();
}

void TFKeyra::Cover(KLockCover cover) {
    // What lies beneath is put away as at a close: the options applied (a PIN being set is
    // dropped, the one set before stays), the find box shut and emptied.
    search_->Close();
    search_->Clear();
    ApplyOptions();
    // Nothing of the entries stays in a control, where any program could read it.
    ops_->Conceal();
    if (generator_) {
        generator_->Hide();
        generator_->Conceal();
    }
    if (cover == KLockCover::Pin) {
        pin_->Lock().Ask();
        return;
    }
    LockEntries(true);
    masterCovered_ = 1;
    ShowWindow(Handle(), SW_HIDE);
}

void TFKeyra::Uncover() {
    LockEntries(false);
    // Locked from the start, the entries are shown for the first time now.
    if (!started_) {
        started_ = 1;
        ops_->Start();
    } else {
        ops_->Reveal();
    }
    if (generator_) generator_->Reveal();
    if (masterCovered_) {
        masterCovered_ = 0;
        // The master password opened it: the PIN opens it again from now on.
        pin_->Lock().MasterTyped();
        ShowWindow(Handle(), SW_SHOW);
        SetForegroundWindow(Handle());
    }
    FocusList();
}

void TFKeyra::FocusList() { list_->Focus(); }

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
