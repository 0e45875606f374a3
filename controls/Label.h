// Label: a static text, an icon or a line. A clickable label raises onClick and shows the hand
// pointer; a label with its own text colour is drawn in it on the parent's button-face colour.
#pragma once

#include <functional>
#include <string>

#include "controls/Control.h"

namespace tavrel {

// A system colour by its index (COLOR_WINDOWTEXT...), looked up each time the label is drawn.
constexpr COLORREF SystemColor(int index) { return 0x80000000u | static_cast<COLORREF>(index); }

class Label : public Control {
public:
    struct CreateArgs {
        std::string text;
        RECT bounds{};
        int id = 0;
        DWORD style = SS_LEFT;        // SS_ICON, SS_ETCHEDHORZ, SS_CENTER...
        HFONT font = nullptr;         // nullptr: the parent's
        COLORREF textColor = CLR_INVALID;  // CLR_INVALID: the system's own colours
        bool clickable = false;
    };

    bool Create(HWND parent, const CreateArgs& args);

    void SetIcon(HICON icon) const { Send(STM_SETICON, reinterpret_cast<WPARAM>(icon)); }

    std::function<void()> onClick;

protected:
    bool OnReflectedCommand(int code) override;
    HBRUSH OnReflectedColor(HDC dc) override;
    bool OnReflectedSetCursor() override;

private:
    COLORREF textColor_ = CLR_INVALID;
    bool clickable_ = false;
};

}  // namespace tavrel
