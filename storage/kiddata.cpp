#include "storage/kiddata.h"

#include <stdexcept>

#include "storage/kplatform.h"

namespace {
void CapText(std::u16string& text, std::size_t cap) {
    if (text.size() <= cap) return;
    // A surrogate pair is never split.
    if (cap > 0 && text[cap - 1] >= 0xD800 && text[cap - 1] <= 0xDBFF) --cap;
    kplat::SecureWipe(text.data() + cap, (text.size() - cap) * sizeof(char16_t));
    text.resize(cap);
}
}  // namespace

std::u16string& KIdData::Text(int n) {
    switch (n) {
        case 1: return Title;
        case 2: return Id;
        case 3: return Password;
        case 4: return Url;
        case 5: return Memo;
        default: throw std::out_of_range("KIdData::Text: part must be 1..5");
    }
}

const std::u16string& KIdData::Text(int n) const { return const_cast<KIdData*>(this)->Text(n); }

bool KIdData::AllEmpty() const {
    return Title.empty() && Id.empty() && Password.empty() && Url.empty() && Memo.empty();
}

void KIdData::ClearTexts() {
    for (int n = 1; n <= 5; ++n) kplat::Wipe(Text(n));
}

void KIdData::Cap() {
    for (int n = 1; n <= 4; ++n) CapText(Text(n), kFieldMax);
    CapText(Memo, kMemoMax);
}

KIdTable::KIdTable() {
    for (auto& slot : slots_) slot = std::make_unique<KIdData>();
}

KIdTable::KIdTable(const KIdTable& other) {
    for (std::size_t i = 0; i < slots_.size(); ++i) slots_[i] = std::make_unique<KIdData>(*other.slots_[i]);
}

KIdTable& KIdTable::operator=(const KIdTable& other) {
    if (this != &other)
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            slots_[i]->ClearTexts();
            *slots_[i] = *other.slots_[i];
        }
    return *this;
}

KIdTable::~KIdTable() {
    for (auto& slot : slots_)
        if (slot) slot->ClearTexts();
}
