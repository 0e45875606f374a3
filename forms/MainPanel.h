// A child surface of the main window: the option panels (Panel2, pan1, pan2) and the group
// boxes inside them. Text bars paint on it, and what its controls report goes on to the main
// window, which handles every control event in one place. With a caption it draws itself as
// a group box.
#pragma once

#include <string>

#include "controls/Window.h"

namespace tavrel {

class TMainPanel : public Window {
public:
    struct CreateArgs {
        HWND parent = nullptr;
        int id = 0;
        RECT bounds{};
        std::string caption;  // empty: no frame
        bool framed = false;
        HFONT font = nullptr;
        bool visible = true;
    };

    bool CreatePanel(const CreateArgs& args);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnPaint(HDC dc, const RECT& update) override;

private:
    std::string caption_;
    bool framed_ = false;
};

}  // namespace tavrel
