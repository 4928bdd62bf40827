#include <string>
#include <utility>
#include <vector>

#include "app/kengine.h"
#include "app/settings.h"
#include "storage/kini.h"
#include "storage/kplatform.h"
#include "storage/kvar.h"

namespace {

std::int32_t Clamp(std::int32_t v, std::int32_t lo, std::int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

std::int32_t ReadInt(KIni& doc, const char16_t* key, std::int32_t def) {
    return doc.ReadDef(KVar(def), KVar(key)).AsInt();
}

std::u16string ReadText(KIni& doc, const char16_t* key, const std::u16string& def) {
    return std::u16string(doc.ReadDef(KVar(def), KVar(key)).AsText());
}

std::u16string EntryName(int n) {
    std::u16string name(u"I");
    name += KVar(n).AsText();
    return name;
}

// The five texts of one entry line. The same as ReadPart(k, key) for k = 1 to 5, but the
// line is looked up and split once: ReadPart(1) leaves parts 2 to 5 split and still encoded.
KIdData ReadEntry(KIni& doc, const KVar& key) {
    KIdData d;
    d.Text(1) = doc.ReadPart(1, key).View();
    for (int k = 2; k <= 5; ++k) d.Text(k) = KIni::HexDecode(doc.Slot(k).View());
    return d;
}

}  // namespace

KSettings ReadSettings(KIni& doc) {
    const KSettings d;
    KSettings s;
    s.Top = ReadInt(doc, u"Top", d.Top);
    s.Left = ReadInt(doc, u"Left", d.Left);
    s.FormColor = ReadInt(doc, u"FormColor", d.FormColor);
    s.ButtonColor = ReadInt(doc, u"ButtonColor", d.ButtonColor);
    s.ButtonShortTextColor = ReadInt(doc, u"ButtonShortTextColor", d.ButtonShortTextColor);
    s.ButtonLongTextColor = ReadInt(doc, u"ButtonLongTextColor", d.ButtonLongTextColor);
    s.PasteMode = ReadInt(doc, u"PasteMode", d.PasteMode);
    s.EnterMode = ReadInt(doc, u"EnterMode", d.EnterMode);
    s.ClearMode = ReadInt(doc, u"ClearMode", d.ClearMode);
    s.PasteWait = ReadInt(doc, u"PasteWait", d.PasteWait);
    s.DispPassMode = ReadInt(doc, u"DispPassMode", d.DispPassMode);
    s.URLMode = ReadInt(doc, u"URLMode", d.URLMode);
    s.ListHeight = ReadInt(doc, u"ListHeight", d.ListHeight);
    s.MemoHeight = ReadInt(doc, u"MemoHeight", d.MemoHeight);
    s.ShortButtonNum = ReadInt(doc, u"ShortButtonNum", d.ShortButtonNum);
    s.PINMode = ReadInt(doc, u"PINMode", d.PINMode);
    s.PINNo = ReadText(doc, u"PINNo", d.PINNo);
    s.FontName = ReadText(doc, u"FontName", d.FontName);
    s.FontSize = ReadInt(doc, u"FontSize", d.FontSize);
    s.DispUsedMode = ReadInt(doc, u"DispUsedMode", d.DispUsedMode);
    return s;
}

void WriteSettings(KIni& doc, const KSettings& s) {
    doc.Write(KVar(s.Top), KVar(u"Top"));
    doc.Write(KVar(s.Left), KVar(u"Left"));
    doc.Write(KVar(s.FormColor), KVar(u"FormColor"));
    doc.Write(KVar(s.ButtonColor), KVar(u"ButtonColor"));
    doc.Write(KVar(s.ButtonShortTextColor), KVar(u"ButtonShortTextColor"));
    doc.Write(KVar(s.ButtonLongTextColor), KVar(u"ButtonLongTextColor"));
    doc.Write(KVar(s.PasteMode), KVar(u"PasteMode"));
    doc.Write(KVar(s.EnterMode), KVar(u"EnterMode"));
    doc.Write(KVar(s.ClearMode), KVar(u"ClearMode"));
    doc.Write(KVar(s.PasteWait), KVar(u"PasteWait"));
    doc.Write(KVar(s.DispPassMode), KVar(u"DispPassMode"));
    doc.Write(KVar(s.URLMode), KVar(u"URLMode"));
    doc.Write(KVar(s.ListHeight), KVar(u"ListHeight"));
    doc.Write(KVar(s.MemoHeight), KVar(u"MemoHeight"));
    doc.Write(KVar(s.ShortButtonNum), KVar(u"ShortButtonNum"));
    doc.Write(KVar(s.PINMode), KVar(u"PINMode"));
    doc.Write(KVar(s.PINNo), KVar(u"PINNo"));
    doc.Write(KVar(s.FontName), KVar(u"FontName"));
    doc.Write(KVar(s.FontSize), KVar(u"FontSize"));
    doc.Write(KVar(s.DispUsedMode), KVar(u"DispUsedMode"));
}

void ClampSettings(KSettings& s) {
    // More than ten group buttons would offer groups outside the table.
    s.ShortButtonNum = Clamp(s.ShortButtonNum, 5, 10);
    s.ListHeight = Clamp(s.ListHeight, 22, 500);
    s.MemoHeight = Clamp(s.MemoHeight, 22, 500);
    // A size of 0 or less is no size at all (e.g. a non-number); anything else is kept readable.
    s.FontSize = s.FontSize <= 0 ? 10 : Clamp(s.FontSize, 6, 72);
    // A negative wait would stall the window, a huge one look like a hang.
    s.PasteWait = Clamp(s.PasteWait, 0, 10000);
    if (s.PasteMode < 0 || s.PasteMode > 3) s.PasteMode = 1;
}

void ClampWindowPosition(std::int32_t& top, std::int32_t& left, int screenWidth, int screenHeight) {
    // 64-bit sums: a stored position near the int limit must not overflow.
    if (static_cast<std::int64_t>(top) + 100 > screenHeight) top = static_cast<std::int32_t>(screenHeight - 100);
    if (static_cast<std::int64_t>(left) + 100 > screenWidth) left = static_cast<std::int32_t>(screenWidth - 100);
}

void ApplySettings(const KSettings& s, KEngine& e) {
    e.FormColor = s.FormColor;
    e.ButtonColor = s.ButtonColor;
    e.ButtonShortTextColor = s.ButtonShortTextColor;
    e.ButtonLongTextColor = s.ButtonLongTextColor;
    e.PasteMode = s.PasteMode;
    e.EnterMode = s.EnterMode;
    e.ClearMode = s.ClearMode;
    e.PasteWait = s.PasteWait;
    e.DispPassMode = s.DispPassMode;
    e.URLMode = s.URLMode;
    e.ListHeight = s.ListHeight;
    e.MemoHeight = s.MemoHeight;
    e.ShortButtonNum = s.ShortButtonNum;
    e.PINMode = s.PINMode;
    e.PINNo = s.PINNo;
    e.FontName = s.FontName;
    e.FontSize = s.FontSize;
    e.DispUsedMode = s.DispUsedMode;
}

KSettings SettingsOf(const KEngine& e, std::int32_t top, std::int32_t left) {
    KSettings s;
    s.Top = top;
    s.Left = left;
    s.FormColor = e.FormColor;
    s.ButtonColor = e.ButtonColor;
    s.ButtonShortTextColor = e.ButtonShortTextColor;
    s.ButtonLongTextColor = e.ButtonLongTextColor;
    s.PasteMode = e.PasteMode;
    s.EnterMode = e.EnterMode;
    s.ClearMode = e.ClearMode;
    s.PasteWait = e.PasteWait;
    s.DispPassMode = e.DispPassMode;
    s.URLMode = e.URLMode;
    s.ListHeight = e.ListHeight;
    s.MemoHeight = e.MemoHeight;
    s.ShortButtonNum = e.ShortButtonNum;
    s.PINMode = e.PINMode;
    s.PINNo = e.PINNo;
    s.FontName = e.FontName;
    s.FontSize = e.FontSize;
    s.DispUsedMode = e.DispUsedMode;
    return s;
}

bool KEngine::LoadAll(KIdTable& table, KDataHost& host) {
    KIni doc;
    // A read error throws out of Load before anything here has been changed.
    if (!kplat::FileExists(DataPath)) {
        doc.Load(InitialPath);  // missing too: every setting takes its default
    } else {
        doc.Load(DataPath);
        if (doc.ReadDef(KVar(0), KVar(u"Keyra")).AsReal() == 0) {
            host.ShowMessage(u"Keyra のデータファイルではありません");
            return false;
        }
    }

    // Everything is taken out of the document first, so that the engine and the table
    // change only once the whole file has been understood.
    KSettings s = ReadSettings(doc);
    ClampSettings(s);
    std::vector<std::pair<int, KIdData>> used;
    for (int n = 0; n < KIdTable::kSlots; ++n) {
        const KVar key(EntryName(n));
        KIdData d = ReadEntry(doc, key);
        // In use when any text is there, so an entry without a title keeps its ID and password.
        if (!d.AllEmpty()) {
            d.InUse = 1;
            used.emplace_back(n, std::move(d));
        }
    }

    ApplySettings(s, *this);
    int width = 0, height = 0;
    host.ScreenSize(width, height);
    ClampWindowPosition(s.Top, s.Left, width, height);
    host.SetWindowTopLeft(s.Top, s.Left);

    std::size_t next = 0;
    for (int n = 0; n < KIdTable::kSlots; ++n) {
        KIdData& slot = table[n];
        if (next < used.size() && used[next].first == n) {
            slot = std::move(used[next].second);
            ++next;
        } else {
            slot.InUse = 0;
        }
    }

    host.SetPaintColor(FormColor);
    host.MaskPassword();
    host.LoadGeneratorData(doc);
    return true;
}

void KEngine::SaveAll(const KIdTable& table, KDataHost& host) {
    KIni doc;
    doc.Write(KVar(u"0.3"), KVar(u"Keyra"));
    WriteSettings(doc, SettingsOf(*this, host.WindowTop(), host.WindowLeft()));
    for (int n = 0; n < KIdTable::kSlots; ++n) {
        const KIdData& d = table[n];
        if (d.InUse != 1) continue;
        const KVar key(EntryName(n));
        for (int k = 1; k <= 5; ++k) doc.WritePart(k, KVar(d.Text(k)), key);
    }
    host.SaveGeneratorData(doc);
    // Written to a temporary file and swapped in; on failure this throws and the old file stays.
    doc.Save(DataPath);
}
