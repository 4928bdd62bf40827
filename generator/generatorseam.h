// How the main window reaches the generator window. The generator never sees the main window.
#pragma once
#include <windows.h>

class KIni;

class KGeneratorSeam {
public:
    virtual ~KGeneratorSeam() = default;
    virtual bool IsOpen() = 0;
    // The main menu's "パスワード生成(&p)": opens, or hides and resets at the next opening.
    virtual void Toggle() = 0;
    // Hidden when the options panel opens; its fields stay.
    virtual void Hide() = 0;
    virtual bool Owns(HWND window) = 0;
    // After the data file is loaded: sizes from the settings, the group box's list.
    virtual void LayoutControls() = 0;
    virtual void FillGroupBox() = 0;
    // The data file's generator lines.
    virtual void LoadGeneratorData(KIni& doc) = 0;
    virtual void SaveGeneratorData(KIni& doc) = 0;
};
