// The text of one entry in the private "KEYRA" clipboard format: the multi-part value of the
// key-value document with the five texts as parts 1 to 5 (title, ID, password, URL, memo).
#pragma once
#include <string>

#include "storage/kiddata.h"

// The empty text for an entry whose five texts are all empty.
std::u16string BuildEntryText(const KIdData& entry);

// An entry in use with the five parts of the text; parts 6 to 15, text before the first
// marker and anything after a zero unit are ignored, a missing part gives an empty text.
KIdData ParseEntryText(std::u16string_view text);
