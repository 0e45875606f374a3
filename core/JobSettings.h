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

// A field of the job as the job file stores it: a boolean option ("1" or "0"), a line of text,
// or (neither) the file types as comma text.
struct JobField {
    const char* key;
    bool JobSettings::*flag = nullptr;
    std::string JobSettings::*text = nullptr;
};

// The job file's keys in the order it writes them. A new boolean option is its member above
// and its line here; the job file reads and writes it from this table.
inline constexpr JobField kJobFields[] = {
    {"Beskiv", nullptr, &JobSettings::description},
    {"Dest", nullptr, &JobSettings::destination},
    {"SletDest", &JobSettings::deleteDestFirst},
    {"Undermapper", &JobSettings::includeSubfolders},
    {"KunNye", &JobSettings::onlyNewAndChanged},
    {"KunFiltyper", &JobSettings::onlyListedTypes},
    {"FilTyper"},
    {"Modsat", &JobSettings::reverse},
};

}  // namespace tavrel
