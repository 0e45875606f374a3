// One job: what to copy, where to, and how. The marked folders travel beside it.
#pragma once

#include <string>
#include <vector>

namespace tavrel {

struct JobSettings {
    std::string description;                        // Beskiv
    std::string destination;                        // Dest, normally ending in "\"
    bool deleteDestFirst = false;                   // SletDest
    bool includeSubfolders = true;                  // Undermapper
    bool onlyNewAndChanged = true;                  // KunNye
    bool onlyListedTypes = false;                   // KunFiltyper: false = leave the listed types out
    std::vector<std::string> fileTypes{".BAK", ".TMP"};  // FilTyper, kept sorted without regard to case
    bool reverse = false;                           // Modsat
};

}  // namespace tavrel
