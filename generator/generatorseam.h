// How the main window reaches the generator window. The generator never sees the main window.
#pragma once
#include <windows.h>

class KGeneratorSeam {
public:
    virtual ~KGeneratorSeam() = default;
    virtual bool IsOpen() = 0;
    // The main menu's "パスワード生成(&p)": opens, or hides and resets at the next opening.
    virtual void Toggle() = 0;
    // Hidden when the options panel opens; its fields stay.
    virtual void Hide() = 0;
    // At a lock the password boxes are emptied, with their hints; after the unlock they get
    // their passwords back.
    virtual void Conceal() = 0;
    virtual void Reveal() = 0;
    virtual bool Owns(HWND window) = 0;
    // Sizes from the settings (when the window exists).
    virtual void LayoutControls() = 0;
    // The document was read anew: the boxes show its lists.
    virtual void ListsReloaded() = 0;
    // The window's position into the document, before a save.
    virtual void StorePosition() = 0;
};
