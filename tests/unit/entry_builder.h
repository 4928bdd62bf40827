// An entry in use with the given five texts, for tests.
#pragma once
#include <string>
#include <utility>

#include "storage/kiddata.h"

inline KIdData Entry(std::u16string title, std::u16string id, std::u16string pass, std::u16string url,
                     std::u16string memo) {
    KIdData e;
    e.InUse = 1;
    e.Title = std::move(title);
    e.Id = std::move(id);
    e.Password = std::move(pass);
    e.Url = std::move(url);
    e.Memo = std::move(memo);
    return e;
}
