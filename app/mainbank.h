// The main window's buttons in its bank, by name. One place for every number: the window,
// its layout and the entry operations read them from here.
#pragma once
#include "controls/bankrows.h"

namespace kmainbank {
constexpr int kCount = 40;

// Title row: the help button (hidden there; moved into the options panel), minimize, close.
constexpr int kHelpPos = kbank::kTitleRow;
constexpr int kMinimizePos = kbank::kTitleRow + 1;
constexpr int kClosePos = kbank::kTitleRow + 2;
constexpr int kTitleButtons = 3;
constexpr int kHelp = kbank::IndexOf(kHelpPos);
constexpr int kMinimize = kbank::IndexOf(kMinimizePos);
constexpr int kClose = kbank::IndexOf(kClosePos);

// Group row: group button k (1..n) and, after the n group buttons, "OP".
constexpr int kMaxGroupButtons = 10;
constexpr int GroupPos(int k) { return kbank::kGroupRow + k - 1; }
constexpr int Group(int k) { return kbank::IndexOf(GroupPos(k)); }
constexpr int OptionsPos(int n) { return kbank::kGroupRow + n; }
constexpr int Options(int n) { return kbank::IndexOf(OptionsPos(n)); }
// The group button number k of a bank Index (0 when it is none of the first n).
constexpr int GroupOfIndex(int index, int n) { return index >= Group(1) && index <= Group(n) ? index - Group(1) + 1 : 0; }

// Field column: 1 title, 2 id, 3 pass, 4 url.
constexpr int kFields = 4;
constexpr int kTitleField = 1, kIdField = 2, kPassField = 3, kUrlField = 4;
constexpr int FieldPos(int f) { return kbank::kColumn + f - 1; }
constexpr int Field(int f) { return kbank::IndexOf(FieldPos(f)); }
constexpr int FieldOfIndex(int index) { return index >= Field(1) && index <= Field(kFields) ? index - Field(1) + 1 : 0; }

// A click on the bare window: the group page switch.
constexpr int kPageSwitch = 0;
}  // namespace kmainbank
