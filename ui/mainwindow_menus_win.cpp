// TFKeyra's three popup menus: the window's own, the list's and the field buttons'.
#include "app/mainbank.h"
#include "controls/buttonbank_win.h"
#include "generator/generatorseam.h"
#include "input/clipboard_win.h"
#include "ui/mainwindow_win.h"
#include "ui/optionspanel_win.h"
#include "ui/pinlock.h"
#include "ui/pinpanel_win.h"
#include "ui/searchbox_win.h"

// A menu's choice counts only when no lock came while it was open (the lock closes it, and a
// choice already on its way is dropped).
int TFKeyra::ShowMenu(const kf::PopupMenu& menu, POINT screen) {
    const unsigned locks = life_.Locks();
    const int tag = menu.Show(Handle(), screen);
    return life_.Locks() == locks ? tag : 0;
}

void TFKeyra::PMenuMainPopupAndRun(POINT screen) {
    if (!ops_) return;
    kf::PopupMenu menu;
    const KMainMenuState state = MainMenuRules(options_->IsOpen(), Locked());
    menu.items = {
        {kMenuGen, L"パスワード生成(&p)", L"", state.GeneratorEnabled, generator_->IsOpen(), state.Generator},
        {kMenuChangeGroup, L"グループの切り替え(&G)", L"", state.ChangeGroupEnabled, false, state.ChangeGroup},
        // Not while the PIN is asked: the dialog would let anyone at the window replace the password.
        {kMenuMaster, L"マスターパスワードの設定(&M)...", L"", state.ChangeGroup, false, state.ChangeGroup},
        {kMenuSearch, L"検索(&F)", L"Ctrl+F", state.SearchEnabled, false, state.Search},
        // Not while the window is locked: an import fills the entries, an export reads them all.
        {kMenuImport, L"インポート(&I)...", L"", state.ChangeGroupEnabled, false, state.ChangeGroup},
        {kMenuExport, L"エクスポート(&E)...", L"", state.ChangeGroupEnabled, false, state.ChangeGroup},
        {0, L"-", L"", true, false, state.Generator || state.ChangeGroup || state.Search},
        {kMenuHelp, L"ヘルプ(&H)", L"", true, false},
        {kMenuExit, L"終了(&X)", L"", true, false},
    };
    const int tag = ShowMenu(menu, screen);
    // The window may have locked meanwhile: decide again at the choice.
    const KMainMenuState now = MainMenuRules(options_->IsOpen(), Locked());
    switch (tag) {
        case kMenuGen:
            if (now.GeneratorEnabled) generator_->Toggle();
            break;
        case kMenuChangeGroup:
            if (now.ChangeGroupEnabled) ops_->TogglePage();
            break;
        case kMenuMaster:
            if (now.ChangeGroup) host_.ChangeMasterPassword();
            break;
        case kMenuSearch:
            if (now.SearchEnabled) search_->Open();
            break;
        case kMenuImport:
            if (now.ChangeGroupEnabled) host_.ImportEntries();
            break;
        case kMenuExport:
            if (now.ChangeGroupEnabled) host_.ExportEntries();
            break;
        case kMenuHelp:
            ShowHelp();
            break;
        case kMenuExit:
            // The close itself keeps what is being typed.
            PostMessageW(Handle(), WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
}

void TFKeyra::PMenuListPopupAndRun(POINT screen) {
    if (!ops_ || Locked()) return;
    const KListMenuState state = ops_->PMenuListPopup(ClipboardHasEntry(Handle()));
    kf::PopupMenu menu;
    menu.items = {
        {kListCopy, L"コピー(&C)", L"Ctrl+C", state.Copy, false},
        {kListPaste, L"貼り付け(&P)", L"Ctrl+V", state.Paste, false},
        {0, L"-", L"", true, false},
        {kListDelete, L"削除(&D)", L"Del", state.Delete, false},
        {kListUndo, L"元に戻す(&U)", L"", state.Undo, false},
    };
    // The entry operations decide again whether the item is still there to choose.
    if (const int tag = ShowMenu(menu, screen)) ops_->PMenuListClick(tag);
}

void TFKeyra::PMenuButtonPopupAndRun(POINT screen) {
    if (!ops_ || Locked()) return;
    kf::PopupMenu menu;
    menu.items = {{1, L"コピー(&C)", L"", true, false}};
    if (ShowMenu(menu, screen) == 1) ops_->PMenuButtonClick(bank_->LastIndex);
}

bool TFKeyra::ListKey(UINT key) {
    if (!ops_ || Locked()) return false;
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    int tag = 0;
    if (ctrl && key == 'C') tag = kListCopy;
    else if (ctrl && key == 'V') tag = kListPaste;
    else if (!ctrl && key == VK_DELETE) tag = kListDelete;
    if (!tag) return false;
    ops_->PMenuListClick(tag);
    return true;
}

bool TFKeyra::SearchAllowed() const {
    return life_.Allows(KUse::Entries) && options_ && !options_->IsOpen() && pin_ &&
           pin_->Lock().Mode == TPinLock::kHidden;
}

bool TFKeyra::SearchKey(UINT key) { return search_ && SearchAllowed() && search_->MainWindowKey(key); }

void TFKeyra::FocusNext(HWND from, bool backwards) {
    if (Locked()) return;
    const HWND order[] = {list_->Handle(), edits_[0]->Handle(), edits_[1]->Handle(),
                          edits_[2]->Handle(), edits_[3]->Handle(), memo_->Handle()};
    constexpr int count = static_cast<int>(std::size(order));
    for (int i = 0; i < count; ++i) {
        if (order[i] != from) continue;
        SetFocus(order[(i + (backwards ? count - 1 : 1)) % count]);
        return;
    }
}
