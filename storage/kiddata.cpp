#include "storage/kiddata.h"

#include <stdexcept>

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
    Title.clear();
    Id.clear();
    Password.clear();
    Url.clear();
    Memo.clear();
}

KIdTable::KIdTable() {
    for (auto& slot : slots_) slot = std::make_unique<KIdData>();
}
