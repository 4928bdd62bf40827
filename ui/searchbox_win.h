// The find box: one edit box laid over the title row. Typing shows the first entry whose
// title, ID, URL or memo holds the text (app/entrysearch.h), Enter and F3 the next one,
// Escape closes it. A text that nothing holds turns the box the warning colour.
#pragma once
#include <windows.h>

#include <memory>

#include "framework/controls.h"
#include "framework/gdi.h"

class TFKeyra;

class TSearchBox {
public:
    explicit TSearchBox(TFKeyra& form);
    ~TSearchBox();

    // Ctrl+F and the main menu; refused while the options or the PIN panel is shown.
    void Open();
    void Close();
    bool IsOpen() const { return edit_ && edit_->Visible(); }
    // Enter and F3: the next match after the current entry, round past the last.
    void Next();
    // Keys of the main window's own controls that reach the find box: Ctrl+F and F3.
    bool MainWindowKey(UINT vk);

private:
    void EnsureBox();
    void Place();
    // The match from the current entry on (itself first while typing), shown; the warning
    // colour when there is none.
    void Find(bool includeCurrent);
    void SetMissed(bool missed);

    TFKeyra& form_;
    kgdi::Font font_;
    std::unique_ptr<kf::Edit> edit_;
};
