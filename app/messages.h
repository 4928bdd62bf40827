// What the user is told when a file could not be read or written: what could not be done with
// which file, why, what became of the data, and what to do now. Portable.
#pragma once
#include <string>

enum class KFileMoment {
    Start,         // reading the data file at start (the program ends after it)
    Close,         // saving at the close (the window stays open)
    SoonAfter,     // the save soon after a change (told once)
    SignOut,       // saving as Windows ends the session
};

std::u16string FileProblem(KFileMoment moment, const std::u16string& path, const std::u16string& cause);
