// The twenty settings: their values (held once, in KEngine) and the one table that
// gives each its file key, default and allowed range.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class KIni;

struct KSettings {
    // The main window's position as read from or about to be written to the file;
    // the window itself holds the live one.
    std::int32_t Top;
    std::int32_t Left;
    std::int32_t FormColor;
    std::int32_t ButtonColor;
    std::int32_t ButtonShortTextColor;
    std::int32_t ButtonLongTextColor;
    std::int32_t PasteMode;
    std::int32_t EnterMode;
    std::int32_t ClearMode;
    std::int32_t PasteWait;
    std::int32_t DispPassMode;
    std::int32_t URLMode;
    std::int32_t ListHeight;
    std::int32_t MemoHeight;
    std::int32_t ShortButtonNum;
    std::int32_t PINMode;
    std::u16string PINNo;
    std::u16string FontName;
    std::int32_t FontSize;
    std::int32_t DispUsedMode;

    // Every value at its table default.
    KSettings();
};

// What loading does with a number outside [Low, High].
enum class KOutOfRange : std::uint8_t {
    Keep,             // taken as it is
    Nearest,          // moved to the nearest bound
    Default,          // replaced by the default
    NearestOrDefault  // 0 or less means "no value": the default; otherwise the nearest bound
};

// One row per setting, in file order. Text settings have Text set and no range.
struct KSettingRow {
    const char16_t* Key;
    std::int32_t KSettings::*Int;
    std::u16string KSettings::*Text;
    std::int32_t IntDefault;
    const char16_t* TextDefault;
    std::int32_t Low;
    std::int32_t High;
    KOutOfRange OutOfRange;
};

extern const KSettingRow kSettingRows[];
extern const std::size_t kSettingCount;

// Each key with ReadDef and its default, in file order; no range check.
KSettings ReadSettings(KIni& doc);
// Whether every one of the twenty settings is the same.
bool SameSettings(const KSettings& a, const KSettings& b);
// Writes all twenty keys in file order.
void WriteSettings(KIni& doc, const KSettings& s);
// Brings values that the program itself never produces back into the ranges the
// layout and the entry table rely on.
void ClampSettings(KSettings& s);
// Keeps the window's top-left corner at least 100 pixels inside the right and bottom edges.
void ClampWindowPosition(std::int32_t& top, std::int32_t& left, int screenWidth, int screenHeight);
