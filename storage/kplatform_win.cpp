// The Windows seams: the ANSI code page, the user locale's case-insensitive comparison
// and files through CreateFileW, with a temp file and one-step replace for saving.
#include <windows.h>

#include <aclapi.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "core/kerror.h"
#include "core/kstr.h"
#include "framework/kstr.h"
#include "storage/kplatform.h"

namespace kplat {
namespace {


[[noreturn]] void Fail(const std::u16string& path, DWORD err) {
    throw KFileError(path, SystemErrorText(err));
}

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
    bool Close() {
        if (h_ == INVALID_HANDLE_VALUE) return true;
        const BOOL r = CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return r != FALSE;
    }

private:
    HANDLE h_;
};

}  // namespace

std::u16string SystemErrorText(std::uint32_t err) {
    wchar_t* buf = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, err, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
    std::u16string text;
    if (n && buf) text = U(buf, n);
    if (buf) LocalFree(buf);
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) text.pop_back();
    if (text.empty()) text = u"不明なエラーです（エラーコード：" + kstr::Decimal(err) + u"）。";
    return text;
}

std::u16string AnsiToUtf16(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return U(out);
}

bool Cp932ToUtf16(std::string_view bytes, std::u16string& out) {
    out.clear();
    if (bytes.empty()) return true;
    if (bytes.size() > 0x7FFFFFFF) return false;
    // Each byte gives at most one unit, so one buffer of the input's size takes it all.
    out.resize(bytes.size());
    const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                      reinterpret_cast<wchar_t*>(out.data()), static_cast<int>(out.size()));
    if (n <= 0) {
        Wipe(out);
        return false;
    }
    out.resize(static_cast<std::size_t>(n));
    return true;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
    const int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, reinterpret_cast<const wchar_t*>(a.data()),
                                 static_cast<int>(a.size()), reinterpret_cast<const wchar_t*>(b.data()),
                                 static_cast<int>(b.size()));
    if (r == 0) return a == b ? 0 : (a < b ? -1 : 1);
    return r - CSTR_EQUAL;
}

std::u16string FoldCase(std::u16string_view text) {
    // The sort key under the same flags as CompareNoCase: two texts have equal keys exactly
    // when the comparison finds them equal (Straße and STRASSE, which upper-casing keeps apart).
    if (text.empty()) return {};
    const auto* w = reinterpret_cast<const wchar_t*>(text.data());
    const int len = static_cast<int>(text.size());
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const int n = LCMapStringW(LOCALE_USER_DEFAULT, flags, w, len, nullptr, 0);
    if (n <= 0) return std::u16string(text);
    std::string key(static_cast<std::size_t>(n), '\0');
    LCMapStringW(LOCALE_USER_DEFAULT, flags, w, len, reinterpret_cast<wchar_t*>(key.data()), n);
    std::u16string out;
    out.reserve(key.size() / 2 + 1);
    for (std::size_t i = 0; i < key.size(); i += 2) {
        const unsigned lo = static_cast<unsigned char>(key[i]);
        const unsigned hi = i + 1 < key.size() ? static_cast<unsigned char>(key[i + 1]) : 0u;
        out.push_back(static_cast<char16_t>(lo | (hi << 8)));
    }
    return out;
}

bool FileExists(const std::u16string& path) {
    if (GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES) return true;
    const DWORD err = GetLastError();
    // Only "not there" is missing; a file we may not look at must still be reported by the read.
    return err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND && err != ERROR_INVALID_NAME &&
           err != ERROR_BAD_NETPATH;
}

std::vector<std::uint8_t> ReadWholeFile(const std::u16string& path, bool* cutShort) {
    FileReader file(path);
    if (file.size() > 0x7FFFFFFF) Fail(path, ERROR_FILE_TOO_LARGE);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.size()));
    // Fewer bytes when the file shrank under us.
    const std::size_t done = file.Read(bytes.data(), bytes.size());
    if (cutShort) *cutShort = done < bytes.size();
    bytes.resize(done);
    return bytes;
}

namespace {

bool Exists(const std::u16string& path) { return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES; }

// ReplaceFileW carries the old file's attributes and access rights over to the new one on
// Windows; putting them on the new file first keeps them where it does not (Wine). Best
// effort: whatever fails here, ReplaceFileW still has its own go.
void CopyProtections(const std::u16string& from, const std::u16string& to, DWORD attributes) {
    const DWORD keep = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                     FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (keep) SetFileAttributesW(W(to), keep);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetNamedSecurityInfoW(W(from), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                              &sd) != ERROR_SUCCESS)
        return;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(sd, &control, &revision);
    const SECURITY_INFORMATION info =
        DACL_SECURITY_INFORMATION |
        ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
    std::wstring target(W(to));
    SetNamedSecurityInfoW(target.data(), SE_FILE_OBJECT, info, nullptr, nullptr, dacl, nullptr);
    LocalFree(sd);
}

// After a failed ReplaceFileW, whatever its code, one whole file must be under `path`.
// ERROR_UNABLE_TO_REMOVE_REPLACED and ERROR_UNABLE_TO_MOVE_REPLACEMENT leave both files under
// their names; ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 leaves the old one under the backup name and
// the new one under the temporary name. Returns 0 when the new file got in place after all.
DWORD RecoverReplace(const std::u16string& path, const std::u16string& temp, const std::u16string& backup,
                     DWORD err) {
    if (Exists(path)) return err;
    if (MoveFileExW(W(temp), W(path), MOVEFILE_WRITE_THROUGH)) return 0;
    if (!backup.empty()) MoveFileExW(W(backup), W(path), MOVEFILE_WRITE_THROUGH);
    return err;
}

}  // namespace

namespace {
// Whether the backup's name can take the replaced file: a read-only backup, or one another
// program holds open (a sync client, a virus scanner), cannot.
bool BackupWritable(const std::u16string& backup) {
    const DWORD a = GetFileAttributesW(W(backup));
    if (a == INVALID_FILE_ATTRIBUTES) return true;
    if (a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    Handle h(CreateFileW(W(backup), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return h.ok();
}
}  // namespace

bool ReplaceFileContents(const std::u16string& path, const std::vector<std::uint8_t>& bytes,
                         const std::u16string& requestedBackup) {
    const bool backupMade = requestedBackup.empty() || BackupWritable(requestedBackup);
    const std::u16string backup = backupMade ? requestedBackup : std::u16string();
    static std::atomic<unsigned> counter{0};
    const std::u16string temp = path + u".~" + kstr::Decimal(GetCurrentProcessId()) + u"-" + kstr::Decimal(counter++);
    if (const DWORD fault = SaveStepFault(SaveStep::CreateTemp)) Fail(path, fault);
    // A file the user marked read-only is not replaced: Windows refuses that replace, and
    // some file systems would let it pass silently.
    const DWORD attributes = GetFileAttributesW(W(path));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) Fail(path, ERROR_ACCESS_DENIED);
    // Nor is a folder of that name (Wine's ReplaceFileW would put the file in its place).
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) Fail(path, ERROR_ACCESS_DENIED);
    Handle h(CreateFileW(W(temp), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.ok()) Fail(path, GetLastError());
    // Two halves, so that a fault (or an end of the process) can strike with the file half written.
    const std::size_t half = bytes.size() / 2;
    std::size_t done = 0;
    DWORD err = 0;
    while (!err && done < bytes.size()) {
        if (done == half && (err = SaveStepFault(SaveStep::WriteTemp)) != 0) break;
        const std::size_t limit = done < half ? half : bytes.size();
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(limit - done < 0x10000000 ? limit - done : 0x10000000);
        if (!WriteFile(h.get(), bytes.data() + done, want, &put, nullptr)) err = GetLastError();
        done += put;
    }
    if (!err) err = SaveStepFault(SaveStep::FlushTemp);
    if (!err && !FlushFileBuffers(h.get())) err = GetLastError();
    if (!h.Close() && !err) err = GetLastError();
    if (!err) {
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            // The first save: there is nothing to keep.
            err = SaveStepFault(SaveStep::Replace);
            if (!err && !MoveFileExW(W(temp), W(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                err = GetLastError();
        } else {
            CopyProtections(path, temp, attributes);
            // A hook's code stands for ReplaceFileW failing with it, so tests reach the recovery.
            err = SaveStepFault(SaveStep::Replace);
            if (!err && !ReplaceFileW(W(path), W(temp), backup.empty() ? nullptr : W(backup),
                                      REPLACEFILE_WRITE_THROUGH, nullptr, nullptr))
                err = GetLastError();
            if (err == ERROR_FILE_NOT_FOUND && !Exists(path)) {
                // The old file went away meanwhile: this is a first save after all.
                err = MoveFileExW(W(temp), W(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0 : GetLastError();
            }
            if (err) err = RecoverReplace(path, temp, backup, err);
        }
    }
    if (err) {
        // Had there been a file and none is under `path` now, the new one stays under its
        // temporary name (and the old one under the backup name): never are both gone.
        if (attributes == INVALID_FILE_ATTRIBUTES || Exists(path)) DeleteFileW(W(temp));
        Fail(path, err);
    }
    SaveStepFault(SaveStep::Replaced);
    return backupMade;
}

FileStamp StampOf(const std::u16string& path) {
    FileStamp f;
    WIN32_FILE_ATTRIBUTE_DATA d{};
    if (!GetFileAttributesExW(W(path), GetFileExInfoStandard, &d) || (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return f;
    f.exists = true;
    f.size = (static_cast<std::uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
    f.modified = static_cast<std::int64_t>((static_cast<std::uint64_t>(d.ftLastWriteTime.dwHighDateTime) << 32) |
                                           d.ftLastWriteTime.dwLowDateTime);
    return f;
}

std::vector<std::u16string> FilesStartingWith(const std::u16string& prefix) {
    std::vector<std::u16string> out;
    const auto cut = prefix.find_last_of(u"\\/");
    const std::u16string folder = cut == std::u16string::npos ? std::u16string() : prefix.substr(0, cut + 1);
    WIN32_FIND_DATAW d{};
    HANDLE h = FindFirstFileW(W(prefix + u"*"), &d);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) out.push_back(folder + U(d.cFileName));
    } while (FindNextFileW(h, &d));
    FindClose(h);
    return out;
}

bool RemoveFile(const std::u16string& path) { return DeleteFileW(W(path)) != FALSE; }

void PromoteFile(const std::u16string& from, const std::u16string& path, const std::u16string& backup) {
    if (!Exists(path)) {
        if (!MoveFileExW(W(from), W(path), MOVEFILE_WRITE_THROUGH)) Fail(path, GetLastError());
        return;
    }
    const bool keep = !backup.empty() && BackupWritable(backup);
    if (!ReplaceFileW(W(path), W(from), keep ? W(backup) : nullptr, REPLACEFILE_WRITE_THROUGH, nullptr, nullptr))
        Fail(path, GetLastError());
}

bool CopyToNewFile(const std::u16string& from, const std::u16string& to) {
    return CopyFileW(W(from), W(to), TRUE) != FALSE;
}

void SecureWipe(void* data, std::size_t size) { SecureZeroMemory(data, size); }

FileReader::FileReader(const std::u16string& path) : path_(path) {
    HANDLE h = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) Fail(path, GetLastError());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h, &size)) {
        const DWORD err = GetLastError();
        CloseHandle(h);
        Fail(path, err);
    }
    file_ = reinterpret_cast<std::intptr_t>(h);
    size_ = static_cast<std::uint64_t>(size.QuadPart);
}

FileReader::~FileReader() { CloseHandle(reinterpret_cast<HANDLE>(file_)); }

std::size_t FileReader::Read(std::uint8_t* into, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
        if (!ReadFile(reinterpret_cast<HANDLE>(file_), into + done, want, &got, nullptr)) Fail(path_, GetLastError());
        if (got == 0) break;
        done += got;
    }
    return done;
}

void LocalDate(int& month, int& day) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    month = t.wMonth;
    day = t.wDay;
}

}  // namespace kplat
