// What the main window needs of the program around it: the application implements it.
#pragma once
#include <windows.h>

// Posted to the main window after a lock (wParam 1: the master password's prompt is to run):
// the system shows owned windows again once a restore is done.
constexpr UINT WM_KEYRA_LOCKED = WM_APP + 2;

class KMainHost {
public:
    virtual ~KMainHost() = default;
    // Every message of the main window comes here first: the close, the log-off and what the
    // lock watches for are the program's, not the window's. True when handled.
    virtual bool MainMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    // The first activation of the window.
    virtual void FirstActivation() = 0;
    // The right PIN was typed.
    virtual void PinUnlocked() = 0;
    // The PIN was missed too often while a master password is set: that is asked instead.
    virtual void PinSpent() = 0;
    // The main menu's items that reach past the window.
    virtual void ChangeMasterPassword() = 0;
    virtual void ImportEntries() = 0;
    virtual void ExportEntries() = 0;
};
