#include "controls/TabControl.h"

#include <commctrl.h>

namespace tavrel {

bool TabControl::Create(HWND parent, const CreateArgs& args) {
    // Not a tab stop itself: Ctrl+Tab and the menu change the tab.
    if (!CreateChild(parent, Placed({.className = WC_TABCONTROLW, .text = {}, .style = WS_CLIPSIBLINGS, .id = args.id},
                                    args.bounds)))
        return false;
    for (const std::string& tab : args.tabs) Add(tab);
    return true;
}

void TabControl::Add(const std::string& text) const {
    std::wstring wide = ToWide(text);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = wide.data();
    Send(TCM_INSERTITEMW, static_cast<WPARAM>(Count()), reinterpret_cast<LPARAM>(&item));
}

RECT TabControl::PageRect(const RECT& bounds) const {
    RECT page{0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
    Send(TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    ::OffsetRect(&page, bounds.left, bounds.top);
    return page;
}

bool TabControl::OnReflectedNotify(NMHDR* hdr, LRESULT& result) {
    if (hdr->code != static_cast<UINT>(TCN_SELCHANGE) || !onSelectionChanged) return false;
    onSelectionChanged();
    result = 0;
    return true;
}

}  // namespace tavrel
