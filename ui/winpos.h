// Where the main window may open: a position read from the data file must leave the title
// row reachable, or the user could never move the window back.
#pragma once
#include <vector>

#include "ui/layout.h"

// The caption and the title buttons above the group row.
constexpr int kTitleRowHeight = 22;

// True when some part of the title row of a window at (left, top), `width` wide, lies on a screen.
bool TitleRowOnScreen(int left, int top, int width, const std::vector<KRect>& screens);

// When the title row lies on no screen, the window moves into the screen nearest to it, its
// top-left corner at least 100 pixels inside that screen's right and bottom edges (as the load
// clamp keeps it); otherwise the position stays as it is.
void BringTitleRowOnScreen(int& left, int& top, int width, const std::vector<KRect>& screens);
