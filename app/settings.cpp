#include "app/settings.h"

#include "storage/kini.h"
#include "storage/kvar.h"

namespace {

constexpr KSettingRow Number(const char16_t* key, std::int32_t KSettings::*field, std::int32_t def,
                             std::int32_t low = 0, std::int32_t high = 0,
                             KOutOfRange outOfRange = KOutOfRange::Keep) {
    return {key, field, nullptr, def, nullptr, low, high, outOfRange};
}

constexpr KSettingRow Text(const char16_t* key, std::u16string KSettings::*field, const char16_t* def) {
    return {key, nullptr, field, 0, def, 0, 0, KOutOfRange::Keep};
}

}  // namespace

// Colours are $00BBGGRR and stored in decimal.
constexpr KSettingRow kSettingRows[] = {
    Number(u"Top", &KSettings::Top, 100),
    Number(u"Left", &KSettings::Left, 600),
    Number(u"FormColor", &KSettings::FormColor, 0x984E00),
    Number(u"ButtonColor", &KSettings::ButtonColor, 0xD8E9EC),
    Number(u"ButtonShortTextColor", &KSettings::ButtonShortTextColor, 0x808080),
    Number(u"ButtonLongTextColor", &KSettings::ButtonLongTextColor, 0),
    Number(u"PasteMode", &KSettings::PasteMode, 1, 0, 3, KOutOfRange::Default),
    Number(u"EnterMode", &KSettings::EnterMode, 0),
    Number(u"ClearMode", &KSettings::ClearMode, 0),
    // A negative wait would stall the window, a huge one look like a hang.
    Number(u"PasteWait", &KSettings::PasteWait, 100, 0, 10000, KOutOfRange::Nearest),
    Number(u"DispPassMode", &KSettings::DispPassMode, 1),
    Number(u"URLMode", &KSettings::URLMode, 1),
    Number(u"ListHeight", &KSettings::ListHeight, 165, 22, 500, KOutOfRange::Nearest),
    Number(u"MemoHeight", &KSettings::MemoHeight, 72, 22, 500, KOutOfRange::Nearest),
    // More than ten group buttons would offer groups outside the table.
    Number(u"ShortButtonNum", &KSettings::ShortButtonNum, 5, 5, 10, KOutOfRange::Nearest),
    Number(u"PINMode", &KSettings::PINMode, 0),
    Text(u"PINNo", &KSettings::PINNo, u""),
    Text(u"FontName", &KSettings::FontName, u"Tahoma"),
    // A size of 0 or less is no size at all (e.g. a non-number); anything else is kept readable.
    Number(u"FontSize", &KSettings::FontSize, 10, 6, 72, KOutOfRange::NearestOrDefault),
    Number(u"DispUsedMode", &KSettings::DispUsedMode, 0),
};
constexpr std::size_t kSettingCount = sizeof kSettingRows / sizeof kSettingRows[0];

KSettings::KSettings() {
    for (const KSettingRow& r : kSettingRows) {
        if (r.Int) this->*r.Int = r.IntDefault;
        else this->*r.Text = r.TextDefault;
    }
}

KSettings ReadSettings(KIni& doc) {
    KSettings s;
    for (const KSettingRow& r : kSettingRows) {
        if (r.Int) s.*r.Int = doc.ReadDef(KVar(r.IntDefault), KVar(r.Key)).AsInt();
        else s.*r.Text = std::u16string(doc.ReadDef(KVar(std::u16string(r.TextDefault)), KVar(r.Key)).AsText());
    }
    return s;
}

void WriteSettings(KIni& doc, const KSettings& s) {
    for (const KSettingRow& r : kSettingRows) {
        if (r.Int) doc.Write(KVar(s.*r.Int), KVar(r.Key));
        else doc.Write(KVar(s.*r.Text), KVar(r.Key));
    }
}

void ClampSettings(KSettings& s) {
    for (const KSettingRow& r : kSettingRows) {
        if (!r.Int || r.OutOfRange == KOutOfRange::Keep) continue;
        std::int32_t& v = s.*r.Int;
        if (v >= r.Low && v <= r.High) continue;
        if (r.OutOfRange == KOutOfRange::Default || (r.OutOfRange == KOutOfRange::NearestOrDefault && v <= 0)) {
            v = r.IntDefault;
        } else {
            v = v < r.Low ? r.Low : r.High;
        }
    }
}

void ClampWindowPosition(std::int32_t& top, std::int32_t& left, int screenWidth, int screenHeight) {
    // 64-bit sums: a stored position near the int limit must not overflow.
    if (static_cast<std::int64_t>(top) + 100 > screenHeight) top = static_cast<std::int32_t>(screenHeight - 100);
    if (static_cast<std::int64_t>(left) + 100 > screenWidth) left = static_cast<std::int32_t>(screenWidth - 100);
}

bool SameSettings(const KSettings& a, const KSettings& b) {
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const KSettingRow& r = kSettingRows[i];
        if (r.Int ? a.*r.Int != b.*r.Int : a.*r.Text != b.*r.Text) return false;
    }
    return true;
}
