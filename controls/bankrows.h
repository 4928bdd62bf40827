// Where a button bank's rows start (positions; a button's Index is its position + 1).
#pragma once

namespace kbank {
constexpr int kTitleRow = 0;
constexpr int kGroupRow = 10;
constexpr int kColumn = 30;
constexpr int IndexOf(int position) { return position + 1; }
}  // namespace kbank
