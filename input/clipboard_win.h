// Clipboard transfer: plain Unicode text, and whole entries in the private "KEYRA" format.
#pragma once
#include <windows.h>

#include <string>

#include "storage/kiddata.h"

// The format number every program gets for the name "KEYRA".
UINT KeyraClipboardFormat();

// Puts the text (with its terminator) on the clipboard as Unicode text; false when it is not
// there (the clipboard stayed busy, no memory). What Keyra puts there is cleared again
// kClipboardKeepMs later, unless something else has been put there since.
bool PutClipboardText(HWND owner, const std::u16string& text);

// The same, silent on failure; returns 0.
int SetClipboardText(HWND owner, const std::u16string& text);

// Replaces the clipboard's contents with the entry in the "KEYRA" format only.
// Throws KError with the system's text when the clipboard cannot be opened.
void CopyEntry(HWND owner, const KIdData& entry);

// The entry on the clipboard, marked in use; five empty texts when the format is absent.
// Throws KError with the system's text when the clipboard cannot be opened.
KIdData ReadClipboardEntry(HWND owner);

// Overwrites target with the clipboard's entry; on an error target stays as it was.
void PasteEntry(HWND owner, KIdData& target);

bool ClipboardHasEntry(HWND owner);

// Empties the clipboard if it still holds exactly what Keyra last put there: when that is due
// (the timer calls it so), or at once when closing. Another program's content is kept.
void ClearOwnClipboard(bool closing);

// While a paste runs, the text it pastes stays; the keep time starts again at its end.
void HoldClipboard(bool on);
