#include "forms/HelpPage.h"

#include <windows.h>
#include <shlwapi.h>

#include "controls/Window.h"
#include "core/HelpPage.h"
#include "core/Texts.h"
#include "platform/win32/Win32System.h"

namespace tavrel {

namespace {

// The command the system starts for web addresses, such as "\"C:\...\msedge.exe\" %1".
std::string WebBrowserCommand() {
    wchar_t command[2048] = {};
    DWORD size = 2048;
    if (::AssocQueryStringW(ASSOCF_NOTRUNCATE, ASSOCSTR_COMMAND, L"http", L"open", command, &size) != S_OK) return {};
    return FromWide(command);
}

bool Start(const std::string& commandLine) {
    std::wstring line = ToWide(commandLine);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return true;
}

}  // namespace

void OpenHelpPage(IFileSystem& fs, IShell& shell, IMessageBox& messages, const std::string& section) {
    const std::string folder = ProgramFolder();
    std::string page;
    for (const std::string& candidate : {folder + kHelpPageName, folder + "help\\" + kHelpPageName})
        if (FileExists(fs, candidate)) {
            page = candidate;
            break;
        }
    if (page.empty()) {
        messages.Show("Hjælpen kunne ikke findes. Den skulle ligge i filen \"" + folder + kHelpPageName + "\".",
                      kAppTitle, MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    // Given to a browser as an address, the page opens at its part; opened as a file through
    // the shell it would open at the top, since the shell drops the part of a file address.
    const std::string line = BrowserCommandLine(WebBrowserCommand(), FileUrl(page, section));
    if (!line.empty() && Start(line)) return;
    shell.OpenWithShell(page);
}

}  // namespace tavrel
