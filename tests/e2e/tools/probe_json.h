// Output of the test probes: one JSON object per call, UTF-8, written as raw bytes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <cstdlib>
#include <string>

namespace probe {

inline std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

inline std::string Quote(const std::wstring& w) {
    std::string out = "\"";
    for (unsigned char c : Utf8(w)) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

inline std::string Num(long long v) { return std::to_string(v); }

inline std::string Handle(HWND h) { return Num(static_cast<long long>(reinterpret_cast<std::uintptr_t>(h))); }

// Raw bytes to the standard output handle: no CRT text translation of the UTF-8.
inline int Emit(const std::string& json) {
    std::string line = json + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    return json.rfind("{\"ok\":true", 0) == 0 ? 0 : 1;
}

inline int Fail(const std::string& why) {
    return Emit("{\"ok\":false,\"error\":" + Quote(std::wstring(why.begin(), why.end())) + "}");
}

inline HWND ParseHandle(const wchar_t* s) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::wcstoull(s, nullptr, 10)));
}

// Command-line texts come as hex of their UTF-8 bytes, so any text survives the shell and wine.
inline std::wstring FromUtf8Hex(const wchar_t* hex) {
    std::string bytes;
    std::size_t n = std::wcslen(hex);
    for (std::size_t i = 0; i + 1 < n; i += 2) {
        wchar_t pair[3] = {hex[i], hex[i + 1], 0};
        bytes += static_cast<char>(std::wcstoul(pair, nullptr, 16));
    }
    if (bytes.empty()) return {};
    int len = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(len), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(), len);
    return w;
}

}  // namespace probe
