// The rules of the master password dialogs, apart from the windows.
#pragma once
#include <string>
#include <string_view>

namespace kmaster {

constexpr int kMinLength = 8;

// Characters, a surrogate pair counting as one.
int CharacterCount(std::u16string_view text);

// The message that refuses a new password and its confirmation; empty when they are taken.
// Two empty entries are taken: they remove the master password.
std::u16string NewPasswordProblem(std::u16string_view password, std::u16string_view confirmation);

// How long the prompt waits before it takes the next try after `misses` wrong passwords:
// nothing for the first three, then a growing wait up to half a minute.
int RetryDelayMs(int misses);

}  // namespace kmaster
