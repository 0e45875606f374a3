// The input box driven by keystrokes that a second thread posts into the open dialog, the way
// a user would type them; the thread also looks at the dialog's layout.
#include "controls/IndBoks.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "controls/Window.h"
#include "core/IndBoksLayout.h"

using namespace tavrel;

namespace {

const char kCaption[] = "Job";

HWND WaitForDialog(const wchar_t* title) {
    for (int i = 0; i < 500; ++i) {
        HWND h = ::FindWindowW(L"#32770", title);
        if (h && ::IsWindowVisible(h)) return h;
        ::Sleep(10);
    }
    return nullptr;
}

HWND EditOf(HWND dlg) {
    HWND edit = nullptr;
    for (HWND c = ::GetWindow(dlg, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[16] = {};
        ::GetClassNameW(c, cls, 16);
        if (_wcsicmp(cls, L"Edit") == 0) edit = c;
    }
    return edit;
}

void Type(HWND edit, const std::wstring& text) {
    for (wchar_t ch : text) ::PostMessageW(edit, WM_CHAR, ch, 1);
}

void Press(HWND target, UINT key) {
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

// Runs the input box on this thread while `drive` acts on the dialog from another.
bool RunQuery(std::string& value, bool password, const std::function<void(HWND dlg, HWND edit)>& drive) {
    std::thread user([&] {
        HWND dlg = WaitForDialog(L"Job");
        if (!dlg) return;
        drive(dlg, EditOf(dlg));
    });
    bool result = IndBoksQuery(kCaption, "Giv en kort beskrivelse af jobbet:", "&OK", "Annuller", value, password);
    user.join();
    return result;
}

// The edit field's text as seen from the other thread, after the posted keys were handled.
std::string TextOf(HWND edit) {
    ::Sleep(50);
    int n = static_cast<int>(::SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0));
    std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
    ::SendMessageW(edit, WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(buf.data()));
    buf.resize(static_cast<size_t>(n));
    return FromWide(buf);
}

}  // namespace

TEST(IndBoks, EnterConfirmsTheTypedTextWhichReplacesTheSelection) {
    std::string value = "Gammel beskrivelse";
    std::string seen;
    bool ok = RunQuery(value, false, [&](HWND, HWND edit) {
        seen = TextOf(edit);
        Type(edit, L"Ny æøå");
        Press(edit, VK_RETURN);
    });
    EXPECT_EQ(seen, "Gammel beskrivelse");
    EXPECT_TRUE(ok);
    EXPECT_EQ(value, "Ny æøå");
}

TEST(IndBoks, EscCancelsAndLeavesTheValue) {
    std::string value = "Drev C";
    bool ok = RunQuery(value, false, [&](HWND, HWND edit) {
        Type(edit, L"noget andet");
        Press(edit, VK_ESCAPE);
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(value, "Drev C");
}

TEST(IndBoks, CloseBoxAndCancelButtonCancel) {
    std::string value = "x";
    EXPECT_FALSE(RunQuery(value, false, [&](HWND dlg, HWND) { ::PostMessageW(dlg, WM_CLOSE, 0, 0); }));
    EXPECT_FALSE(RunQuery(value, false, [&](HWND dlg, HWND) {
        ::PostMessageW(::GetDlgItem(dlg, IDCANCEL), BM_CLICK, 0, 0);
    }));
    EXPECT_EQ(value, "x");
    EXPECT_TRUE(RunQuery(value, false, [&](HWND dlg, HWND) {
        ::PostMessageW(::GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    }));
    EXPECT_EQ(value, "x");
}

TEST(IndBoks, AnEmptiedFieldConfirmsAnEmptyValue) {
    std::string value = "Noget";
    bool ok = RunQuery(value, false, [&](HWND, HWND edit) {
        Type(edit, L"\b");  // the whole text is selected
        Press(edit, VK_RETURN);
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(value, "");
}

TEST(IndBoks, LongValuesAreShownButTypingStopsAt255) {
    std::string value(300, 'a');
    std::string shown;
    bool ok = RunQuery(value, false, [&](HWND, HWND edit) {
        shown = TextOf(edit);
        Type(edit, L"\b");
        Type(edit, std::wstring(300, L'b'));
        Press(edit, VK_RETURN);
    });
    EXPECT_EQ(shown.size(), 300u);
    EXPECT_TRUE(ok);
    EXPECT_EQ(value, std::string(255, 'b'));
}

TEST(IndBoks, PasswordShowsStars) {
    std::string value = "hemmelig";
    LONG_PTR style = 0;
    LRESULT passwordChar = 0;
    bool ok = RunQuery(value, true, [&](HWND, HWND edit) {
        style = ::GetWindowLongPtrW(edit, GWL_STYLE);
        passwordChar = ::SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0);
        Press(edit, VK_RETURN);
    });
    EXPECT_TRUE(ok);
    EXPECT_TRUE(style & ES_PASSWORD);
    EXPECT_EQ(passwordChar, L'*');
    EXPECT_EQ(value, "hemmelig");
}

TEST(IndBoks, LayoutFollowsTheAverageCharacterSizeAndIsCentred) {
    struct Seen {
        RECT window{}, client{}, prompt{}, edit{}, ok{}, cancel{};
        CharSize chars;
        std::string title, okText, cancelText, promptText;
        std::vector<int> order;
        LONG_PTR defId = 0;
        bool mainDisabled = false;
    } s;
    Window main;
    ASSERT_TRUE(main.Create({.title = "Hovedvindue", .x = 0, .y = 0, .width = 300, .height = 200}));
    main.Show();
    std::string value = "v";
    RunQuery(value, false, [&](HWND dlg, HWND edit) {
        auto childRect = [dlg](HWND c) {
            RECT r;
            ::GetWindowRect(c, &r);
            ::MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
            return r;
        };
        ::GetWindowRect(dlg, &s.window);
        ::GetClientRect(dlg, &s.client);
        HFONT font = reinterpret_cast<HFONT>(::SendMessageW(dlg, WM_GETFONT, 0, 0));
        HDC dc = ::GetDC(dlg);
        HGDIOBJ old = ::SelectObject(dc, font);
        SIZE ext{};
        ::GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &ext);
        ::SelectObject(dc, old);
        ::ReleaseDC(dlg, dc);
        s.chars = AverageCharSizeFromExtent(ext.cx, ext.cy);
        s.title = WindowHandle(dlg).GetText();
        s.prompt = childRect(::GetWindow(dlg, GW_CHILD));
        s.promptText = WindowHandle(::GetWindow(dlg, GW_CHILD)).GetText();
        s.edit = childRect(edit);
        s.ok = childRect(::GetDlgItem(dlg, IDOK));
        s.cancel = childRect(::GetDlgItem(dlg, IDCANCEL));
        s.okText = WindowHandle(::GetDlgItem(dlg, IDOK)).GetText();
        s.cancelText = WindowHandle(::GetDlgItem(dlg, IDCANCEL)).GetText();
        for (HWND c = ::GetWindow(dlg, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
            s.order.push_back(::GetDlgCtrlID(c));
        s.defId = LOWORD(::SendMessageW(dlg, DM_GETDEFID, 0, 0));
        s.mainDisabled = !::IsWindowEnabled(main);
        Press(edit, VK_ESCAPE);
    });
    EXPECT_TRUE(::IsWindowEnabled(main)) << "the main window is enabled again";
    EXPECT_TRUE(s.mainDisabled) << "the main window is disabled while the box is open";
    ASSERT_GT(s.chars.x, 0);
    std::printf("Dialog font: X = %d, Y = %d\n", s.chars.x, s.chars.y);
    IndBoksLayout l = ComputeIndBoksLayout(s.chars);
    EXPECT_EQ(s.title, "Job");
    EXPECT_EQ(s.promptText, "Giv en kort beskrivelse af jobbet:");
    EXPECT_EQ(s.okText, "&OK");
    EXPECT_EQ(s.cancelText, "Annuller");
    EXPECT_EQ(s.client.right, l.clientWidth);
    EXPECT_EQ(s.client.bottom, l.clientHeight);
    EXPECT_EQ(s.prompt.left, l.promptLeft);
    EXPECT_EQ(s.prompt.top, l.promptTop);
    EXPECT_GT(s.prompt.right - s.prompt.left, 50) << "sized to its text";
    EXPECT_EQ(s.edit.left, l.editLeft);
    EXPECT_EQ(s.edit.top, l.editTop);
    EXPECT_EQ(s.edit.right - s.edit.left, l.editWidth);
    EXPECT_EQ(s.ok.left, l.okLeft);
    EXPECT_EQ(s.cancel.left, l.cancelLeft);
    EXPECT_EQ(s.ok.top, l.buttonTop);
    EXPECT_EQ(s.cancel.top, l.buttonTop);
    EXPECT_EQ(s.ok.right - s.ok.left, l.buttonWidth);
    EXPECT_EQ(s.ok.bottom - s.ok.top, l.buttonHeight);
    EXPECT_EQ(s.cancel.bottom - s.cancel.top, l.buttonHeight);
    std::vector<int> order = {101, 100, IDOK, IDCANCEL};
    EXPECT_EQ(s.order, order);
    EXPECT_EQ(s.defId, IDOK);
    // Centred on the whole screen, not on the main window at the top left.
    int cx = (s.window.left + s.window.right) / 2, cy = (s.window.top + s.window.bottom) / 2;
    EXPECT_NEAR(cx, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR(cy, ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);
}

TEST(IndBoks, OwnedByTheProgramsWindowAndThePromptIsMeasuredAsShown) {
    Window main;
    ASSERT_TRUE(main.Create({.title = "Hovedvindue", .x = 0, .y = 0, .width = 300, .height = 200}));
    main.Show();
    ::SetForegroundWindow(main);
    ::SetActiveWindow(main);
    // An "&" in the prompt is shown as itself, so the label must be wide enough for it.
    const std::string prompt = "Brev && pakker & andet:";
    HWND owner = nullptr;
    LONG_PTR exStyle = 0;
    int labelWidth = 0, textWidth = 0;
    std::string shown;
    std::string value = "v";
    std::thread user([&] {
        HWND dlg = WaitForDialog(L"Job");
        if (!dlg) return;
        owner = ::GetWindow(dlg, GW_OWNER);
        exStyle = ::GetWindowLongPtrW(dlg, GWL_EXSTYLE);
        HWND label = ::GetWindow(dlg, GW_CHILD);
        shown = WindowHandle(label).GetText();
        RECT r;
        ::GetClientRect(label, &r);
        labelWidth = r.right;
        HDC dc = ::GetDC(label);
        HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)));
        std::wstring text = ToWide(prompt);
        RECT calc{0, 0, 0, 0};
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &calc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        ::SelectObject(dc, old);
        ::ReleaseDC(label, dc);
        textWidth = calc.right;
        Press(EditOf(dlg), VK_ESCAPE);
    });
    IndBoksQuery(kCaption, prompt, "&OK", "Annuller", value);
    user.join();
    EXPECT_EQ(owner, main.Handle()) << "owned by the program's window: no taskbar button of its own";
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    EXPECT_EQ(shown, prompt);
    EXPECT_GE(labelWidth, textWidth) << "the label holds the whole prompt, its ampersands included";
    EXPECT_GT(textWidth, 0);
}
