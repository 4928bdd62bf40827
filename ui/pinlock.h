// TPinLock: the four-digit PIN that guards the window at start, and its setting and removal
// from the options panel. Portable: the panel is reached through KPinView.
#pragma once
#include <string>

class KDocument;

// PanelPIN and what it touches, as the lock sees them.
class KPinView {
public:
    virtual ~KPinView() = default;
    // Hides the options panel, shows PanelPIN in front, sized to the window.
    virtual void ShowPinPanel() = 0;
    // Hides PanelPIN; the options panel comes back when `backToOptions`.
    virtual void HidePinPanel(bool backToOptions) = 0;
    virtual std::u16string PinText() = 0;
    virtual void SetPinText(const std::u16string& text) = 0;
    // Focus to EditPIN; with `caretAtEnd` the caret goes after the last character.
    virtual void FocusPin(bool caretAtEnd) = 0;
    // LabelPINContent and the three buttons (setting only).
    virtual void ShowSettingControls(bool shown) = 0;
    // CheckBoxDispPIN of the options panel, set by the program.
    virtual void SetPinBox(bool checked) = 0;
    virtual void Beep() = 0;
    virtual void Repaint() = 0;
    // While the PIN is asked the list, the fields and the generator are out of reach.
    virtual void SetWindowLocked(bool locked) = 0;
    virtual void FocusList() = 0;
    // Wrong PINs cost time: for `ms` (0: no longer) EditPIN takes nothing and a line says how
    // long; at its end the panel calls TPinLock::WaitOver.
    virtual void SetWaiting(int ms) = 0;
    // The PIN no longer opens the window: the master password's prompt takes the panel's place.
    virtual void HandToMaster() = 0;
    // The options panel is open (a PIN is set from there only).
    virtual bool OptionsOpen() = 0;
};

// Wrong PINs in a row before the master password, when one is set, takes the PIN's place.
constexpr int kPinMissesBeforeMaster = 5;
// How long the panel waits before it takes the next PIN after `misses` wrong ones in a row:
// nothing for the first two, then 1, 2, 4 ... up to 30 seconds, as the master password's prompt.
int PinRetryDelayMs(int misses);
// The short line of the panel while it waits.
std::u16string PinWaitText(int ms);

// Exactly four digits "0".."9": the only PIN that can be typed and matched.
bool IsValidPin(const std::u16string& pin);
// Whether the start asks for the PIN. A PIN that can never be typed would lock the user out
// of every entry, so such a file asks for none.
bool PinAskedAtStart(const KDocument& doc);

// Why the open window locks again.
enum class KLockReason { Restored, SessionChange, Idle, Suspend };
// What covers a window that locks: nothing (no usable lock is set, or it is covered already),
// or the PIN panel.
// Without a usable PIN, a master password locks the window with its prompt.
enum class KLockCover { None, Pin, Master };
KLockCover LockCoverFor(const KDocument& doc, bool covered);
// The session notifications that lock the window: the session locked, or switched away from
// this console or remote connection.
bool SessionChangeLocks(unsigned code);

// The main menu's items beside help and exit, as offered.
struct KMainMenuState {
    bool Generator = true, GeneratorEnabled = true;
    bool ChangeGroup = true, ChangeGroupEnabled = true;
    bool Search = true, SearchEnabled = true;
};
// While the PIN is asked the menu offers only help and exit: the generator's used-password
// check reads the stored entries, and a group switch or a search fills the fields.
KMainMenuState MainMenuRules(bool optionsOpen, bool pinAsked);
// Whether the main window's bank button `index` acts while the PIN is asked: only the title
// row's help, minimize and close; no group, field or "OP" button and no page switch.
bool BankButtonActsWhileAsked(int index);

class TPinLock {
public:
    enum { kHidden = 0, kAsking = 1, kSetting = 2 };

    TPinLock(KDocument& doc, KPinView& view) : doc_(doc), view_(view) {}

    // 1 while the options panel sets CheckBoxDispPIN itself: its click then does nothing.
    int Loading = 0;
    int Mode = kHidden;
    // Asking for the PIN: nothing but help, minimize and exit is reachable.
    bool Locked() const { return Mode == kAsking; }
    // Wrong PINs in a row; kept through every lock for as long as the program runs.
    int Misses() const { return misses_; }
    bool Waiting() const { return waiting_; }

    // At the first activation with PINMode 1.
    void Ask();
    // CheckBoxDispPIN clicked; a tick by the user starts setting a PIN.
    void CheckBoxClicked(bool checked);
    void BeginSetting();
    // EditPIN changed; acts only while asking.
    void Typed();
    // The wait after a miss is over: the next PIN is taken.
    void WaitOver();
    // The master password opened the window after the PIN had been handed over: the PIN opens
    // it again, and its misses count from nothing.
    void MasterTyped();
    // The three buttons.
    void Register();
    void Remove();
    void Cancel();
    // CheckBoxDispPIN set by the program, with Loading around it.
    void SetBoxQuietly(bool checked);

private:
    void BackToOptions();

    KDocument& doc_;
    KPinView& view_;
    int misses_ = 0;
    bool waiting_ = false;
};
