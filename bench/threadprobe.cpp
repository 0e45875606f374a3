// threadprobe: how file operations scale with threads inside one process. Not part of the
// product: a measuring tool for bench/threadprobe.sh, built with the mingw toolchain and run
// under Wine.
//
//   threadprobe MODE SRC DST FIRST COUNT THREADS
//
// Works on the files "f00000.dat" ... of SRC, numbers FIRST to FIRST+COUNT-1, with THREADS
// threads that each take the next number from a shared counter (so no thread idles while
// others still have work). MODE:
//   copy      CopyFileW(SRC\f, DST\f) onto a name that is not there yet
//   temp      the program's copy: CopyFileExW to a temporary name (fail if it exists), then
//             MoveFileExW onto the final name
//   create    CreateFileW(DST\f, CREATE_NEW), one 4 KB write, CloseHandle: no source read
//   missing   GetFileAttributesW(DST\f) of a name that is not there (Wine reads the folder
//             to look for it under another case)
//   existing  GetFileAttributesW(SRC\f) of a name that is there
//   sleep     Sleep(1) per file: latency alone, no file system (the floor of the method)
//   own       the copy written out: the source opened for reading, the temporary file created
//             (CREATE_NEW) with DELETE access, the bytes, SetFileTime, then the rename onto the
//             final name through the same handle (SetFileInformationByHandle FileRenameInfo)
//             before it is closed: no second open of the temporary file
//   own-posix the same with FILE_FLAG_POSIX_SEMANTICS on the temporary file's create: the name
//             is then looked up as written, which spares Wine the read of the whole folder
//             for a name that is not there
//   own-nt    the same with the temporary file created by NtCreateFile without
//             OBJ_CASE_INSENSITIVE (Windows itself matches names without regard to case all the
//             same; Wine then looks the name up as written)
//   missing-posix  CreateFileW(OPEN_EXISTING, FILE_FLAG_POSIX_SEMANTICS) of a name that is not
//             there, against "missing"
// A MODE ending in "-spread" (temp-spread, copy-spread, create-spread) writes file i into the
// subfolder DST\s(i mod 8) instead of DST itself (made before the clock starts): the files in
// flight then mostly lie in different folders.
// Prints "MODE THREADS COUNT SECONDS" where SECONDS is the wall time from the start of the
// first thread to the end of the last, without the process's start and end.
#include <windows.h>
#include <winternl.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::wstring g_mode, g_src, g_dst;
bool g_spread = false;
constexpr int kSpreadFolders = 8;
long g_first = 0, g_count = 0;
std::atomic<long> g_next{0};
std::atomic<long> g_failed{0};
char g_block[4096];

std::wstring Name(const std::wstring& folder, long i) {
    wchar_t buffer[32];
    swprintf(buffer, 32, L"\\f%05ld.dat", i);
    return folder + buffer;
}

std::wstring DestFolder(long i) {
    if (!g_spread) return g_dst;
    return g_dst + L"\\s" + std::to_wstring(i % kSpreadFolders);
}

// CreateFileW(CREATE_NEW) for a path "X:\\...", with the name looked up as written.
HANDLE CreateNewExact(const std::wstring& path, ACCESS_MASK access) {
    std::wstring nt = L"\\??\\" + path;
    UNICODE_STRING name{static_cast<USHORT>(nt.size() * sizeof(wchar_t)), static_cast<USHORT>(nt.size() * sizeof(wchar_t)),
                        nt.data()};
    OBJECT_ATTRIBUTES attr{};
    attr.Length = sizeof attr;
    attr.ObjectName = &name;
    attr.Attributes = 0;  // no OBJ_CASE_INSENSITIVE
    IO_STATUS_BLOCK io{};
    HANDLE h = nullptr;
    NTSTATUS status = NtCreateFile(&h, access | SYNCHRONIZE, &attr, &io, nullptr, FILE_ATTRIBUTE_NORMAL, 0,
                                   FILE_CREATE, FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    return status == 0 ? h : INVALID_HANDLE_VALUE;
}

enum class TempCreate { Plain, Posix, Exact };

// The copy of "own", "own-posix" and "own-nt".
bool OwnCopy(const std::wstring& src, const std::wstring& temp, const std::wstring& dst, TempCreate how) {
    HANDLE in = CreateFileW(src.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (in == INVALID_HANDLE_VALUE) return false;
    HANDLE out = how == TempCreate::Exact
                     ? CreateNewExact(temp, GENERIC_WRITE | DELETE)
                     : CreateFileW(temp.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | (how == TempCreate::Posix ? FILE_FLAG_POSIX_SEMANTICS : 0),
                                   nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        CloseHandle(in);
        return false;
    }
    char buffer[65536];
    bool ok = true;
    for (;;) {
        DWORD got = 0, put = 0;
        if (!ReadFile(in, buffer, sizeof buffer, &got, nullptr)) { ok = false; break; }
        if (got == 0) break;
        if (!WriteFile(out, buffer, got, &put, nullptr) || put != got) { ok = false; break; }
    }
    FILETIME created, accessed, written;
    if (ok) ok = GetFileTime(in, &created, &accessed, &written) && SetFileTime(out, nullptr, nullptr, &written);
    CloseHandle(in);
    if (ok) {
        const std::wstring target = L"\\??\\" + dst;
        std::vector<char> info(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
        auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(info.data());
        rename->ReplaceIfExists = TRUE;
        rename->RootDirectory = nullptr;
        rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
        std::copy(target.begin(), target.end(), rename->FileName);
        ok = SetFileInformationByHandle(out, FileRenameInfo, rename, static_cast<DWORD>(info.size())) != 0;
    }
    if (!ok) {
        FILE_DISPOSITION_INFO gone{TRUE};
        SetFileInformationByHandle(out, FileDispositionInfo, &gone, sizeof gone);
    }
    CloseHandle(out);
    return ok;
}

bool One(long i) {
    const std::wstring folder = DestFolder(i);
    const std::wstring src = Name(g_src, i), dst = Name(folder, i);
    if (g_mode == L"copy") return CopyFileW(src.c_str(), dst.c_str(), TRUE) != 0;
    if (g_mode == L"temp") {
        const std::wstring temp = folder + L"\\~tmp-" + dst.substr(folder.size() + 1) + L".tmp";
        if (!CopyFileExW(src.c_str(), temp.c_str(), nullptr, nullptr, nullptr, COPY_FILE_FAIL_IF_EXISTS))
            return false;
        return MoveFileExW(temp.c_str(), dst.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    }
    if (g_mode == L"own" || g_mode == L"own-posix" || g_mode == L"own-nt") {
        const std::wstring temp = folder + L"\\~tmp-" + dst.substr(folder.size() + 1) + L".tmp";
        return OwnCopy(src, temp, dst,
                       g_mode == L"own" ? TempCreate::Plain : g_mode == L"own-nt" ? TempCreate::Exact : TempCreate::Posix);
    }
    if (g_mode == L"missing-posix") {
        HANDLE h = CreateFileW(dst.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_POSIX_SEMANTICS, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            return false;
        }
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    if (g_mode == L"create") {
        HANDLE h = CreateFileW(dst.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        BOOL ok = WriteFile(h, g_block, sizeof g_block, &written, nullptr);
        CloseHandle(h);
        return ok && written == sizeof g_block;
    }
    if (g_mode == L"missing") return GetFileAttributesW(dst.c_str()) == INVALID_FILE_ATTRIBUTES;
    if (g_mode == L"existing") return GetFileAttributesW(src.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (g_mode == L"sleep") {
        Sleep(1);
        return true;
    }
    return false;
}

DWORD WINAPI Worker(void*) {
    for (;;) {
        long k = g_next.fetch_add(1);
        if (k >= g_count) return 0;
        if (!One(g_first + k)) g_failed.fetch_add(1);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 7) {
        std::fprintf(stderr, "threadprobe MODE SRC DST FIRST COUNT THREADS\n");
        return 2;
    }
    g_mode = argv[1];
    const std::wstring spread = L"-spread";
    if (g_mode.size() > spread.size() && g_mode.ends_with(spread)) {
        g_spread = true;
        g_mode.resize(g_mode.size() - spread.size());
    }
    g_src = argv[2];
    g_dst = argv[3];
    g_first = std::wcstol(argv[4], nullptr, 10);
    g_count = std::wcstol(argv[5], nullptr, 10);
    const int threads = std::max(1, static_cast<int>(std::wcstol(argv[6], nullptr, 10)));
    for (size_t i = 0; i < sizeof g_block; ++i) g_block[i] = static_cast<char>(i * 7);
    if (g_spread)
        for (int k = 0; k < kSpreadFolders; ++k) CreateDirectoryW((g_dst + L"\\s" + std::to_wstring(k)).c_str(), nullptr);

    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    std::vector<HANDLE> handles;
    for (int t = 0; t < threads; ++t) handles.push_back(CreateThread(nullptr, 0, Worker, nullptr, 0, nullptr));
    WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, INFINITE);
    QueryPerformanceCounter(&t1);
    for (HANDLE h : handles) CloseHandle(h);
    const double seconds = double(t1.QuadPart - t0.QuadPart) / double(freq.QuadPart);
    std::printf("%ls%ls %d %ld %.3f\n", g_mode.c_str(), g_spread ? L"-spread" : L"", threads, g_count, seconds);
    if (g_failed.load()) {
        std::fprintf(stderr, "%ld of %ld failed\n", g_failed.load(), g_count);
        return 1;
    }
    return 0;
}
