// The master password's two dialogs: the prompt (at start, and wherever a typed password is to
// be checked against the key in memory) and the dialog that sets, changes or removes it.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

class KDocument;

// What the start prompt says after a miss: GCM cannot tell a wrong password from a changed file.
extern const char16_t kMasterMissText[];

// A modal dialog (class #32770) with one masked box, OK and Cancel. Asks until `verify` takes the
// typed password (true) or the user cancels (false). After the third miss each retry waits a
// growing moment. `missText` is shown after a miss; `note`, when given, stays under the box.
bool AskPassword(HWND owner, const std::u16string& caption,
                 const std::function<bool(const std::u16string&)>& verify,
                 const std::u16string& missText = kMasterMissText, const std::u16string& note = {});

// The main menu's dialog: the current password first when one is set, then the new one twice;
// an empty new one removes it. The document's key changes when the user confirms; the file
// follows at the next save. True when something changed. A lock cancels it (kf::CancelOpenDialogs):
// nothing typed there is taken, not even a confirmation already on its way.
bool ChangeMasterPassword(HWND owner, KDocument& doc);
