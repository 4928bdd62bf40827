#include "app/lifecycle.h"

bool KLifeCycle::Allows(KUse use) const {
    switch (state_) {
        case KAppState::Open:
            // A paste pumps messages: no second one, no lock in its middle.
            if (pasting_) return use == KUse::Entries || use == KUse::Exit;
            return true;
        case KAppState::Locked:
            return use == KUse::Save || use == KUse::Exit;
        case KAppState::Closing:
            return use == KUse::Save;
        case KAppState::Starting:
        case KAppState::Closed:
            return false;
    }
    return false;
}

void KLifeCycle::DataIn(bool locked) {
    if (state_ == KAppState::Starting) state_ = locked ? KAppState::Locked : KAppState::Open;
}

KCloseStep KLifeCycle::Close() {
    switch (state_) {
        case KAppState::Starting:
            state_ = KAppState::Closed;
            return KCloseStep::EndNow;
        case KAppState::Open:
        case KAppState::Locked:
            if (pasting_) {
                closeWaits_ = true;
                return KCloseStep::AfterPaste;
            }
            beforeClose_ = state_;
            state_ = KAppState::Closing;
            return KCloseStep::Save;
        case KAppState::Closing:
        case KAppState::Closed:
            return KCloseStep::Ignore;
    }
    return KCloseStep::Ignore;
}

KCloseStep KLifeCycle::EndSession() {
    switch (state_) {
        case KAppState::Starting:
            state_ = KAppState::Closed;
            return KCloseStep::EndNow;
        case KAppState::Open:
        case KAppState::Locked:
        case KAppState::Closing:
            // The system ends the process once this returns: the save cannot wait for a paste.
            return KCloseStep::Save;
        case KAppState::Closed:
            return KCloseStep::Ignore;
    }
    return KCloseStep::Ignore;
}

void KLifeCycle::CloseFailed() {
    if (state_ == KAppState::Closing) state_ = beforeClose_;
}

bool KLifeCycle::Lock() {
    if (state_ != KAppState::Open) return false;
    if (pasting_) {
        lockWaits_ = true;
        return false;
    }
    state_ = KAppState::Locked;
    ++locks_;
    return true;
}

void KLifeCycle::Unlock() {
    if (state_ == KAppState::Locked) state_ = KAppState::Open;
}

bool KLifeCycle::BeginPaste() {
    if (!Allows(KUse::Paste)) return false;
    pasting_ = true;
    return true;
}

KLifeCycle::AfterPaste KLifeCycle::EndPaste() {
    AfterPaste after;
    after.close = closeWaits_ && (state_ == KAppState::Open || state_ == KAppState::Locked);
    after.lock = lockWaits_ && state_ == KAppState::Open && !after.close;
    pasting_ = false;
    closeWaits_ = lockWaits_ = false;
    return after;
}
