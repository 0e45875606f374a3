// The main window's menu captions that change at run time.
#pragma once

#include <string>

namespace tavrel {

// The tab names of TabControl1; mnuTab carries the name of the tab not shown.
extern const char* const kTabNames[2];
std::string OtherTabName(int shownTab);

// The caption of recent-file item n (1..4): "&n. " and the path. A "&" in the path is doubled
// so that the menu shows it instead of underlining the letter after it.
std::string RecentMenuCaption(int entry, const std::string& path);

}  // namespace tavrel
