#include "controls/IndBoks.h"

#include <stdexcept>
#include <vector>

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
        HFONT font = GetFont();
        HDC dc = ::GetDC(*this);
        HGDIOBJ old = ::SelectObject(dc, font);
        static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, kLetters, 52, &extent);
        TEXTMETRICW tm{};
        ::GetTextMetricsW(dc, &tm);
        std::wstring promptText = ToWide(prompt_);
        RECT promptSize{0, 0, 0, 0};
        // Measured as the label shows it: an "&" is a letter of its own, not a mnemonic.
        ::DrawTextW(dc, promptText.c_str(), static_cast<int>(promptText.size()), &promptSize,
                    DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS | DT_NOPREFIX);
        ::SelectObject(dc, old);
        ::ReleaseDC(*this, dc);

        const IndBoksLayout l = ComputeIndBoksLayout(AverageCharSizeFromExtent(extent.cx, extent.cy));

        // Client size from the layout, the window centred on the whole screen.
        RECT wr{0, 0, l.clientWidth, l.clientHeight};
        ::AdjustWindowRectEx(&wr, static_cast<DWORD>(Style()), FALSE,
                             static_cast<DWORD>(::GetWindowLongPtrW(*this, GWL_EXSTYLE)));
        const int w = wr.right - wr.left, h = wr.bottom - wr.top;
        ::SetWindowPos(*this, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                       (::GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);

        // Created in tab order: prompt, edit field, OK, Cancel.
        CreateControl(*this, {.className = L"STATIC", .text = prompt_, .style = SS_LEFT | SS_NOPREFIX,
                              .x = l.promptLeft, .y = l.promptTop, .width = promptSize.right,
                              .height = promptSize.bottom, .id = kPromptId});
        const int editHeight = tm.tmHeight + 8 * ::GetSystemMetrics(SM_CYBORDER);
        WindowHandle edit = CreateControl(
            *this, {.className = L"EDIT", .text = value_,
                    .style = static_cast<DWORD>(WS_TABSTOP | ES_AUTOHSCROLL | (password_ ? ES_PASSWORD : 0)),
                    .exStyle = WS_EX_CLIENTEDGE, .x = l.editLeft, .y = l.editTop, .width = l.editWidth,
                    .height = editHeight, .id = kEditId});
        // The limit stops typing only; a longer value is shown in full.
        edit.Send(EM_LIMITTEXT, kMaxLength);
        if (password_) edit.Send(EM_SETPASSWORDCHAR, L'*');
        CreateControl(*this, {.className = L"BUTTON", .text = ok_, .style = WS_TABSTOP | BS_DEFPUSHBUTTON,
                              .x = l.okLeft, .y = l.buttonTop, .width = l.buttonWidth, .height = l.buttonHeight,
                              .id = IDOK});
        CreateControl(*this, {.className = L"BUTTON", .text = cancel_, .style = WS_TABSTOP | BS_PUSHBUTTON,
                              .x = l.cancelLeft, .y = l.buttonTop, .width = l.buttonWidth,
                              .height = l.buttonHeight, .id = IDCANCEL});
        Send(DM_SETDEFID, IDOK);

        edit.SetFocus();
        edit.Send(EM_SETSEL, 0, -1);
        return false;
    }

    void OnOK() override {
        value_ = Item(kEditId).GetText();
        Dialog::OnOK();
    }

    void OnException(const char* what) override {
        error_ = what && *what ? what : "error";
        End(IDABORT);
    }

private:
    std::string prompt_, ok_, cancel_, value_, error_;
    bool password_;
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
                                       .fontName = "MS Sans Serif",
                                       .pointSize = 8});
    }
    if (result == IDABORT && !dlg.Error().empty()) throw std::runtime_error(dlg.Error());
    if (result == -1) throw std::runtime_error("IndBoksQuery: the dialog could not be created");
    if (result != IDOK) return false;
    value = dlg.Value();
    return true;
}

}  // namespace tavrel
