// The twenty settings as they travel between the data file and KEngine.
#pragma once
#include <cstdint>
#include <string>

class KIni;
struct KEngine;

struct KSettings {
    std::int32_t Top = 100;
    std::int32_t Left = 600;
    std::int32_t FormColor = 9981440;
    std::int32_t ButtonColor = 14215660;
    std::int32_t ButtonShortTextColor = 8421504;
    std::int32_t ButtonLongTextColor = 0;
    std::int32_t PasteMode = 1;
    std::int32_t EnterMode = 0;
    std::int32_t ClearMode = 0;
    std::int32_t PasteWait = 100;
    std::int32_t DispPassMode = 1;
    std::int32_t URLMode = 1;
    std::int32_t ListHeight = 165;
    std::int32_t MemoHeight = 72;
    std::int32_t ShortButtonNum = 5;
    std::int32_t PINMode = 0;
    std::u16string PINNo;
    std::u16string FontName = u"Tahoma";
    std::int32_t FontSize = 10;
    std::int32_t DispUsedMode = 0;
};

// Each key with ReadDef and its default, in file order; no range check.
KSettings ReadSettings(KIni& doc);
// Writes all twenty keys in file order.
void WriteSettings(KIni& doc, const KSettings& s);
// Brings values that the program itself never produces back into the ranges the
// layout and the entry table rely on.
void ClampSettings(KSettings& s);
// Keeps the window's top-left corner at least 100 pixels inside the right and bottom edges.
void ClampWindowPosition(std::int32_t& top, std::int32_t& left, int screenWidth, int screenHeight);

void ApplySettings(const KSettings& s, KEngine& engine);
KSettings SettingsOf(const KEngine& engine, std::int32_t top, std::int32_t left);
