#include "app/kengine.h"

void KEngine::SetExecutablePath(std::u16string_view exePath) {
    // The file name follows the last backslash or drive colon; '/' is accepted too.
    const auto cut = exePath.find_last_of(u"\\/:");
    const std::size_t nameStart = cut == std::u16string_view::npos ? 0 : cut + 1;
    ExeName.assign(exePath.substr(nameStart));
    if (cut == std::u16string_view::npos) {
        ExeDir.clear();
    } else if (exePath[cut] == u':') {
        ExeDir.assign(exePath.substr(0, cut + 1));  // "C:" of "C:keyra.exe"
    } else {
        ExeDir.assign(exePath.substr(0, cut));
    }
    const auto dot = ExeName.rfind(u'.');
    BaseName = dot == std::u16string::npos ? ExeName : ExeName.substr(0, dot);
    DataPath = ExeDir + u"\\" + BaseName + u".kr";
    InitialPath = ExeDir + u"\\" + BaseName + u".si";
    HelpPath = ExeDir + u"\\keyra.chm";
}
