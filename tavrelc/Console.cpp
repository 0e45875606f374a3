#include "tavrelc/Console.h"

#include "core/Abort.h"
#include "core/Formats.h"
#include "base/Text.h"
#include "platform/win32/WinText.h"

namespace tavrel {

namespace {

// The console's texts: the answers a question offers, and the status line's word.
constexpr const char* kYesNoCancelPrompt = " (j/n/a) ";
constexpr const char* kYesNoPrompt = " (j/n) ";
constexpr const char* kYes = "j";
constexpr const char* kNo = "n";
constexpr const char* kCancel = "a";
constexpr const char* kExamined = " gennemset,";

bool IsConsoleHandle(HANDLE handle) {
    DWORD mode;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

BOOL WINAPI OnConsoleControl(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        AbortRequested = true;
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void InstallAbortHandler() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

Console::Console()
    : out_(GetStdHandle(STD_OUTPUT_HANDLE)),
      err_(GetStdHandle(STD_ERROR_HANDLE)),
      in_(GetStdHandle(STD_INPUT_HANDLE)),
      outConsole_(IsConsoleHandle(out_)),
      errConsole_(IsConsoleHandle(err_)),
      inConsole_(IsConsoleHandle(in_)) {}

void Console::Write(void* handle, bool console, const std::string& text) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD written = 0;
    if (console) {
        std::wstring wide = ToWide(text);
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

void Console::Out(const std::string& line) { Write(out_, outConsole_, line + "\r\n"); }

void Console::Err(const std::string& text) { Write(err_, errConsole_, text); }

std::optional<std::string> Console::ReadLine() {
    if (in_ == nullptr || in_ == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string line;
    if (inConsole_) {
        std::wstring wide;
        wchar_t c;
        DWORD read = 0;
        while (ReadConsoleW(in_, &c, 1, &read, nullptr) && read == 1) {
            if (c == L'\n') return FromWide(wide);
            if (c != L'\r') wide += c;
        }
        if (wide.empty()) return std::nullopt;
        return FromWide(wide);
    }
    char c;
    DWORD read = 0;
    bool any = false;
    while (ReadFile(in_, &c, 1, &read, nullptr) && read == 1) {
        any = true;
        if (c == '\n') return line;
        if (c != '\r') line += c;
    }
    if (!any) return std::nullopt;
    return line;
}

MsgResult ConsoleMessageBox::Show(const std::string& text, const std::string&, MsgButtons buttons, MsgIcon) {
    if (buttons == MsgButtons::Ok) {
        console_.Err(text + "\r\n");
        return MsgResult::Ok;
    }
    const bool cancel = buttons == MsgButtons::YesNoCancel;
    const std::string prompt = text + (cancel ? kYesNoCancelPrompt : kYesNoPrompt);
    if (answerYes_) {
        console_.Err(prompt + kYes + "\r\n");
        return MsgResult::Yes;
    }
    while (true) {
        console_.Err(prompt);
        std::optional<std::string> answer = console_.ReadLine();
        if (!answer) {
            console_.Err(std::string(cancel ? kCancel : kNo) + "\r\n");
            return cancel ? MsgResult::Cancel : MsgResult::No;
        }
        const std::string a = AsciiUpper(*answer);
        if (a == AsciiUpper(kYes)) return MsgResult::Yes;
        if (a == AsciiUpper(kNo)) return MsgResult::No;
        if (cancel && a == AsciiUpper(kCancel)) return MsgResult::Cancel;
    }
}

void ConsoleRunView::SetTimerEnabled(bool enabled) {
    timer_ = enabled;
    lastTick_ = clock_.TickCount();
    if (!enabled) ClearStatusLine();
}

void ConsoleRunView::ClearStatusLine() {
    if (shownLength_ == 0) return;
    console_.Err("\r" + std::string(shownLength_, ' ') + "\r");
    shownLength_ = 0;
}

void ConsoleRunView::ProcessMessages() {
    if (!timer_ || !run_ || !console_.ErrIsConsole()) return;
    const uint32_t now = clock_.TickCount();
    if (now - lastTick_ < 1000) return;
    lastTick_ = now;
    const RunCounters& c = run_->Counters();
    std::string line = caption_ + " " + FormatFileCount(c.ExaminedCount) + kExamined + group_ +
                       FormatFileCount(c.CopiedCount) + ", " + FormatSize(c.CopiedSize) + "  " +
                       FormatElapsed(ElapsedSecondsBetween(run_->StartTick(), now));
    const size_t length = Utf8Length(line);
    std::string pad = length < shownLength_ ? std::string(shownLength_ - length, ' ') : std::string();
    console_.Err("\r" + line + pad);
    shownLength_ = length;
}

}  // namespace tavrel
