// TPanel: a child surface of a window that holds controls and window-less text bars (they need
// a Window to paint on, and a dialog is not one): the main window's option panels (Panel2,
// pan1, pan2) and group boxes, and the progress window's groups. With a caption it draws
// itself as a group box: an etched frame with the caption in its top line. The controls on it
// handle their own notifications, which it reflects to them.
#pragma once

#include <string>

#include "controls/Window.h"

namespace tavrel {

class TPanel : public Window {
public:
    struct CreateArgs {
        HWND parent = nullptr;
        int id = 0;
        RECT bounds{};        // in the parent's client pixels
        std::string caption;  // empty: no frame
        HFONT font = nullptr;
        bool visible = true;
        // The dialog keys (Tab, mnemonics) reach the controls on it.
        bool controlParent = false;
    };

    bool CreatePanel(const CreateArgs& args);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);

protected:
    void OnPaint(HDC dc, const RECT& update) override;

private:
    std::string caption_;
};

}  // namespace tavrel
