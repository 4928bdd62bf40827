#include "input/entryformat.h"

#include "storage/kini.h"

namespace {
const char16_t kKey[] = u"I0";
}

std::u16string BuildEntryText(const KIdData& entry) {
    KIni doc;
    for (int n = 1; n <= 5; ++n) doc.WritePart(n, KVar(entry.Text(n)), KVar(kKey));
    return doc.ReadDef(KVar(u""), KVar(kKey)).Str();
}

KIdData ParseEntryText(std::u16string_view text) {
    // A text from another program may carry a zero unit; the clipboard text ends there.
    const std::size_t zero = text.find(u'\0');
    if (zero != std::u16string_view::npos) text = text.substr(0, zero);

    KIni doc;
    doc.Write(KVar(text), KVar(kKey));
    KIdData entry;
    entry.InUse = 1;
    for (int n = 1; n <= 5; ++n) entry.Text(n) = doc.ReadPart(n, KVar(kKey)).Str();
    return entry;
}
