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
// Prints "MODE THREADS COUNT SECONDS" where SECONDS is the wall time from the start of the
// first thread to the end of the last, without the process's start and end.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::wstring g_mode, g_src, g_dst;
long g_first = 0, g_count = 0;
std::atomic<long> g_next{0};
std::atomic<long> g_failed{0};
char g_block[4096];

std::wstring Name(const std::wstring& folder, long i) {
    wchar_t buffer[32];
    swprintf(buffer, 32, L"\\f%05ld.dat", i);
    return folder + buffer;
}

bool One(long i) {
    const std::wstring src = Name(g_src, i), dst = Name(g_dst, i);
    if (g_mode == L"copy") return CopyFileW(src.c_str(), dst.c_str(), TRUE) != 0;
    if (g_mode == L"temp") {
        const std::wstring temp = g_dst + L"\\~tmp-" + dst.substr(g_dst.size() + 1) + L".tmp";
        if (!CopyFileExW(src.c_str(), temp.c_str(), nullptr, nullptr, nullptr, COPY_FILE_FAIL_IF_EXISTS))
            return false;
        return MoveFileExW(temp.c_str(), dst.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
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
    g_src = argv[2];
    g_dst = argv[3];
    g_first = std::wcstol(argv[4], nullptr, 10);
    g_count = std::wcstol(argv[5], nullptr, 10);
    const int threads = std::max(1, static_cast<int>(std::wcstol(argv[6], nullptr, 10)));
    for (size_t i = 0; i < sizeof g_block; ++i) g_block[i] = static_cast<char>(i * 7);

    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    std::vector<HANDLE> handles;
    for (int t = 0; t < threads; ++t) handles.push_back(CreateThread(nullptr, 0, Worker, nullptr, 0, nullptr));
    WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, INFINITE);
    QueryPerformanceCounter(&t1);
    for (HANDLE h : handles) CloseHandle(h);
    const double seconds = double(t1.QuadPart - t0.QuadPart) / double(freq.QuadPart);
    std::printf("%ls %d %ld %.3f\n", g_mode.c_str(), threads, g_count, seconds);
    if (g_failed.load()) {
        std::fprintf(stderr, "%ld of %ld failed\n", g_failed.load(), g_count);
        return 1;
    }
    return 0;
}
