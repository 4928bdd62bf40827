#include <string>
#include <utility>
#include <vector>

#include "app/kengine.h"
#include "app/settings.h"
#include "core/kstr.h"
#include "storage/kini.h"
#include "storage/kplatform.h"
#include "storage/kvar.h"

namespace {

std::u16string EntryName(int n) { return u"I" + kstr::Decimal(n); }

// The five texts of one entry line. The same as ReadPart(k, key) for k = 1 to 5, but the
// line is looked up and split once: ReadPart(1) leaves parts 2 to 5 split and still encoded.
KIdData ReadEntry(KIni& doc, const KVar& key) {
    KIdData d;
    d.Text(1) = doc.ReadPart(1, key).View();
    for (int k = 2; k <= 5; ++k) d.Text(k) = KIni::HexDecode(doc.Slot(k).View());
    return d;
}

}  // namespace

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

    int width = 0, height = 0;
    host.ScreenSize(width, height);
    ClampWindowPosition(s.Top, s.Left, width, height);
    static_cast<KSettings&>(*this) = std::move(s);
    host.SetWindowTopLeft(Top, Left);

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
    KSettings s = *this;
    s.Top = host.WindowTop();
    s.Left = host.WindowLeft();
    WriteSettings(doc, s);
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
