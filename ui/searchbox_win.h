// The find box: one edit box laid over the title row. Typing shows the first entry whose
// title, ID, URL or memo holds the text (app/entrysearch.h), Enter and F3 the next one,
// Escape closes it. A text that nothing holds turns the box the warning colour.
#pragma once
#include <windows.h>

#include <memory>

#include "framework/controls.h"
#include "framework/gdi.h"

class KDocument;

// What the find box needs of the window whose title row it lies over.
class KSearchHost {
public:
    virtual ~KSearchHost() = default;
    virtual HWND Window() = 0;
    // Right edge of the caption label in the title row.
    virtual int CaptionRight() = 0;
    // The find box works while the entries are shown and no panel covers them.
    virtual bool SearchAllowed() = 0;
    virtual void FocusList() = 0;
    // What is being typed into the entry counts: it is stored before the search reads the table.
    virtual void StoreCurrent() = 0;
    virtual int CurrentEntry() = 0;
    // Shows entry `index` as a click on its row would, switching the group first.
    virtual void ShowFound(int index) = 0;
};

class TSearchBox {
public:
    TSearchBox(KSearchHost& host, const KDocument& doc);
    ~TSearchBox();

    // Ctrl+F and the main menu; refused while the options or the PIN panel is shown.
    void Open();
    void Close();
    // The lock: the text looked for goes too (it is a piece of an entry).
    void Clear();
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

    KSearchHost& host_;
    const KDocument& doc_;
    kgdi::Font font_;
    std::unique_ptr<kf::Edit> edit_;
};
