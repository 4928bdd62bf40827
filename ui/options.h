// The options panel's rules, apart from its controls: what the controls show when it opens,
// how their values go back into KEngine when it closes, and how it is placed. Portable.
#pragma once
#include <cstdint>
#include <string>

struct KSettings;

// The values of the panel's controls. An item of -1 is a drop-down box with nothing chosen.
struct KOptionValues {
    int pasteModeItem = -1;   // ComboBoxPasteMode
    int groupCountItem = -1;  // ComboBoxShortButtonNum: item + 5 groups
    std::u16string listHeight;
    std::u16string memoHeight;
    bool dispPass = false;
    bool dispPin = false;
    std::int32_t formColor = 0;
    std::int32_t buttonColor = 0;
    std::u16string fontName;
    std::u16string fontSize;
};

constexpr int kPasteModeItems = 3;
constexpr int kGroupCountItems = 6;

// The controls filled from the settings (on opening).
KOptionValues OptionValuesOf(const KSettings& settings);

// The controls' values into the settings (on closing). `pinMode` is the PIN lock's Mode: the
// box's state becomes PINMode only while no PIN panel is open. A box or list that holds no
// usable value (empty, not a number, nothing chosen) keeps that setting as it was. The second
// group page (`groupOffset`) follows a new count.
void ApplyOptionValues(const KOptionValues& values, int pinMode, KSettings& settings, std::int32_t& groupOffset);

// The number in a box: false when there is none; far too large numbers saturate instead of
// wrapping.
bool ParseBoxNumber(const std::u16string& text, std::int32_t& value);

// Where the open panel goes and how large the window must become.
struct KPanelPlacement {
    int panelWidth = 0, panelHeight = 0;
    int formWidth = 0, formHeight = 0;
};
constexpr int kPanelMinHeight = 345;
constexpr int kPanelMinWidth = 214;
constexpr int kPanelBoxLeft = 90;

// The open panel at a DPI: where its boxes start and how small it may be. The 96-DPI places
// scaled; the boxes move right of a caption that needs more room, and the panel widens to
// its widest row.
struct KOptionColumns {
    int dpi = 96;
    int boxLeft = kPanelBoxLeft;
    int minWidth = kPanelMinWidth, minHeight = kPanelMinHeight;
};
// Measured at `dpi`: the widest caption left of the boxes, the widest row from the boxes'
// left edge, and the right edge (with its margin) of anything else in the panel.
KOptionColumns OptionColumns(int dpi, int captionWidth, int rowWidth, int otherRight);

KPanelPlacement PlaceOpenPanel(int panelTop, int panelHeight, int formWidth, int formHeight,
                               const KOptionColumns& columns = {});
