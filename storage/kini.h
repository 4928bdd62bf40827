// KIni: ordered name=value lines with multi-part values and the scrambled file format.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/kvar.h"

class KIni {
public:
    static constexpr std::int32_t kScrambleSeed = 8642;

    KIni();
    ~KIni();
    KIni(const KIni&) = delete;
    KIni& operator=(const KIni&) = delete;

    bool LoadText(const std::u16string& path);
    // `whole` (when given) tells whether the file is exactly what Save writes: not cut short,
    // read in full, and its text without a zero unit before its end. Text past such a zero
    // unit is read too; a whole file loads exactly as it always did.
    bool Load(const std::u16string& path, bool* whole = nullptr);
    // The file's previous contents stay under `backup` (none when empty); false when that could
    // not be kept (the file is saved all the same). Throws KFileError, also when the file would
    // be too large to be read back.
    bool Save(const std::u16string& path, const std::u16string& backup = {});

    KVar& Read(const KVar& key);
    KVar ReadDef(const KVar& def, const KVar& key);
    void Write(const KVar& value, const KVar& key);
    KVar& ReadPart(int n, const KVar& key);
    void WritePart(int n, const KVar& value, const KVar& key);

    int LineCount() const;
    const std::u16string& Line(int i) const;
    std::u16string LineName(int i) const;
    std::u16string LineValue(int i) const;
    void AppendLine(std::u16string line);
    void Clear();

    void SetSeed(std::int32_t s) { seed_ = s; }
    std::int32_t Next();
    std::int32_t RandRange(std::int32_t a, std::int32_t b);

    // The pieces of the file format, public so that the clipboard and tests can use them.
    static constexpr int kParts = 15;
    void SplitParts(std::u16string_view text);
    // The parts SplitParts finds, as views into `text`; empty where a part is absent.
    static void PartViews(std::u16string_view text, std::u16string_view (&parts)[kParts]);
    // The value of the line named `name` as Read gives it, without a copy: valid until the
    // lines change. Empty when there is no such line.
    std::u16string_view ValueView(std::u16string_view name) const;
    KVar& Slot(int n) { return parts_[n - 1]; }
    static std::u16string HexEncode(std::u16string_view text);
    static std::u16string HexDecode(std::u16string_view hex);
    // Whole-text decoding of a file's bytes by its byte-order mark (ANSI without one).
    static std::u16string DecodeFileText(const std::vector<std::uint8_t>& bytes);
    static std::vector<std::u16string> SplitLines(std::u16string_view text);
    // The exact bytes Save writes / the plain text Load recovers, without touching a file.
    std::vector<std::uint8_t> ScrambledBytes();
    void LoadScrambledText(std::u16string_view fileText);
    // The text the scrambled form carries (every line followed by CR LF), and its inverse.
    std::u16string PlainText() const;
    void LoadPlainText(std::u16string_view text);

private:
    int FindLine(std::u16string_view name) const;
    void IndexLine(int i);
    void Reindex();
    void ReplaceLines(std::vector<std::u16string> lines);

    std::vector<std::u16string> lines_;
    KVar parts_[kParts];
    std::int32_t seed_ = 1;
    struct Index;
    std::unique_ptr<Index> index_;
};
