// ListBox: a list of texts in the order given (the caller sorts), one or several selected.
// onSelectionChanged follows a change of the selection by mouse or keyboard.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "controls/Control.h"

namespace tavrel {

class ListBox : public Control {
public:
    struct CreateArgs {
        RECT bounds{};
        int id = 0;
        bool multiSelect = false;  // several items, with Shift and Ctrl
    };

    bool Create(HWND parent, const CreateArgs& args);

    int Count() const;
    std::string Text(int index) const;
    std::vector<std::string> Texts() const;
    bool Selected(int index) const { return Send(LB_GETSEL, static_cast<WPARAM>(index)) > 0; }
    // The selected items' indices, in increasing order.
    std::vector<int> SelectedIndices() const;

    void Add(const std::string& text) const;
    void Insert(int index, const std::string& text) const;
    void Delete(int index) const { Send(LB_DELETESTRING, static_cast<WPARAM>(index)); }
    void Clear() const { Send(LB_RESETCONTENT); }
    // Holds the drawing back during many changes; on again, the list is drawn anew.
    void SetRedraw(bool on) const;

    std::function<void()> onSelectionChanged;

protected:
    bool OnReflectedCommand(int code) override;
};

}  // namespace tavrel
