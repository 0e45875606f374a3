#include "core/MainMenu.h"

namespace tavrel {

const char* const kTabNames[2] = {"Kopiering", "Filfiltrering"};

std::string OtherTabName(int shownTab) { return kTabNames[shownTab == 0 ? 1 : 0]; }

std::string RecentMenuCaption(int entry, const std::string& path) {
    std::string caption = "&" + std::to_string(entry) + ". ";
    for (char c : path) {
        if (c == '&') caption += '&';
        caption += c;
    }
    return caption;
}

}  // namespace tavrel
