#include "app/messages.h"

std::u16string FileProblem(KFileMoment moment, const std::u16string& path, const std::u16string& cause) {
    const std::u16string where = u"\r\n" + path + u"\r\n原因：" + cause + u"\r\n";
    switch (moment) {
        case KFileMoment::Start:
            return u"データファイルを読み込めませんでした。" + where +
                   u"ファイルは変更していません。USB メモリなどがつながっているか、ほかのプログラムがファイルを開いていないかを確かめてから、"
                   u"Keyra をもう一度起動してください。";
        case KFileMoment::Close:
            return u"データファイルを保存できませんでした。" + where +
                   u"データは Keyra の中に残っています。ファイルが読み取り専用になっていないか、ディスクに空きがあるか、"
                   u"USB メモリが抜けていないかを確かめてから、もう一度 Keyra を閉じてください。";
        case KFileMoment::SoonAfter:
            return u"データファイルを保存できませんでした。" + where +
                   u"データは Keyra の中に残っています。原因を取り除くと、次に変更したときに保存し直します。";
        case KFileMoment::SignOut:
            return u"Windows の終了前にデータファイルを保存できませんでした。" + where +
                   u"最後に保存できた内容は、データファイルに残っています。";
    }
    return {};
}
