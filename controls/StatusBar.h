// StatusBar: the bar at the foot of a window, in parts of text.
#pragma once

#include <string>
#include <vector>

#include "controls/Control.h"

namespace tavrel {

class StatusBar : public Control {
public:
    struct CreateArgs {
        int id = 0;
        bool sizeGrip = true;
    };

    bool Create(HWND parent, const CreateArgs& args);

    // The right edges of the parts in client pixels; -1 reaches to the bar's end.
    void SetParts(const std::vector<int>& rightEdges) const;
    // flags: SBT_NOBORDERS and its kind. A tab in the text centres what follows it, two tabs
    // put it at the right.
    void SetText(int part, const std::string& text, UINT flags = 0) const;
    std::string Text(int part) const;
    // Follows the parent's new size (the parent calls it from its WM_SIZE).
    void FollowParent() const { Send(WM_SIZE); }
};

}  // namespace tavrel
