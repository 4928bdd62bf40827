// KApplication's start, close, log-off and save, and the fixed order in which it frees what it owns.
#include "app/application_win.h"

#include "app/messages.h"

#include "core/kerror.h"
#include "framework/kstr.h"
#include "framework/window.h"
#include "generator/generatorwindow_win.h"
#include "input/clipboard_win.h"
#include "input/zdinput_win.h"
#include "storage/kvault.h"
#include "ui/lockwatch_win.h"
#include "ui/mainwindow_win.h"
#include "ui/masterdialogs_win.h"

namespace {
constexpr UINT kClickWatchMessage = WM_APP + 3;
constexpr UINT kLockWatchMessage = WM_APP + 4;
constexpr UINT kSavedMessage = WM_APP + 5;
constexpr char16_t kEnding[] = u"Keyra を終了します";
}  // namespace

KApplication::KApplication() : doc_(&SystemCipher()) {}

KApplication::~KApplication() { Teardown(); }

HWND KApplication::MainHandle() const { return main_ ? main_->Handle() : nullptr; }

void KApplication::Run() {
    if (Start()) kf::RunMessageLoop();
    Teardown();
}

bool KApplication::Start() {
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    engine_.SetExecutablePath(U(path, n));
    engine_.ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    engine_.ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    // A large file is read while the window is being made.
    doc_.ReadAhead(engine_.Paths());

    main_ = std::make_unique<TFKeyra>(static_cast<KMainHost&>(*this), doc_, engine_, life_);
    if (!main_->Create()) return false;
    generator_ = std::make_unique<VIDodureza>(main_->GeneratorHost(), doc_);
    ops_ = std::make_unique<KEntryOps>(engine_, doc_, life_, main_->View(), static_cast<KEntryServices&>(*this));
    main_->Attach(*ops_, *generator_);
    lockWatch_ = std::make_unique<KLockWatch>(
        main_->Handle(), [this] { return doc_.IdleLockSeconds(); }, [this](KLockReason reason) { Lock(reason); });

    // Nothing of the file is used, and nothing saved, before the data is in.
    if (!LoadData()) return false;
    const bool locked = PinAskedAtStart(doc_);
    life_.DataIn(locked);
    doc_.OnChanged = [this](KChange what) {
        if (what != KChange::Loaded) SaveSoon();
    };
    main_->Open(locked);
    // The session and idle watch once the window is on the screen.
    PostMessageW(main_->Handle(), kLockWatchMessage, 0, 0);
    return true;
}

bool KApplication::LoadData() {
    const KDataPaths paths = engine_.Paths();
    KLoadResult result;
    KLoadSource source = KLoadSource::Usual;
    try {
        result = doc_.Load(paths, nullptr, source);
        for (;;) {
            if (result.Status == KLoadStatus::NeedsKey) {
                // The prompt comes before the main window; the file is read again with each key tried.
                const KLoadResult asked = result;
                const bool opened = AskPassword(main_->Handle(), u"Keyra - マスターパスワード",
                                                [&](const std::u16string& typed) {
                                                    result = LoadWithPassword(doc_, paths, asked, typed, source);
                                                    return result.Status != KLoadStatus::WrongKey;
                                                },
                                                kMasterMissText, u"キャンセルを押すと、ファイルを変更せずに Keyra を終了します。");
                // Giving up at the master password ends the program without a further word.
                if (!opened || life_.State() != KAppState::Starting) return false;
            }
            // A damaged data file with a whole backup: one question, the backup by default.
            if (!result.BackupOffered || source == KLoadSource::Backup) break;
            if (life_.State() != KAppState::Starting) return false;
            const bool take = kf::AskYesNoYesFirst(main_->Handle(), W(BackupQuestion(result, paths)));
            if (life_.State() != KAppState::Starting) return false;
            if (!take) break;
            source = KLoadSource::Backup;
            const KMasterKey key = result.BackupKey;
            result = doc_.Load(paths, key.Active() ? &key : nullptr, source);
        }
    } catch (const KFileError& e) {
        // A file that could not be read must never be saved over from a half-loaded state.
        if (life_.State() != KAppState::Starting) return false;
        Tell(FileProblem(KFileMoment::Start, e.Path(), e.Cause()));
        Tell(kEnding);
        return false;
    } catch (const std::exception& e) {
        if (life_.State() != KAppState::Starting) return false;
        kf::ShowError(main_->Handle(), e);
        Tell(kEnding);
        return false;
    }
    if (result.Status == KLoadStatus::Unreadable)
        result.Messages.push_back(u"データファイルを読み込めません。壊れているか、別のパスワードで保存されたファイルです。");
    if (result.Status != KLoadStatus::Loaded) {
        for (const auto& text : result.Messages)
            if (!Tell(text)) return false;
        Tell(kEnding);
        return false;
    }
    for (const auto& text : result.Messages)
        if (!Tell(text)) return false;
    return life_.State() == KAppState::Starting;
}

bool KApplication::Tell(const std::u16string& text) {
    if (life_.State() != KAppState::Starting) return false;
    kf::ShowMessage(main_->Handle(), W(text));
    return life_.State() == KAppState::Starting;
}

void KApplication::CloseRequested() {
    // What is being typed is kept: every close comes here (the buttons, the menu, Alt+F4, the
    // taskbar, another program). While locked nothing can be typed.
    if (life_.Allows(KUse::Entries) && !life_.Pasting()) ops_->StoreCurrent();
    switch (life_.Close()) {
        case KCloseStep::EndNow:
            // A close during a start dialog: the dialog ends, and with it the start.
            PostQuitMessage(0);
            return;
        case KCloseStep::Save:
            if (!Save(SaveWhy::Close)) {
                // The window stays open with everything in memory, so the user can try again.
                life_.CloseFailed();
                return;
            }
            life_.Closed();
            DestroyWindow(main_->Handle());
            return;
        case KCloseStep::AfterPaste:
        case KCloseStep::Ignore:
            return;
    }
}

void KApplication::EndSession(bool ending) {
    if (!ending) return;
    switch (life_.EndSession()) {
        case KCloseStep::EndNow:
            PostQuitMessage(0);
            return;
        case KCloseStep::Save:
            // What is being typed, and an open options panel, are kept as a close keeps them.
            if (life_.Allows(KUse::Entries)) ops_->StoreCurrent();
            Save(SaveWhy::EndSession);
            ClearOwnClipboard(true);
            return;
        case KCloseStep::AfterPaste:
        case KCloseStep::Ignore:
            return;
    }
}

void KApplication::SaveSoon() {
    // Restarted at each change: the save comes once the user has paused.
    if (main_ && main_->Handle()) SetTimer(main_->Handle(), kSaveTimer, kSaveQuietMs, nullptr);
}

bool KApplication::Save(SaveWhy why) {
    const bool now = why == SaveWhy::Close || why == SaveWhy::EndSession;
    if (main_->Handle()) KillTimer(main_->Handle(), kSaveTimer);
    if (!life_.Allows(KUse::Save) || (life_.Pasting() && !now)) {
        // A paste pumps messages and must not wait on a save: once more after it.
        if (life_.Pasting()) SaveSoon();
        return false;
    }
    if (now) {
        WaitForSave();
    } else if (job_) {
        saveAgain_ = 1;  // after the one under way
        return true;
    }
    // An open options panel is kept as a close keeps it; an automatic save leaves it open.
    if (now) main_->ApplyOptions();
    main_->StorePosition();
    generator_->StorePosition();
    if (!now && !doc_.Modified()) {
        // Nothing new here. At a lock another computer's copy is read (the window is empty
        // then); never while the user may be typing into a box.
        if (why == SaveWhy::Lock) LookAtDisk(why);
        return true;
    }
    if (!LookAtDisk(why)) return true;
    if (!now) {
        // The copy is taken here; encoding and writing it (a large file takes a while) is the
        // worker's, so the window never waits for the disk.
        job_ = std::make_unique<SaveJob>();
        job_->image = doc_.Image();
        job_->paths = engine_.Paths();
        const HWND notify = main_->Handle();
        SaveJob* job = job_.get();
        saver_ = std::thread([job, notify] {
            job->outcome = SaveImage(job->image, job->paths);
            PostMessageW(notify, kSavedMessage, 0, 0);
        });
        return true;
    }
    try {
        if (!doc_.Save(engine_.Paths()) && !noBackupTold_) {
            noBackupTold_ = 1;
            kf::ShowMessage(main_->Handle(), W(NoBackupMessage(engine_.Paths())));
        }
        return true;
    } catch (const KFileError& e) {
        kf::ShowWarning(main_->Handle(),
                        W(FileProblem(why == SaveWhy::Close ? KFileMoment::Close : KFileMoment::SignOut, e.Path(), e.Cause())));
        return false;
    }
}

bool KApplication::LookAtDisk(SaveWhy why) {
    const KDataPaths paths = engine_.Paths();
    if (!doc_.ChangedOnDisk(paths)) return true;
    if (!doc_.Modified()) {
        // Another computer's newer copy and nothing new here: it is read, not saved over. At the
        // close there is nothing to read it for.
        if (why == SaveWhy::Close || why == SaveWhy::EndSession) return false;
        try {
            const KMasterKey key = doc_.Master();
            const KLoadResult r = doc_.Load(paths, key.Active() ? &key : nullptr);
            if (r.Status == KLoadStatus::Loaded && !r.Damaged) {
                ShowReloaded();
                return false;
            }
        } catch (const KFileError&) {
        }
    }
    // Both changed (or the other copy cannot be read): the other copy is kept beside ours.
    const std::u16string kept = doc_.KeepConflict(paths);
    kf::ShowMessage(main_->Handle(), W(ConflictMessage(paths, kept)));
    return true;
}

void KApplication::SaveDone() {
    if (!job_) return;
    if (saver_.joinable()) saver_.join();
    doc_.Saved(job_->outcome, job_->image.Changes);
    const KSaveOutcome outcome = job_->outcome;
    job_.reset();
    if (!outcome.Ok) {
        // Said once, not at every try; the next change tries again.
        if (!saveFailTold_) {
            saveFailTold_ = 1;
            kf::ShowWarning(main_->Handle(),
                            W(FileProblem(KFileMoment::SoonAfter, outcome.ErrorPath, outcome.ErrorCause)));
        }
        return;
    }
    saveFailTold_ = 0;
    if (outcome.BackupSkipped && !noBackupTold_) {
        noBackupTold_ = 1;
        kf::ShowMessage(main_->Handle(), W(NoBackupMessage(engine_.Paths())));
    }
    if (saveAgain_ || doc_.Modified()) {
        saveAgain_ = 0;
        SaveSoon();
    }
}

void KApplication::WaitForSave() {
    if (saver_.joinable()) saver_.join();
    SaveDone();
}

void KApplication::ShowReloaded() {
    main_->Reloaded();
    generator_->ListsReloaded();
}

void KApplication::Teardown() {
    // Every window first, the generator (owned by the main window) with it; then what they
    // used, in this order.
    if (saver_.joinable()) saver_.join();
    if (main_ && main_->Handle()) {
        life_.Closed();
        DestroyWindow(main_->Handle());
    }
    job_.reset();
    clickWatch_.reset();
    lockWatch_.reset();
    generator_.reset();
    ops_.reset();
    main_.reset();
}

void KApplication::FirstActivation() {
    // The watch (DirectInput) takes a while to set up: it is made right after the first
    // paint, not before it.
    PostMessageW(main_->Handle(), kClickWatchMessage, 0, 0);
}

void KApplication::ChangeMasterPassword() {
    if (life_.Allows(KUse::Entries)) ::ChangeMasterPassword(main_->Handle(), doc_);
}

bool KApplication::MainMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (lockWatch_ && lockWatch_->OnMessage(msg, wParam, lParam, result)) return true;
    switch (msg) {
        case WM_CLOSE:
            CloseRequested();
            result = 0;
            return true;
        case WM_TIMER:
            if (wParam == kSaveTimer) {
                Save(SaveWhy::Change);
            } else if (wParam == kCloseAfterPasteTimer) {
                KillTimer(main_->Handle(), kCloseAfterPasteTimer);
                CloseRequested();
            } else {
                return false;
            }
            result = 0;
            return true;
        case kSavedMessage:
            SaveDone();
            result = 0;
            return true;
        case WM_QUERYENDSESSION:
            result = TRUE;
            return true;
        case WM_ENDSESSION:
            EndSession(wParam != 0);
            result = 0;
            return true;
        case kClickWatchMessage:
            if (!clickWatch_ && life_.State() != KAppState::Closed) {
                clickWatch_ = std::make_unique<KMouseWatch>(kf::Instance(), main_->Handle());
                clickWatch_->Start();
            }
            result = 0;
            return true;
        case kLockWatchMessage:
            if (lockWatch_ && life_.State() != KAppState::Closed) lockWatch_->Start();
            result = 0;
            return true;
        case WM_KEYRA_LOCKED:
            if (wParam) AskMasterToUnlock();
            return wParam != 0;
        case WM_DESTROY:
            ClearOwnClipboard(true);  // a password must not outlive the program there
            return false;
        default:
            return false;
    }
}
