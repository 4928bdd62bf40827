// One stored entry and the fixed table of 1001 of them.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

struct KIdData {
    // The most that can be typed into one text: each single-line field and the memo. With
    // every slot full the data file stays well below the largest file the loader reads.
    static constexpr int kFieldMax = 2048;
    static constexpr int kMemoMax = 32000;

    std::int32_t InUse = 0;
    std::u16string Title;
    std::u16string Id;
    std::u16string Password;
    std::u16string Url;
    std::u16string Memo;

    // Texts numbered 1 to 5 (title, ID, password, URL, memo) as they are stored part by part.
    std::u16string& Text(int n);
    const std::u16string& Text(int n) const;
    bool AllEmpty() const;
    void ClearTexts();
    // Each text cut to what can be typed into its box (kFieldMax, the memo kMemoMax).
    void Cap();
};

class KIdTable {
public:
    static constexpr int kSlots = 1001;
    static constexpr int kGroups = 10;
    static constexpr int kPerGroup = 100;

    KIdTable();
    // Copies are whole: a save takes one to write it on another thread.
    KIdTable(const KIdTable& other);
    KIdTable& operator=(const KIdTable& other);
    // The texts are overwritten before they go: they hold passwords.
    ~KIdTable();
    KIdData& operator[](int index) { return *slots_.at(static_cast<std::size_t>(index)); }
    const KIdData& operator[](int index) const { return *slots_.at(static_cast<std::size_t>(index)); }
    int Size() const { return kSlots; }

private:
    std::array<std::unique_ptr<KIdData>, kSlots> slots_;
};
