// Bringing a list control in line with a list of texts by inserting and removing single items
// instead of refilling it, so that the items the user selected stay selected.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tavrel {

struct ListStep {
    enum Kind { Insert, Erase };
    Kind kind;
    size_t index;      // the position at the moment the step is applied
    std::string text;  // the text to insert (empty for Erase)

    bool operator==(const ListStep&) const = default;
};

// The steps that turn the shown items into the wanted ones, to be applied in order. No steps
// when they are equal; nothing when more than insertions alone or removals alone are needed
// (a loaded job): the caller then fills the list anew. When items are removed and removing
// just the selected ones gives the wanted list, those are the ones removed, so that of two
// equal texts the selected one goes, as "Slet" meant. selected may be shorter than shown.
std::optional<std::vector<ListStep>> PlanListSync(const std::vector<std::string>& shown,
                                                  const std::vector<bool>& selected,
                                                  const std::vector<std::string>& wanted);

}  // namespace tavrel
