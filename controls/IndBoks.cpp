#include "controls/IndBoks.h"

#include <stdexcept>
#include <vector>

#include "controls/Button.h"
#include "controls/Edit.h"
#include "controls/Label.h"
#include "controls/Window.h"
#include "core/IndBoksLayout.h"

namespace tavrel {

namespace {

constexpr int kEditId = 100;
constexpr int kPromptId = 101;
constexpr int kMaxLength = 255;

class IndBoksDialog : public Dialog {
public:
    IndBoksDialog(const std::string& prompt, const std::string& ok, const std::string& cancel,
                  const std::string& value, bool password)
        : prompt_(prompt), ok_(ok), cancel_(cancel), value_(value), password_(password) {}

    const std::string& Value() const { return value_; }
    const std::string& Error() const { return error_; }

protected:
    bool OnInitDialog() override {
        const Measures m = Measure();
        const IndBoksLayout l = ComputeIndBoksLayout(AverageCharSizeFromExtent(m.letters.cx, m.letters.cy));

        // Client size from the layout, the window centred on the whole screen.
        RECT wr{0, 0, l.clientWidth, l.clientHeight};
        ::AdjustWindowRectEx(&wr, static_cast<DWORD>(Style()), FALSE,
                             static_cast<DWORD>(::GetWindowLongPtrW(*this, GWL_EXSTYLE)));
        const int w = wr.right - wr.left, h = wr.bottom - wr.top;
        ::SetWindowPos(*this, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                       (::GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);

        CreateControls(l, m);
        edit.SetFocus();
        edit.SelectAll();
        return false;
    }

    void OnOK() override {
        value_ = edit.Text();
        Dialog::OnOK();
    }

    void OnException(const char* what) override {
        error_ = what && *what ? what : kUnknownErrorText;
        End(IDABORT);
    }

private:
    // The dialog font's letters, its line height and the prompt's size.
    struct Measures {
        SIZE letters;
        int lineHeight;
        SIZE prompt;
    };

    Measures Measure() const {
        HDC dc = ::GetDC(*this);
        HGDIOBJ old = ::SelectObject(dc, GetFont());
        static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        Measures m{};
        ::GetTextExtentPoint32W(dc, kLetters, 52, &m.letters);
        TEXTMETRICW tm{};
        ::GetTextMetricsW(dc, &tm);
        m.lineHeight = tm.tmHeight;
        std::wstring promptText = ToWide(prompt_);
        RECT promptSize{0, 0, 0, 0};
        // Measured as the label shows it: an "&" is a letter of its own, not a mnemonic.
        ::DrawTextW(dc, promptText.c_str(), static_cast<int>(promptText.size()), &promptSize,
                    DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS | DT_NOPREFIX);
        m.prompt = {promptSize.right, promptSize.bottom};
        ::SelectObject(dc, old);
        ::ReleaseDC(*this, dc);
        return m;
    }

    // In tab order: prompt, edit field, OK, Cancel.
    void CreateControls(const IndBoksLayout& l, const Measures& m) {
        prompt.Create(*this, {.text = prompt_,
                              .bounds = {l.promptLeft, l.promptTop, l.promptLeft + m.prompt.cx,
                                         l.promptTop + m.prompt.cy},
                              .id = kPromptId,
                              .style = SS_LEFT | SS_NOPREFIX});
        const int editHeight = m.lineHeight + 8 * ::GetSystemMetrics(SM_CYBORDER);
        edit.Create(*this, {.text = value_,
                            .bounds = {l.editLeft, l.editTop, l.editLeft + l.editWidth, l.editTop + editHeight},
                            .id = kEditId,
                            .limit = kMaxLength,
                            .password = password_});
        auto button = [&](Button& b, const std::string& text, int left, DWORD kind, int id) {
            b.Create(*this, {.text = text,
                             .bounds = {left, l.buttonTop, left + l.buttonWidth, l.buttonTop + l.buttonHeight},
                             .id = id,
                             .style = WS_TABSTOP | kind});
        };
        button(ok, ok_, l.okLeft, BS_DEFPUSHBUTTON, IDOK);
        button(cancel, cancel_, l.cancelLeft, BS_PUSHBUTTON, IDCANCEL);
        SetDefaultButton(IDOK);
    }

    std::string prompt_, ok_, cancel_, value_, error_;
    bool password_;
    Label prompt;
    Edit edit;
    Button ok, cancel;
};

// A modal dialog keeps the rest of the program out of reach, as its owner would be if it had one.
class DisabledThreadWindows {
public:
    DisabledThreadWindows() {
        active_ = ::GetActiveWindow();
        ::EnumThreadWindows(::GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&windows_));
        for (HWND w : windows_) ::EnableWindow(w, FALSE);
    }
    ~DisabledThreadWindows() {
        for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
            if (::IsWindow(*it)) ::EnableWindow(*it, TRUE);
        if (active_ && ::IsWindow(active_)) ::SetActiveWindow(active_);
    }

private:
    static BOOL CALLBACK Collect(HWND w, LPARAM lp) {
        if (::IsWindowVisible(w) && ::IsWindowEnabled(w)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
        return TRUE;
    }
    std::vector<HWND> windows_;
    HWND active_;
};

// The program's main window: the top-level owner of the active window, or else the first
// shown window of this thread that has no owner.
HWND ApplicationWindow() {
    HWND active = ::GetActiveWindow();
    if (active) {
        HWND root = ::GetAncestor(active, GA_ROOTOWNER);
        return root ? root : active;
    }
    HWND found = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND w, LPARAM lp) -> BOOL {
            if (!::IsWindowVisible(w) || ::GetWindow(w, GW_OWNER)) return TRUE;
            *reinterpret_cast<HWND*>(lp) = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace

bool IndBoksQuery(const std::string& caption, const std::string& prompt, const std::string& okCaption,
                  const std::string& cancelCaption, std::string& value, bool password) {
    IndBoksDialog dlg(prompt, okCaption, cancelCaption, value, password);
    INT_PTR result;
    {
        // Owned by the program's window, as every window of the program is, so that the box
        // gets no taskbar button of its own and stays above the window.
        HWND owner = ApplicationWindow();
        DisabledThreadWindows disabled;
        // The form's own default font, not the program's user-interface font.
        result = dlg.DoModal(owner, {.title = caption,
                                       .style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                                       .cx = 180,
                                       .cy = 63,
                                       .fontName = kFormFontName,
                                       .pointSize = 8});
    }
    if (result == IDABORT && !dlg.Error().empty()) throw std::runtime_error(dlg.Error());
    if (result == -1) throw std::runtime_error("Indtastningsboksen kunne ikke vises.");
    if (result != IDOK) return false;
    value = dlg.Value();
    return true;
}

}  // namespace tavrel
