// Native stand-ins for the Windows seams: Windows-1252 as the ANSI code page, simple
// Unicode upper-casing for case-insensitive names, files through POSIX calls.
#include <ctime>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string.h>
#include <filesystem>
#include <fstream>

#include "core/kerror.h"
#include "storage/kplatform.h"

namespace kplat {
namespace {

// 0x80..0x9F of Windows-1252; the five undefined bytes map to themselves, as Windows does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Upper(char16_t c) {
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs upper/lower, with an odd run in the middle.
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
            return (c % 2 == 0) ? static_cast<char16_t>(c - 1) : c;
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        return (c % 2 == 1) ? static_cast<char16_t>(c - 1) : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 32);
    if (c == 0x3C2) return 0x3A3;
    if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 32);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 80);
    if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 32);
    return c;
}

std::filesystem::path ToPath(const std::u16string& path) {
    const std::string u8 = ToUtf8(path);
    return std::filesystem::path(std::u8string(u8.begin(), u8.end()));
}

[[noreturn]] void Fail(const char16_t* what, const std::u16string& path, int err) {
    throw KFileError(path, std::u16string(what) + SystemErrorText(static_cast<std::uint32_t>(err)));
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::u16string AnsiToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        out.push_back(b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : static_cast<char16_t>(b));
    }
    return out;
}

bool Cp932ToUtf16(std::string_view bytes, std::u16string& out) {
    out.clear();
    if (bytes.empty()) return true;
    const iconv_t cd = iconv_open("UTF-16LE", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    // Each byte gives at most one unit; the units are written straight into `out`.
    out.resize(bytes.size());
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* to = reinterpret_cast<char*>(out.data());
    std::size_t toLeft = out.size() * 2;
    const bool ok = iconv(cd, &in, &inLeft, &to, &toLeft) != static_cast<std::size_t>(-1) && inLeft == 0;
    iconv_close(cd);
    if (!ok) {
        Wipe(out);
        return false;
    }
    out.resize((out.size() * 2 - toLeft) / 2);
    auto* b = reinterpret_cast<unsigned char*>(out.data());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char16_t>(b[2 * i] | (b[2 * i + 1] << 8));
    return true;
}

std::u16string FoldCase(std::u16string_view text) {
    std::u16string out(text);
    for (auto& c : out) c = Upper(c);
    return out;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t x = Upper(a[i]);
        const char16_t y = Upper(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool FileExists(const std::u16string& path) {
    std::error_code ec;
    const auto st = std::filesystem::symlink_status(ToPath(path), ec);
    // Only "not there" counts as missing; anything else is left to the read to report.
    return st.type() != std::filesystem::file_type::not_found && st.type() != std::filesystem::file_type::none;
}

std::vector<std::uint8_t> ReadWholeFile(const std::u16string& path, bool* cutShort) {
    FileReader file(path);
    // One buffer of the file's size; the loop still copes with a file that changes size.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.size()));
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) bytes.resize(bytes.size() + 65536);
        done += file.Read(bytes.data() + done, bytes.size() - done);
        if (done < bytes.size()) break;  // fewer bytes come only at the end
    }
    if (cutShort) *cutShort = done < file.size();
    bytes.resize(done);
    return bytes;
}

bool ReplaceFileContents(const std::u16string& path, const std::vector<std::uint8_t>& bytes,
                         const std::u16string& backup) {
    bool backupMade = true;
    static std::atomic<unsigned> counter{0};
    const std::string native = ToUtf8(path);
    const std::string temp = native + ".~" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    if (const auto fault = SaveStepFault(SaveStep::CreateTemp)) Fail(u"Cannot create file ", path, static_cast<int>(fault));
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) Fail(u"Cannot create file ", path, errno);
    const auto giveUp = [&](const char16_t* what, int err) {
        ::close(fd);
        ::unlink(temp.c_str());
        Fail(what, path, err);
    };
    // Two halves, so that a fault (or an end of the process) can strike with the file half written.
    const std::size_t half = bytes.size() / 2;
    if (!WriteAll(fd, bytes.data(), half)) giveUp(u"Cannot write file ", errno);
    if (const auto fault = SaveStepFault(SaveStep::WriteTemp)) giveUp(u"Cannot write file ", static_cast<int>(fault));
    if (!WriteAll(fd, bytes.data() + half, bytes.size() - half)) giveUp(u"Cannot write file ", errno);
    if (const auto fault = SaveStepFault(SaveStep::FlushTemp)) giveUp(u"Cannot write file ", static_cast<int>(fault));
    if (::fsync(fd) != 0) giveUp(u"Cannot write file ", errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        Fail(u"Cannot write file ", path, err);
    }
    int err = static_cast<int>(SaveStepFault(SaveStep::Replace));
    // The previous file stays reachable as the backup (a second name of the same bytes), and the
    // rename then swaps the new file in at once: there is never a moment without a whole file.
    struct stat old {};
    if (!err && !backup.empty() && ::stat(native.c_str(), &old) == 0) {
        // A backup without write permission stands for a read-only one, which Windows keeps.
        const std::string bak = ToUtf8(backup);
        struct stat kept {};
        const bool stuck = ::stat(bak.c_str(), &kept) == 0 && (kept.st_mode & S_IWUSR) == 0;
        if (stuck || (::unlink(bak.c_str()) != 0 && errno != ENOENT) || ::link(native.c_str(), bak.c_str()) != 0)
            backupMade = false;
    }
    if (!err && ::rename(temp.c_str(), native.c_str()) != 0) err = errno;
    if (err) {
        ::unlink(temp.c_str());
        Fail(u"Cannot replace file ", path, err);
    }
    SaveStepFault(SaveStep::Replaced);
    // Make the rename itself durable; the data is already safe, so a failure here is no error.
    const auto slash = native.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : native.substr(0, slash));
    const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return backupMade;
}

FileStamp StampOf(const std::u16string& path) {
    FileStamp f;
    struct stat st {};
    if (::stat(ToUtf8(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return f;
    f.exists = true;
    f.size = static_cast<std::uint64_t>(st.st_size);
    f.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return f;
}

std::vector<std::u16string> FilesStartingWith(const std::u16string& prefix) {
    std::vector<std::u16string> out;
    const std::filesystem::path p = ToPath(prefix);
    const std::string name = p.filename().string();
    std::error_code ec;
    const auto folder = p.has_parent_path() ? p.parent_path() : std::filesystem::path(".");
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
        const std::string n = e.path().filename().string();
        if (e.is_regular_file(ec) && n.compare(0, name.size(), name) == 0) out.push_back(FromUtf8(e.path().string()));
    }
    return out;
}

bool RemoveFile(const std::u16string& path) { return ::unlink(ToUtf8(path).c_str()) == 0; }

void PromoteFile(const std::u16string& from, const std::u16string& path, const std::u16string& backup) {
    const std::string native = ToUtf8(path);
    struct stat st {};
    if (!backup.empty() && ::stat(native.c_str(), &st) == 0) {
        const std::string bak = ToUtf8(backup);
        ::unlink(bak.c_str());
        if (::link(native.c_str(), bak.c_str()) != 0) Fail(u"Cannot keep file ", path, errno);
    }
    if (::rename(ToUtf8(from).c_str(), native.c_str()) != 0) Fail(u"Cannot replace file ", path, errno);
}

bool CopyToNewFile(const std::u16string& from, const std::u16string& to) {
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadWholeFile(from);
    } catch (const KFileError&) {
        return false;
    }
    const std::string native = ToUtf8(to);
    const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool ok = WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !ok) {
        ::unlink(native.c_str());
        return false;
    }
    return true;
}

void SecureWipe(void* data, std::size_t size) {
    if (size) explicit_bzero(data, size);
}

std::u16string SystemErrorText(std::uint32_t code) { return FromUtf8(std::strerror(static_cast<int>(code))); }

FileReader::FileReader(const std::u16string& path) : path_(path) {
    const int fd = ::open(ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Fail(u"Cannot open file ", path, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        Fail(u"Cannot read file ", path, err);
    }
    file_ = fd;
    size_ = st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

FileReader::~FileReader() { ::close(static_cast<int>(file_)); }

std::size_t FileReader::Read(std::uint8_t* into, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::read(static_cast<int>(file_), into + done, n - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            Fail(u"Cannot read file ", path_, errno);
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void LocalDate(int& month, int& day) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    month = local.tm_mon + 1;
    day = local.tm_mday;
}

}  // namespace kplat
