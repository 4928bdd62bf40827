// What the generator window needs of the main window. The main window implements it; the
// generator never sees the main window itself.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

class KIdTable;

struct KGeneratorLook {
    std::int32_t FormColor = 0x984E00;
    std::int32_t ButtonColor = 0xD8E9EC;
    std::u16string FontName;
    std::int32_t FontSize = 10;
};

class KGeneratorHost {
public:
    virtual ~KGeneratorHost() = default;
    // The main window, the generator's owner: the generator then has no taskbar button of its
    // own and is hidden with the main window while that is minimized.
    virtual HWND OwnerWindow() = 0;
    // The user's colours and font, read at each layout.
    virtual KGeneratorLook Look() = 0;
    virtual int DispUsedMode() = 0;
    virtual void SetDispUsedMode(int mode) = 0;
    // The main window's setting: 0 while it masks passwords.
    virtual int DispPassMode() = 0;
    // The stored entries, read only; null before the table exists.
    virtual const KIdTable* Entries() = 0;
    // The main window's password field.
    virtual std::u16string EntryPassword() = 0;
    // False while the main window asks for its PIN: nothing may reach the entry then.
    virtual bool HandOverAllowed() = 0;
    // Puts the password into the main window's password field, focuses it and stores the
    // current entry; refused while HandOverAllowed() is false.
    virtual void HandOver(const std::u16string& password) = 0;
    virtual void ShowHelp() = 0;
    // Docks a dragged window to its neighbour of the family of tools.
    virtual void SnapToNeighbour(HWND window) = 0;
};
