#include "ui/options.h"

#include <algorithm>

#include "app/settings.h"
#include "core/kdpi.h"
#include "core/kstr.h"
#include "ui/pinlock.h"

namespace {
constexpr int kMinGroups = 5;

// A number typed into the box for `field`, brought into the range the data file's loader keeps.
void ApplyNumber(const std::u16string& text, std::int32_t KSettings::*field, KSettings& e) {
    std::int32_t v = 0;
    if (!ParseBoxNumber(text, v)) return;
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const KSettingRow& row = kSettingRows[i];
        if (row.Int == field) v = std::clamp(v, row.Low, row.High);
    }
    e.*field = v;
}
}  // namespace

bool ParseBoxNumber(const std::u16string& text, std::int32_t& value) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    const std::size_t first = i;
    std::int64_t v = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) v = std::min<std::int64_t>(v * 10 + (text[i] - u'0'), INT32_MAX);
    while (i < text.size() && text[i] == u' ') ++i;
    if (i == first || i != text.size()) return false;
    value = static_cast<std::int32_t>(negative ? -v : v);
    return true;
}

KOptionValues OptionValuesOf(const KSettings& e) {
    KOptionValues v;
    v.pasteModeItem = e.PasteMode >= 0 && e.PasteMode < kPasteModeItems ? e.PasteMode : -1;
    const int groups = e.ShortButtonNum - kMinGroups;
    v.groupCountItem = groups >= 0 && groups < kGroupCountItems ? groups : -1;
    v.listHeight = kstr::Decimal(e.ListHeight);
    v.memoHeight = kstr::Decimal(e.MemoHeight);
    v.dispPass = e.DispPassMode != 0;
    v.dispPin = e.PINMode != 0;
    v.formColor = e.FormColor;
    v.buttonColor = e.ButtonColor;
    v.fontName = e.FontName;
    v.fontSize = kstr::Decimal(e.FontSize);
    return v;
}

void ApplyOptionValues(const KOptionValues& v, int pinMode, KSettings& e, std::int32_t& groupOffset) {
    if (v.pasteModeItem >= 0 && v.pasteModeItem < kPasteModeItems) e.PasteMode = v.pasteModeItem;
    if (v.groupCountItem >= 0 && v.groupCountItem < kGroupCountItems) e.ShortButtonNum = v.groupCountItem + kMinGroups;
    ApplyNumber(v.listHeight, &KSettings::ListHeight, e);
    ApplyNumber(v.memoHeight, &KSettings::MemoHeight, e);
    e.DispPassMode = v.dispPass ? 1 : 0;
    // A ticked box without a PIN that can be typed would only claim a lock there is not.
    if (pinMode == TPinLock::kHidden) e.PINMode = v.dispPin && IsValidPin(e.PINNo) ? 1 : 0;
    e.FormColor = v.formColor;
    e.ButtonColor = v.buttonColor;
    if (!v.fontName.empty()) e.FontName = v.fontName;
    // A size of 0 is no size: the old one stays.
    std::int32_t size = 0;
    if (ParseBoxNumber(v.fontSize, size) && size > 0) ApplyNumber(v.fontSize, &KSettings::FontSize, e);
    // The second group page follows the new count.
    if (groupOffset > 0) groupOffset = 10 - e.ShortButtonNum;
}

KOptionColumns OptionColumns(int dpi, int captionWidth, int rowWidth, int otherRight) {
    const auto px = [dpi](int length) { return kdpi::Scale(length, dpi); };
    KOptionColumns c;
    c.dpi = dpi;
    // Captions start at 16 and keep 4 pixels before their box.
    c.boxLeft = std::max(px(kPanelBoxLeft), px(16) + captionWidth + px(4));
    // The widest row of boxes ends 11 pixels inside the panel, as at 96 DPI.
    c.minWidth = std::max({px(kPanelMinWidth), c.boxLeft + rowWidth + px(11), otherRight});
    c.minHeight = px(kPanelMinHeight);
    return c;
}

KPanelPlacement PlaceOpenPanel(int panelTop, int panelHeight, int formWidth, int formHeight,
                               const KOptionColumns& c) {
    // The panel sits 4 pixels inside the window on every side but the top.
    const int margin = kdpi::Scale(4, c.dpi);
    KPanelPlacement p{formWidth - 2 * margin, panelHeight, formWidth, formHeight};
    if (panelHeight < c.minHeight) {
        p.panelHeight = c.minHeight;
        p.formHeight = panelTop + c.minHeight + margin;
    }
    if (p.panelWidth < c.minWidth) {
        p.panelWidth = c.minWidth;
        p.formWidth = c.minWidth + 2 * margin;
    }
    return p;
}
