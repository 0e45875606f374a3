// A child window that hosts window-less text bars: with a caption it draws itself as a group
// box (etched frame, caption in the top line), without one it is a plain surface. Text bars
// need a Window to paint on, and a dialog is not one.
#pragma once

#include <string>

#include "controls/Window.h"

namespace tavrel {

class TGroupPanel : public Window {
public:
    struct CreateArgs {
        HWND parent = nullptr;
        int id = 0;
        RECT bounds{};  // in the parent's client pixels
        std::string caption;
        bool framed = true;
        HFONT font = nullptr;
    };

    bool CreatePanel(const CreateArgs& args);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool Framed() const { return framed_; }

protected:
    void OnPaint(HDC dc, const RECT& update) override;

private:
    std::string caption_;
    bool framed_ = true;
};

}  // namespace tavrel
