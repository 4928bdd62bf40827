// KEngine: the one engine state of a running program: file locations, the current group and
// entry, the click captures that aim a paste, the pending text and the undo copy. What the
// data file holds is the document's (app/document.h).
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "app/document.h"
#include "storage/kiddata.h"

struct KEngine {
    // File locations, formed from the executable's full path.
    std::u16string ExeName;
    std::u16string ExeDir;
    std::u16string DataPath;
    std::u16string InitialPath;
    std::u16string BaseName;
    std::u16string HelpPath;

    // Where the user is.
    std::int32_t Group = 1;
    std::int32_t GroupButton = 11;
    std::int32_t Current = 0;
    std::array<std::int32_t, 10> GroupItem{};  // groups 1..10 at [0..9]
    std::int32_t GroupOffset = 0;

    // Click captures (written on the user-interface thread only).
    std::int32_t HomeX = 0, HomeY = 0;
    std::int32_t TargetX = 0, TargetY = 0;
    std::uintptr_t TargetWindow = 0;
    std::uint32_t TargetProcess = 0, TargetThread = 0;  // owners of TargetWindow at the click
    std::int32_t ScreenWidth = 0, ScreenHeight = 0;
    std::int32_t MemoTarget = 0;

    std::u16string PendingText;

    std::int32_t UndoPending = 0;
    std::int32_t UndoGroup = 0;
    std::int32_t UndoItem = 0;
    std::int32_t UndoIndex = 0;
    KIdData UndoEntry;

    // Forms the file locations from the executable's full path ("C:\Tools\keyra.exe").
    void SetExecutablePath(std::u16string_view exePath);
    KDataPaths Paths() const { return {DataPath, InitialPath}; }
    // The caption label shows the base name unless it is exactly "keyra".
    bool CaptionFromBaseName() const { return BaseName != u"keyra"; }

    int& ItemOfGroup(int group) { return GroupItem.at(static_cast<std::size_t>(group - 1)); }
};
