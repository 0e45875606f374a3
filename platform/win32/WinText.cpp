#include "platform/win32/WinText.h"

namespace tavrel {

std::wstring LongPath(std::wstring path) {
    constexpr size_t kLimit = 248;
    if (path.size() < kLimit) return path;
    if (path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")) return path;
    // The prefix turns off the system's clean-up of the path ("/", ".", "..", relative
    // paths), so the clean-up is done first.
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n) {
        std::wstring full(n, L'\0');
        n = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
        if (n && n < full.size()) {
            full.resize(n);
            path = std::move(full);
        }
    }
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
    if (path.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + path.substr(2);
    return path;
}

std::wstring LongPath(const std::string& path) { return LongPath(ToWide(path)); }

std::string SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (n && buffer) text.assign(buffer, n);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    if (text.empty()) return "Fejl " + std::to_string(code) + ".";
    return FromWide(text);
}

}  // namespace tavrel
