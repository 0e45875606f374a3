// The window layer in real windows: message routing, the `this` pointer's life, exceptions
// stopped at the window procedure, dialogs ended by Enter and Esc, window-less controls.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "controls/Window.h"

using namespace tavrel;

namespace {

class ProbeWindow : public Window {
public:
    int created = 0, commands = 0, lastId = 0, timers = 0, finalDestroys = 0, keys = 0;
    std::string exceptionText;
    bool refuseClose = false;

protected:
    bool OnCreate() override {
        ++created;
        return true;
    }
    bool OnCommand(int id, int, HWND) override {
        ++commands;
        lastId = id;
        if (id == 99) throw std::runtime_error("boom");
        if (id == 98) throw 98;
        return true;
    }
    bool OnKeyDown(UINT, LPARAM) override {
        ++keys;
        return true;
    }
    bool OnTimer(UINT_PTR) override {
        ++timers;
        return true;
    }
    bool OnClose() override { return refuseClose; }
    void OnException(const char* what) override { exceptionText = what; }
    void OnFinalDestroy() override { ++finalDestroys; }
};

Window::CreateArgs TestArgs() {
    return {.title = "Prøve æøå", .style = WS_OVERLAPPEDWINDOW, .x = 10, .y = 10, .width = 300, .height = 200};
}

}  // namespace

TEST(Window, RoutesMessagesAndForgetsItselfAtDestroy) {
    ProbeWindow w;
    ASSERT_TRUE(w.Create(TestArgs()));
    EXPECT_EQ(w.created, 1);
    EXPECT_EQ(w.GetText(), "Prøve æøå");
    HWND h = w.Handle();
    EXPECT_EQ(::GetWindowLongPtrW(h, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&w));

    w.Send(WM_COMMAND, MAKEWPARAM(42, BN_CLICKED), 0);
    EXPECT_EQ(w.commands, 1);
    EXPECT_EQ(w.lastId, 42);

    // A refused close keeps the window; an accepted one destroys it and clears the handle.
    w.refuseClose = true;
    w.Send(WM_CLOSE);
    EXPECT_TRUE(::IsWindow(h));
    w.refuseClose = false;
    w.Send(WM_CLOSE);
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(w.Handle(), nullptr);
    EXPECT_EQ(w.finalDestroys, 1);
}

TEST(Window, ExceptionStopsAtTheWindowProcedure) {
    ProbeWindow w;
    ASSERT_TRUE(w.Create(TestArgs()));
    w.Send(WM_COMMAND, MAKEWPARAM(99, BN_CLICKED), 0);
    EXPECT_EQ(w.exceptionText, "boom");
    // The window still works afterwards.
    w.Send(WM_COMMAND, MAKEWPARAM(7, BN_CLICKED), 0);
    EXPECT_EQ(w.lastId, 7);
    // An error without a text of its own reaches the user in Danish.
    w.Send(WM_COMMAND, MAKEWPARAM(98, BN_CLICKED), 0);
    EXPECT_EQ(w.exceptionText, "Ukendt fejl");
}

TEST(Window, DestructorDestroysTheWindowWithoutCallingBack) {
    HWND h;
    {
        ProbeWindow w;
        ASSERT_TRUE(w.Create(TestArgs()));
        h = w.Handle();
    }
    EXPECT_FALSE(::IsWindow(h));
}

TEST(Window, TimerAndProcessMessages) {
    ProbeWindow w;
    ASSERT_TRUE(w.Create(TestArgs()));
    ::SetTimer(w, 1, 10, nullptr);
    DWORD start = ::GetTickCount();
    while (w.timers == 0 && ::GetTickCount() - start < 2000) {
        ::Sleep(5);
        ProcessMessages();
    }
    ::KillTimer(w, 1);
    EXPECT_GE(w.timers, 1);
}

TEST(Window, TheMessagePumpsLetAWindowsFilterTakeItsKeys) {
    ProbeWindow w;
    ASSERT_TRUE(w.Create(TestArgs()));
    std::vector<WPARAM> filtered;
    // The filter takes F5 as a shortcut; other keys go on to the window.
    MessageFilter filter = [&](MSG& msg) {
        if (msg.hwnd != w.Handle() || msg.message != WM_KEYDOWN) return false;
        filtered.push_back(msg.wParam);
        return msg.wParam == VK_F5;
    };
    w.Post(WM_KEYDOWN, VK_F5);
    w.Post(WM_KEYDOWN, 'A');
    ProcessMessages(filter);
    EXPECT_EQ(filtered, (std::vector<WPARAM>{VK_F5, 'A'}));
    EXPECT_EQ(w.keys, 1);

    // The program's loop: the same way, until the quit, whose code it returns.
    w.Post(WM_KEYDOWN, VK_F5);
    w.Post(WM_KEYDOWN, 'B');
    ::PostQuitMessage(7);
    EXPECT_EQ(RunMessageLoop(filter), 7);
    EXPECT_EQ(filtered.size(), 4u);
    EXPECT_EQ(w.keys, 2);

    // A quit met while a long operation lets messages run is left for the program's loop.
    ::PostQuitMessage(3);
    ProcessMessages();
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST(Window, TextConversionRoundTrips) {
    std::string s = "Vælg mappe: C:\\Ærø\\Øst – ok";
    EXPECT_EQ(FromWide(ToWide(s)), s);
    EXPECT_EQ(ToWide("å"), std::wstring(L"\u00e5"));
    EXPECT_EQ(FromWide(L""), "");
}

namespace {

class ProbeDialog : public Dialog {
public:
    int inits = 0, oks = 0, cancels = 0;
    WindowHandle edit;

protected:
    bool OnInitDialog() override {
        ++inits;
        CreateControl(*this, {.className = L"BUTTON", .text = "OK", .style = BS_DEFPUSHBUTTON | WS_TABSTOP,
                              .x = 10, .y = 40, .width = 75, .height = 23, .id = IDOK});
        edit = CreateControl(*this, {.className = L"EDIT", .style = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
                                     .x = 10, .y = 10, .width = 150, .height = 21, .id = 100});
        ::SetFocus(edit);
        ::SetTimer(*this, 1, 50, nullptr);
        return false;
    }
    bool OnTimer(UINT_PTR) override {
        ::KillTimer(*this, 1);
        // Typed keys reach the focused edit field through the dialog's own message loop.
        edit.Post(WM_KEYDOWN, pendingKey, 0);
        return true;
    }
    void OnOK() override {
        ++oks;
        Dialog::OnOK();
    }
    void OnCancel() override {
        ++cancels;
        Dialog::OnCancel();
    }

public:
    WPARAM pendingKey = VK_RETURN;
};

}  // namespace

TEST(Dialog, EnterEndsWithOkAndEscWithCancel) {
    ProbeDialog ok;
    ok.pendingKey = VK_RETURN;
    EXPECT_EQ(ok.DoModal(nullptr, {.title = "Prøve", .cx = 180, .cy = 70}), IDOK);
    EXPECT_EQ(ok.inits, 1);
    EXPECT_EQ(ok.oks, 1);
    EXPECT_EQ(ok.Handle(), nullptr);

    ProbeDialog cancel;
    cancel.pendingKey = VK_ESCAPE;
    EXPECT_EQ(cancel.DoModal(nullptr, {.title = "Prøve", .cx = 180, .cy = 70}), IDCANCEL);
    EXPECT_EQ(cancel.cancels, 1);
}

namespace {

class Square : public GraphicControl {
public:
    using GraphicControl::GraphicControl;
    int paints = 0;
    void Paint(HDC dc) override {
        ++paints;
        RECT r{0, 0, Width(), Height()};
        HBRUSH b = ::CreateSolidBrush(RGB(255, 0, 0));
        ::FillRect(dc, &r, b);
        ::DeleteObject(b);
    }
};

}  // namespace

TEST(GraphicControl, PaintedAtItsPlaceAndClipped) {
    ProbeWindow w;
    ASSERT_TRUE(w.Create(TestArgs()));
    Square sq(w);
    sq.SetBounds(20, 30, 10, 5);
    w.Show();
    w.Update();
    EXPECT_GE(sq.paints, 1);
    HDC screen = ::GetDC(w);
    COLORREF inside = ::GetPixel(screen, 25, 32);
    COLORREF outside = ::GetPixel(screen, 31, 32);
    COLORREF below = ::GetPixel(screen, 25, 35);
    ::ReleaseDC(w, screen);
    EXPECT_EQ(inside, RGB(255, 0, 0));
    EXPECT_NE(outside, RGB(255, 0, 0));
    EXPECT_NE(below, RGB(255, 0, 0));

    // Hidden: not painted.
    int before = sq.paints;
    sq.SetVisible(false);
    w.Update();
    EXPECT_EQ(sq.paints, before);
}

TEST(Dialog, ModelessDialogGetsItsKeysThroughProcessMessages) {
    ProbeDialog d;
    d.pendingKey = VK_ESCAPE;
    ASSERT_TRUE(d.CreateModeless(nullptr, {.title = "Modeless", .style = WS_POPUP | WS_CAPTION | WS_VISIBLE, .cx = 180,
                                           .cy = 70}));
    EXPECT_FALSE(d.IsModal());
    HWND h = d.Handle();
    // The timer posts Esc to the edit field; the dialog handling turns it into IDCANCEL.
    DWORD start = ::GetTickCount();
    while (::IsWindow(h) && ::GetTickCount() - start < 3000) {
        ProcessMessages();
        ::Sleep(5);
    }
    EXPECT_EQ(d.cancels, 1);
    EXPECT_FALSE(::IsWindow(h)) << "a modeless dialog is destroyed when it ends";
    EXPECT_EQ(d.Handle(), nullptr);
}
