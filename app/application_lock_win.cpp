// The window locked again when the user walks away, and opened by the PIN or the master password.
#include "app/application_win.h"

#include "ui/lockwatch_win.h"
#include "ui/mainwindow_win.h"
#include "ui/masterdialogs_win.h"

void KApplication::Lock(KLockReason) {
    // A minimized window is locked when it is restored, at its own size.
    if (life_.State() != KAppState::Open || IsIconic(main_->Handle())) return;
    const KLockCover cover = LockCoverFor(doc_, false);
    if (cover == KLockCover::None) return;
    // The typed entry is kept first: locked, nothing is stored.
    if (!life_.Pasting()) ops_->StoreCurrent();
    // A paste under way is finished first; it runs with the entry it started with.
    if (!life_.Lock()) return;
    // What was open over the window (a menu, the master password's dialog, a file dialog) ends
    // unused: a passer-by must not finish it.
    kf::CancelOpenDialogs();
    main_->Cover(cover);
    PostMessageW(main_->Handle(), WM_KEYRA_LOCKED, cover == KLockCover::Master ? 1 : 0, 0);
    // The user has walked away: what is in memory goes to the disk now.
    Save(SaveWhy::Lock);
}

// Too many wrong PINs with a master password set: from now on only that opens the window.
void KApplication::PinSpent() {
    if (life_.State() != KAppState::Locked) return;
    main_->Cover(KLockCover::Master);
    PostMessageW(main_->Handle(), WM_KEYRA_LOCKED, 1, 0);
}

// As at start, the window is not shown while the master password is asked. Cancel ends the
// program; the key is still in memory, so the save at close needs nothing more.
void KApplication::AskMasterToUnlock() {
    if (askingMaster_ || life_.State() != KAppState::Locked) return;
    askingMaster_ = 1;
    const KMasterKey& master = doc_.Master();
    const bool opened = AskPassword(main_->Handle(), u"Keyra - ロック中",
                                    [&master](const std::u16string& typed) { return master.Matches(typed); },
                                    u"マスターパスワードが違います。もう一度入力してください。",
                                    u"キャンセルを押すと、データを保存して Keyra を終了します。");
    askingMaster_ = 0;
    if (life_.State() != KAppState::Locked) return;
    if (!opened) {
        SendMessageW(main_->Handle(), WM_CLOSE, 0, 0);
        // A close whose save failed leaves the program running, locked and hidden: the
        // prompt comes back, so the user is never left without a window.
        if (life_.State() == KAppState::Locked) PostMessageW(main_->Handle(), WM_KEYRA_LOCKED, 1, 0);
        return;
    }
    Unlocked();
}

void KApplication::Unlocked() {
    life_.Unlock();
    main_->Uncover();
    lockWatch_->Touch();
}
