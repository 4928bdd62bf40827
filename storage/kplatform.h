// The few things the portable code needs from the operating system. The Windows build
// fills them with the platform's calls (kplatform_win.cpp); the native build with
// stand-ins good enough for tests (kplatform_posix.cpp).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace kplat {

// Bytes in the system ANSI code page to UTF-16.
std::u16string AnsiToUtf16(std::string_view bytes);
// Bytes in code page 932 (Japanese) to UTF-16, into `out`; false, `out` empty, when they hold
// a sequence the code page does not define.
bool Cp932ToUtf16(std::string_view bytes, std::u16string& out);

// Locale-aware comparison without regard to letter case; 0 when equal.
int CompareNoCase(std::u16string_view a, std::u16string_view b);
// A key that is equal for two texts whenever CompareNoCase finds them equal; used to index names.
std::u16string FoldCase(std::u16string_view text);

// Paths are UTF-16 (Windows form on Windows, UTF-8 converted on the native build).
bool FileExists(const std::u16string& path);
// The largest file ReadWholeFile reads; a save must never write a larger one.
constexpr std::uint64_t kMaxFileBytes = 0x7FFFFFFF;
// Whole file; throws KFileError when it exists but cannot be read. `cutShort` (when given) is
// set when fewer bytes came than the file's size said (it shrank while it was read).
std::vector<std::uint8_t> ReadWholeFile(const std::u16string& path, bool* cutShort = nullptr);
// A file read from start to end in pieces of the caller's choosing. Throws KFileError when it
// cannot be opened or read, as ReadWholeFile does.
class FileReader {
public:
    explicit FileReader(const std::u16string& path);
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
    // The size when the file was opened.
    std::uint64_t size() const { return size_; }
    // Up to n bytes; fewer only at the end of the file (0 there).
    std::size_t Read(std::uint8_t* into, std::size_t n);

private:
    std::u16string path_;
    std::intptr_t file_ = -1;
    std::uint64_t size_ = 0;
};
// Writes to a temporary file in the same folder (named `path` + ".~" + a number), flushes it and
// replaces `path` with it. An existing file keeps its attributes and access rights, and its
// previous contents stay under `backup` (none when empty). A backup that cannot be written
// (read-only, held open by another program) does not stop the save: the file is replaced
// without it, and false is returned. Throws KFileError; on failure one whole file is still
// under `path`: the old one, or the new one when only the backup step failed half-way.
bool ReplaceFileContents(const std::u16string& path, const std::vector<std::uint8_t>& bytes,
                         const std::u16string& backup = {});
// What the system says of a file without reading it.
struct FileStamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // the last write, in the system's own unit
    bool operator==(const FileStamp& o) const {
        return exists == o.exists && size == o.size && modified == o.modified;
    }
};
FileStamp StampOf(const std::u16string& path);
// The files of the folder of `prefix` whose names begin with its last part ("C:\k\keyra.kr.~"),
// as full paths.
std::vector<std::u16string> FilesStartingWith(const std::u16string& prefix);
bool RemoveFile(const std::u16string& path);
// Puts `from` in the place of `path`, whose previous file (when there is one) becomes `backup`.
// Throws KFileError.
void PromoteFile(const std::u16string& from, const std::u16string& path, const std::u16string& backup);
// Copies a file's bytes into a new file `to`; false when `to` exists or the copy failed.
bool CopyToNewFile(const std::u16string& from, const std::u16string& to);

// Overwrites memory that held secrets in a way the compiler does not drop.
void SecureWipe(void* data, std::size_t size);
template <class C>
void Wipe(std::basic_string<C>& s) {
    SecureWipe(s.data(), s.size() * sizeof(C));
    s.clear();
}
template <class T>
void Wipe(std::vector<T>& v) {
    static_assert(std::is_trivially_copyable_v<T>, "wipe the elements one by one");
    SecureWipe(v.data(), v.size() * sizeof(T));
    v.clear();
}

// The steps of ReplaceFileContents. Tests set a hook that is called before each step and
// either fails it (a non-zero system error code, as if the call had failed with it) or ends
// the process there, to see what a crash or a fault at that moment leaves on disk.
enum class SaveStep { CreateTemp, WriteTemp, FlushTemp, Replace, Replaced };
using SaveStepHook = std::uint32_t (*)(SaveStep step);
void SetSaveStepHook(SaveStepHook hook);  // nullptr: no hook
std::uint32_t SaveStepFault(SaveStep step);  // 0, or the hook's error code

// Today's month (1..12) and day (1..31) by the local clock.
void LocalDate(int& month, int& day);

// The system's text for an error code (GetLastError / errno), without a trailing line break.
std::u16string SystemErrorText(std::uint32_t code);

// UTF-8 <-> UTF-16, exact, for file names and diagnostics.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

}  // namespace kplat
