#include "app/masterpassword.h"

namespace kmaster {

int CharacterCount(std::u16string_view text) {
    int n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
        ++n;
    }
    return n;
}

std::u16string NewPasswordProblem(std::u16string_view password, std::u16string_view confirmation) {
    if (password != confirmation) return u"新しいパスワードと確認のパスワードが一致しません。もう一度入力してください。";
    if (!password.empty() && CharacterCount(password) < kMinLength) return u"マスターパスワードが短すぎます。8文字以上で入力してください。";
    return {};
}

int RetryDelayMs(int misses) {
    if (misses < 3) return 0;
    const int steps = misses - 3;
    return steps >= 5 ? 30000 : 1000 << steps;
}

}  // namespace kmaster
