// The console of tavrelc: UTF-16 on a console window, UTF-8 on a file or a pipe; questions
// answered with "j", "n" or "a"; and the Ctrl+C handler that aborts the run.
#pragma once

#include <optional>
#include <string>

#include "core/CopyRun.h"
#include "platform/System.h"

namespace tavrel {

class Console {
public:
    Console();
    void Out(const std::string& line);  // one line on stdout
    void Err(const std::string& text);  // text on stderr, no line end added
    bool ErrIsConsole() const { return errConsole_; }
    // One line from stdin without its line end; nothing at the end of input.
    std::optional<std::string> ReadLine();

private:
    void Write(void* handle, bool console, const std::string& text);
    void* out_;
    void* err_;
    void* in_;
    bool outConsole_, errConsole_, inConsole_;
};

// Message boxes on the console: notices go to stderr, questions are asked there. With
// answerYes every question is answered Yes; at the end of input a question gets No, or
// Cancel where it offers one.
class ConsoleMessageBox : public IMessageBox {
public:
    ConsoleMessageBox(Console& console, bool answerYes) : console_(console), answerYes_(answerYes) {}
    MsgResult Show(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon) override;

private:
    Console& console_;
    bool answerYes_;
};

// The run's progress on the console: a status line about once a second on a console window,
// nothing per file, nothing at all on a file or a pipe.
class ConsoleRunView : public IProgressView, public IRunHost {
public:
    ConsoleRunView(Console& console, IClock& clock) : console_(console), clock_(clock) {}
    void SetRun(const CopyRun* run) { run_ = run; }
    void ClearStatusLine();

    // IProgressView: the phase and the name of the copied group, for the status line.
    void SetCaption(const std::string& text) override { caption_ = text; }
    void SetCopiedGroupCaption(const std::string& text) override { group_ = text; }
    // IRunHost
    void ProcessMessages() override;
    void SetTimerEnabled(bool enabled) override;

private:
    Console& console_;
    IClock& clock_;
    const CopyRun* run_ = nullptr;
    std::string caption_, group_;
    bool timer_ = false;
    uint32_t lastTick_ = 0;
    size_t shownLength_ = 0;
};

// Ctrl+C, Ctrl+Break and closing the console set AbortRequested.
void InstallAbortHandler();

}  // namespace tavrel
