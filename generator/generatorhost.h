// What the generator window needs of the main window; the settings, the entries and the word
// lists it reads from the document. The generator never sees the main window itself.
#pragma once
#include <windows.h>

#include <string>

class KGeneratorHost {
public:
    virtual ~KGeneratorHost() = default;
    // The main window, the generator's owner: the generator then has no taskbar button of its
    // own and is hidden with the main window while that is minimized.
    virtual HWND OwnerWindow() = 0;
    // The main window's password field.
    virtual std::u16string EntryPassword() = 0;
    // False while the main window is locked: nothing may reach the entry then.
    virtual bool HandOverAllowed() = 0;
    // Puts the password into the main window's password field, focuses it and stores the
    // current entry; refused while HandOverAllowed() is false.
    virtual void HandOver(const std::u16string& password) = 0;
    virtual void ShowHelp() = 0;
    // Docks a dragged window to its neighbour of the family of tools.
    virtual void SnapToNeighbour(HWND window) = 0;
};
