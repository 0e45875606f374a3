// What the tests of the windows share: the common controls registered, a control's place and
// font, messages let run for a while, and a shell that records what it was asked to open.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "controls/Window.h"
#include "forms/UiFont.h"
#include "platform/System.h"

namespace tavrel::test {

// The program entry registers the common controls before any window is made; so do the tests.
inline bool ControlsReady() {
    static const bool ready = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_ANIMATE_CLASS | ICC_STANDARD_CLASSES};
        return ::InitCommonControlsEx(&icc) != FALSE;
    }();
    return ready;
}
inline const bool kControlsRegistered = ControlsReady();

inline bool HasStyle(HWND h, LONG_PTR style) { return (::GetWindowLongPtrW(h, GWL_STYLE) & style) == style; }

// A child's bounds in its parent's client pixels.
inline RECT ChildRect(HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline std::string FaceOf(HWND control) {
    return FontFaceName(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
}

inline LOGFONTW LogFontOf(HWND control) {
    LOGFONTW lf{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

// Lets messages run for a while, as the message loop would.
inline void PumpFor(DWORD ms) {
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        tavrel::ProcessMessages();
        ::Sleep(5);
    }
}

// Each label shows its text.
inline void ExpectTexts(std::initializer_list<std::pair<HWND, std::string>> labels) {
    for (const auto& [label, text] : labels) {
        SCOPED_TRACE(text);
        EXPECT_EQ(WindowHandle(label).GetText(), text);
    }
}

class RecordingShell : public IShell {
public:
    void OpenWithShell(const std::string& target) override { opened.push_back(target); }
    std::vector<std::string> opened;
};

}  // namespace tavrel::test
