// Shared by the word-list tests and the import fuzz target.
#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include "generator/wordlists.h"

// A sorted drop-down box as the platform keeps it.
class FakeBox : public KWordBox {
public:
    std::u16string text;
    std::vector<std::u16string> items;
    int focused = 0;
    std::u16string Text() override { return text; }
    void SetText(const std::u16string& t) override { text = t; }
    std::vector<std::u16string> Items() override { return items; }
    void AddItem(const std::u16string& item) override {
        items.insert(std::upper_bound(items.begin(), items.end(), item), item);
    }
    int IndexOf(const std::u16string& item) override {
        auto it = std::find(items.begin(), items.end(), item);
        return it == items.end() ? -1 : static_cast<int>(it - items.begin());
    }
    void DeleteItem(int i) override { items.erase(items.begin() + i); }
    void ClearItems() override { items.clear(); }
    void Focus() override { ++focused; }
};
