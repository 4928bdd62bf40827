// KLifeCycle: where the running program is (starting, open, locked, closing, closed), held in
// one place. Every close, log-off, lock, paste, menu and panel asks it first. Portable.
#pragma once

enum class KAppState {
    Starting,  // the data is not in yet: nothing may be saved or shown
    Open,
    Locked,    // the data is in, hidden behind the PIN or the master password
    Closing,   // the close is saving
    Closed,    // nothing more happens; the windows go
};

// What may be done now.
enum class KUse {
    Entries,  // show, edit, search, import or export entries; menus and panels
    Paste,    // start a paste
    Lock,     // cover the window now
    Save,     // write the data file
    Exit,     // close from a button or menu (help and minimize are always there)
};

// What a close request, a log-off or the end of a paste asks of the program.
enum class KCloseStep {
    Ignore,      // already closing or closed
    EndNow,      // the data is not in: end without touching any file
    Save,        // keep what is typed, save, then close (or let the session end)
    AfterPaste,  // a paste is under way: close when it is over
};

class KLifeCycle {
public:
    KAppState State() const { return state_; }
    bool Pasting() const { return pasting_; }
    bool Allows(KUse use) const;

    // The data is in: the window opens, or opens locked.
    void DataIn(bool locked);
    // The start ended before the data was in: nothing more may run.
    void Abandon() { state_ = KAppState::Closed; }

    // WM_CLOSE, a close button or the menu's exit. Save moves to Closing; Closed() or
    // CloseFailed() follows.
    KCloseStep Close();
    // WM_ENDSESSION with the session ending: Save keeps the state (the process ends anyway).
    KCloseStep EndSession();
    void Closed() { state_ = KAppState::Closed; }
    // The close's save failed: the program stays as it was, with everything in memory.
    void CloseFailed();

    // True when the window is to be covered now; a lock asked for during a paste waits for its
    // end, and one while covered or not open is dropped.
    bool Lock();
    void Unlock();
    // How many times the window has been covered: what was chosen in a menu or dialog opened
    // before the last lock is not done.
    unsigned Locks() const { return locks_; }

    // False when no paste may start now.
    bool BeginPaste();
    // What waited for the paste to end.
    struct AfterPaste {
        bool close = false;
        bool lock = false;
    };
    AfterPaste EndPaste();

private:
    KAppState state_ = KAppState::Starting;
    KAppState beforeClose_ = KAppState::Open;
    bool pasting_ = false;
    bool closeWaits_ = false;
    bool lockWaits_ = false;
    unsigned locks_ = 0;
};
