#include "ui/pinlock.h"

#include "app/document.h"
#include "app/mainbank.h"
#include "app/masterpassword.h"
#include "core/kstr.h"

bool IsValidPin(const std::u16string& pin) {
    if (pin.size() != 4) return false;
    for (char16_t c : pin)
        if (c < u'0' || c > u'9') return false;
    return true;
}

// With a master password that password was asked instead.
bool PinAskedAtStart(const KDocument& doc) {
    const KSettings& s = doc.Settings();
    return s.PINMode == 1 && IsValidPin(s.PINNo) && !doc.Master().Active();
}

KLockCover LockCoverFor(const KDocument& doc, bool covered) {
    if (covered) return KLockCover::None;
    // A PIN that can be typed guards the window, with a master password too (the start asked
    // that one instead); one that cannot be typed locks nothing.
    const KSettings& s = doc.Settings();
    if (s.PINMode == 1 && IsValidPin(s.PINNo)) return KLockCover::Pin;
    if (doc.Master().Active()) return KLockCover::Master;
    return KLockCover::None;
}

bool SessionChangeLocks(unsigned code) {
    // WTS_CONSOLE_DISCONNECT 2, WTS_REMOTE_DISCONNECT 4, WTS_SESSION_LOCK 7.
    return code == 2 || code == 4 || code == 7;
}

KMainMenuState MainMenuRules(bool optionsOpen, bool pinAsked) {
    KMainMenuState s;
    s.Generator = s.ChangeGroup = s.Search = !pinAsked;
    s.GeneratorEnabled = s.ChangeGroupEnabled = s.SearchEnabled = !pinAsked && !optionsOpen;
    return s;
}

bool BankButtonActsWhileAsked(int index) {
    return index == kmainbank::kHelp || index == kmainbank::kMinimize || index == kmainbank::kClose;
}

int PinRetryDelayMs(int misses) { return kmaster::RetryDelayMs(misses); }

std::u16string PinWaitText(int ms) {
    return u"暗証番号が違います。\r\n" + kstr::Decimal((ms + 999) / 1000) + u"秒後にもう一度入力できます。";
}

void TPinLock::Ask() {
    view_.SetWindowLocked(true);
    view_.ShowPinPanel();
    view_.SetPinText(u"");
    view_.FocusPin(false);
    view_.ShowSettingControls(false);
    Mode = kAsking;
    view_.Repaint();
}

void TPinLock::CheckBoxClicked(bool checked) {
    // A click sent to the hidden panel's box while locked would show the PIN and let it be replaced.
    if (Loading || !checked || Mode != kHidden || !view_.OptionsOpen()) return;
    BeginSetting();
}

void TPinLock::BeginSetting() {
    view_.ShowPinPanel();
    view_.SetPinText(doc_.Settings().PINNo);
    view_.FocusPin(true);
    view_.ShowSettingControls(true);
    Mode = kSetting;
    view_.Repaint();
}

void TPinLock::Typed() {
    if (Mode != kAsking) return;
    const std::u16string typed = view_.PinText();
    // While the panel waits nothing counts, also not a text sent to the box by another program.
    if (waiting_) {
        if (!typed.empty()) view_.SetPinText(u"");
        return;
    }
    if (typed.size() != 4) return;
    if (IsValidPin(typed) && typed == doc_.Settings().PINNo) {
        misses_ = 0;
        view_.HidePinPanel(false);
        Mode = kHidden;
        view_.SetWindowLocked(false);
        view_.FocusList();
        view_.Repaint();
        return;
    }
    ++misses_;
    view_.SetPinText(u"");
    view_.Beep();
    if (misses_ >= kPinMissesBeforeMaster && doc_.Master().Active()) {
        // The window stays locked; only the master password opens it now.
        view_.HidePinPanel(false);
        Mode = kHidden;
        view_.HandToMaster();
        return;
    }
    const int wait = PinRetryDelayMs(misses_);
    if (wait > 0) {
        waiting_ = true;
        view_.SetWaiting(wait);
    } else {
        view_.FocusPin(false);
    }
    view_.Repaint();
}

void TPinLock::WaitOver() {
    if (!waiting_) return;
    waiting_ = false;
    view_.SetWaiting(0);
    if (Mode == kAsking) view_.FocusPin(false);
}

void TPinLock::MasterTyped() { misses_ = 0; }

void TPinLock::Register() {
    if (Mode != kSetting) return;
    const std::u16string typed = view_.PinText();
    // A pasted text can hold other characters than digits; only four digits can be typed back.
    if (!IsValidPin(typed)) {
        view_.FocusPin(true);
        view_.Beep();
        return;
    }
    doc_.Settings().PINNo = typed;
    BackToOptions();
}

void TPinLock::Remove() {
    if (Mode != kSetting) return;
    doc_.Settings().PINNo.clear();
    SetBoxQuietly(false);
    BackToOptions();
}

void TPinLock::Cancel() {
    if (Mode != kSetting) return;
    SetBoxQuietly(false);
    BackToOptions();
}

void TPinLock::SetBoxQuietly(bool checked) {
    Loading = 1;
    view_.SetPinBox(checked);
    Loading = 0;
}

void TPinLock::BackToOptions() {
    view_.HidePinPanel(true);
    Mode = kHidden;
    view_.Repaint();
}
