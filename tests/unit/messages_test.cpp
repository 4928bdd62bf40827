#include "app/messages.h"

#include <gtest/gtest.h>

#include <string>

#include "app/document.h"

namespace {

// The Latin words a message may hold: names the user sees on the screen or the disk.
bool OnlyKnownLatin(const std::u16string& text, const std::u16string& allowedPath) {
    std::u16string rest = text;
    if (const auto at = rest.find(allowedPath); at != std::u16string::npos) rest.erase(at, allowedPath.size());
    static const char16_t* const known[] = {u"Keyra", u"Windows", u"USB", u"keyra.kr.conflict", u"keyra.kr.bak",
                                            u"keyra.kr"};
    for (const char16_t* k : known)
        for (auto at = rest.find(k); at != std::u16string::npos; at = rest.find(k)) rest.erase(at, std::u16string(k).size());
    for (char16_t c : rest)
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) return false;
    return true;
}

TEST(MessageTexts, SayWhatHappenedWithWhichFileWhyAndWhatToDo) {
    const std::u16string path = u"C:\\Keyra\\keyra.kr";
    const KDataPaths paths{path, u"C:\\Keyra\\keyra.si"};
    KLoadResult partly, none;
    none.Status = KLoadStatus::NotKeyra;
    const struct {
        std::u16string text;
        const char16_t* must;  // what it must say besides the rules
    } rows[] = {
        {FileProblem(KFileMoment::Start, path, u"アクセスが拒否されました。"), u"起動してください"},
        {FileProblem(KFileMoment::Close, path, u"アクセスが拒否されました。"), u"もう一度 Keyra を閉じてください"},
        {FileProblem(KFileMoment::SoonAfter, path, u"アクセスが拒否されました。"), u"次に変更したときに"},
        {FileProblem(KFileMoment::SignOut, path, u"アクセスが拒否されました。"), u"最後に保存できた内容"},
        {BackupQuestion(partly, paths), u"読み取れた分だけ"},
        {BackupQuestion(none, paths), u"Keyra を終了します"},
        {NoBackupMessage(paths), u"keyra.kr.bak"},
        {ConflictMessage(paths, path + u".conflict"), u"keyra.kr.conflict として残し"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.text.begin(), r.text.begin() + 10));
        EXPECT_NE(r.text.find(r.must), std::u16string::npos);
        EXPECT_TRUE(r.text.find(path) != std::u16string::npos || r.text.find(u"keyra.kr") != std::u16string::npos)
            << "names the file";
        EXPECT_TRUE(OnlyKnownLatin(r.text, path)) << "no English";
        const char16_t last = r.text.back();
        EXPECT_TRUE(last == u'。' || last == u'？') << "ends as a sentence";
    }
    EXPECT_NE(rows[1].text.find(u"原因：アクセスが拒否されました。"), std::u16string::npos) << "the cause, marked";
}

}  // namespace
