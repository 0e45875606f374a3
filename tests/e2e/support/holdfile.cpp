// holdfile FILE READY RELEASE: holds FILE open without sharing, as another program that has a
// file open would, until the file RELEASE exists. READY is created once FILE is held, so a test
// knows when to begin. It lets go by itself after ten minutes, so a failed test leaves no
// process behind. Exit code 0 after a hold, 2 if FILE could not be opened.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) return 3;
    HANDLE held = CreateFileW(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) return 2;
    HANDLE ready = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
    for (int waited = 0; waited < 600 * 20; ++waited) {
        if (GetFileAttributesW(argv[3]) != INVALID_FILE_ATTRIBUTES) break;
        Sleep(50);
    }
    CloseHandle(held);
    return 0;
}
