#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "input/clipboard_win.h"
#include "input/entryformat.h"
#include "core/kerror.h"
#include "tests/unit/entry_builder.h"
#include "tests/windows/input_test_util.h"

namespace {

using inputtest::ExeDir;
using inputtest::RunToEnd;

void ExpectSameTexts(const KIdData& a, const KIdData& b) {
    for (int n = 1; n <= 5; ++n) EXPECT_EQ(a.Text(n), b.Text(n)) << "text " << n;
}

std::vector<UINT> Formats() {
    std::vector<UINT> all;
    if (!OpenClipboard(nullptr)) return all;
    for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) all.push_back(f);
    CloseClipboard();
    return all;
}

// The block of one format as bytes; false when it is not on the clipboard.
bool BlockOf(UINT format, std::vector<unsigned char>& out) {
    out.clear();
    if (!OpenClipboard(nullptr)) return false;
    bool found = false;
    if (HANDLE h = GetClipboardData(format)) {
        const SIZE_T n = GlobalSize(h);
        if (const void* p = GlobalLock(h)) {
            out.assign(static_cast<const unsigned char*>(p), static_cast<const unsigned char*>(p) + n);
            GlobalUnlock(h);
            found = true;
        }
    }
    CloseClipboard();
    return found;
}

std::vector<unsigned char> Utf16zBytes(const std::u16string& text) {
    std::vector<unsigned char> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<unsigned char>(c & 0xFF));
        bytes.push_back(static_cast<unsigned char>(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

std::wstring Hex(const std::vector<unsigned char>& bytes) {
    std::wstring s;
    const wchar_t* digits = L"0123456789abcdef";
    for (unsigned char b : bytes) {
        s.push_back(digits[b >> 4]);
        s.push_back(digits[b & 15]);
    }
    return s;
}

std::vector<unsigned char> ReadFileBytes(const std::wstring& path) {
    std::ifstream f(path.c_str(), std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::wstring Tool() { return L"\"" + ExeDir() + L"clipdump.exe\""; }

UINT HistoryFormat() { return RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"); }
UINT CloudFormat() { return RegisterClipboardFormatW(L"CanUploadToCloudClipboard"); }
UINT MonitorFormat() { return RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"); }
UINT ViewerFormat() { return RegisterClipboardFormatW(L"Clipboard Viewer Ignore"); }

void ExpectKeptOutOfHistory() {
    // Clipboard managers look for these two by their presence alone.
    EXPECT_TRUE(IsClipboardFormatAvailable(MonitorFormat()));
    EXPECT_TRUE(IsClipboardFormatAvailable(ViewerFormat()));
    for (UINT f : {HistoryFormat(), CloudFormat()}) {
        std::vector<unsigned char> block;
        ASSERT_TRUE(BlockOf(f, block)) << f;
        ASSERT_GE(block.size(), sizeof(DWORD));
        DWORD v = 1;
        std::memcpy(&v, block.data(), sizeof v);
        EXPECT_EQ(v, 0u);
    }
}

// Opens the clipboard on another thread and keeps it open until released.
class ClipboardHolder {
public:
    ClipboardHolder() {
        opened_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this] {
            // Opened for a window: the clipboard then belongs to that window until closed.
            HWND owner = inputtest::MakeWindow(0, 0, 10, 10, false);
            ok_ = owner && OpenClipboard(owner) != FALSE;
            SetEvent(opened_);
            WaitForSingleObject(release_, 10000);
            if (ok_) CloseClipboard();
            if (owner) DestroyWindow(owner);
        });
        WaitForSingleObject(opened_, 5000);
    }
    ~ClipboardHolder() {
        SetEvent(release_);
        thread_.join();
        CloseHandle(opened_);
        CloseHandle(release_);
    }
    bool Holding() const { return ok_; }

private:
    HANDLE opened_, release_;
    bool ok_ = false;
    std::thread thread_;
};

}  // namespace

TEST(ClipboardText, HoldsExactlyTheTextAndItsTerminator) {
    const std::u16string text = u"パス=word\\\\x\r\n末尾";
    ASSERT_EQ(SetClipboardText(nullptr, text), 0);
    std::vector<unsigned char> block;
    ASSERT_TRUE(BlockOf(CF_UNICODETEXT, block));
    EXPECT_EQ(block, Utf16zBytes(text));
    EXPECT_FALSE(ClipboardHasEntry(nullptr));
    ExpectKeptOutOfHistory();
}

TEST(ClipboardText, EmptyTextIsATwoByteBlock) {
    SetClipboardText(nullptr, u"");
    std::vector<unsigned char> block;
    ASSERT_TRUE(BlockOf(CF_UNICODETEXT, block));
    EXPECT_EQ(block, (std::vector<unsigned char>{0, 0}));
}

TEST(ClipboardText, AnotherProcessPastesExactlyTheText) {
    const std::u16string text = u"日本語=\\\\server\\share";
    SetClipboardText(nullptr, text);
    const std::wstring out = ExeDir() + L"clip_text.bin";
    ASSERT_EQ(RunToEnd(Tool() + L" read #13 \"" + out + L"\""), 0);
    EXPECT_EQ(ReadFileBytes(out), Utf16zBytes(text));
    DeleteFileW(out.c_str());
}

TEST(ClipboardText, SilentWhenTheClipboardIsBusy) {
    SetClipboardText(nullptr, u"before");
    {
        ClipboardHolder holder;
        ASSERT_TRUE(holder.Holding());
        EXPECT_EQ(SetClipboardText(nullptr, u"after"), 0);
        EXPECT_FALSE(PutClipboardText(nullptr, u"after")) << "a paste must know it is not there";
    }
    EXPECT_TRUE(PutClipboardText(nullptr, u"before"));
    std::vector<unsigned char> block;
    ASSERT_TRUE(BlockOf(CF_UNICODETEXT, block));
    EXPECT_EQ(block, Utf16zBytes(u"before"));
}

TEST(ClipboardEntry, CopyPutsOnlyThePrivateFormat) {
    const KIdData e = Entry(u"銀行", u"taro", u"p=\\1\r\n2", u"https://x.jp", u"メモ");
    CopyEntry(nullptr, e);
    const UINT keyra = KeyraClipboardFormat();
    ASSERT_NE(keyra, 0u);
    EXPECT_EQ(keyra, RegisterClipboardFormatA("KEYRA"));
    EXPECT_TRUE(ClipboardHasEntry(nullptr));

    for (UINT f : Formats()) {
        EXPECT_TRUE(f == keyra || f == HistoryFormat() || f == CloudFormat() || f == MonitorFormat() ||
                    f == ViewerFormat())
            << "unexpected format " << f;
    }
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    ExpectKeptOutOfHistory();

    std::vector<unsigned char> block;
    ASSERT_TRUE(BlockOf(keyra, block));
    EXPECT_EQ(block, Utf16zBytes(BuildEntryText(e)));

    // A plain-text paste in another program finds nothing.
    const std::wstring out = ExeDir() + L"clip_none.bin";
    EXPECT_EQ(RunToEnd(Tool() + L" read #13 \"" + out + L"\""), 2);
}

TEST(ClipboardEntry, RoundTripsAwkwardTextsWithinOneProcess) {
    const KIdData e = Entry(u"タイトル", u"id=1", u"\\F\\1=\r\n\\", u"", u"二行\r\n目");
    CopyEntry(nullptr, e);
    KIdData pasted;
    PasteEntry(nullptr, pasted);
    EXPECT_EQ(pasted.InUse, 1);
    ExpectSameTexts(pasted, e);
}

TEST(ClipboardEntry, EmptyEntryTravelsAsTwoZeroBytes) {
    CopyEntry(nullptr, Entry(u"", u"", u"", u"", u""));
    std::vector<unsigned char> block;
    ASSERT_TRUE(BlockOf(KeyraClipboardFormat(), block));
    EXPECT_EQ(block, (std::vector<unsigned char>{0, 0}));
    const KIdData pasted = ReadClipboardEntry(nullptr);
    EXPECT_EQ(pasted.InUse, 1);
    EXPECT_TRUE(pasted.AllEmpty());
}

TEST(ClipboardEntry, SecondProcessReadsTheSameBytes) {
    const KIdData e = Entry(u"ab", u"c", u"", u"", u"");
    CopyEntry(nullptr, e);
    const std::wstring out = ExeDir() + L"clip_keyra.bin";
    ASSERT_EQ(RunToEnd(Tool() + L" read KEYRA \"" + out + L"\""), 0);
    EXPECT_EQ(ReadFileBytes(out), Utf16zBytes(u"\\161006200\\26300"));
    DeleteFileW(out.c_str());
}

TEST(ClipboardEntry, ForeignTextPastesOnlyPartsOneToFive) {
    // Written by another program: leading text, parts 6 and F, no terminator of its own.
    std::vector<unsigned char> bytes = Utf16zBytes(u"x=y\\66100\\16100\\F6200\\46300");
    bytes.resize(bytes.size() - 2);
    ASSERT_EQ(RunToEnd(Tool() + L" write KEYRA " + Hex(bytes)), 0);
    ASSERT_TRUE(ClipboardHasEntry(nullptr));
    const KIdData pasted = ReadClipboardEntry(nullptr);
    ExpectSameTexts(pasted, Entry(u"a", u"", u"", u"c", u""));
}

TEST(ClipboardEntry, PasteWithoutTheFormatGivesAnEmptyEntryInUse) {
    SetClipboardText(nullptr, u"\\16100");
    KIdData target = Entry(u"old", u"", u"", u"", u"");
    PasteEntry(nullptr, target);
    EXPECT_EQ(target.InUse, 1);
    EXPECT_TRUE(target.AllEmpty());
}

TEST(ClipboardEntry, BusyClipboardRaisesAndChangesNothing) {
    const KIdData before = Entry(u"keep", u"me", u"", u"", u"");
    CopyEntry(nullptr, before);
    ClipboardHolder holder;
    ASSERT_TRUE(holder.Holding());

    try {
        CopyEntry(nullptr, Entry(u"new", u"", u"", u"", u""));
        FAIL() << "CopyEntry did not raise";
    } catch (const KError& e) {
        EXPECT_FALSE(e.Message().empty());
    }

    KIdData target = Entry(u"target", u"", u"", u"", u"");
    target.InUse = 0;
    EXPECT_THROW(PasteEntry(nullptr, target), KError);
    EXPECT_EQ(target.InUse, 0);
    EXPECT_EQ(target.Title, u"target");
}

TEST(ClipboardEntry, BusyClipboardLeavesThePreviousEntry) {
    const KIdData before = Entry(u"keep", u"me", u"", u"", u"");
    CopyEntry(nullptr, before);
    {
        ClipboardHolder holder;
        EXPECT_THROW(CopyEntry(nullptr, Entry(u"new", u"", u"", u"", u"")), KError);
    }
    ExpectSameTexts(ReadClipboardEntry(nullptr), before);
}
