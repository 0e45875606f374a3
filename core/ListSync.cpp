#include "core/ListSync.h"

namespace tavrel {

namespace {

bool IsSelected(const std::vector<bool>& selected, size_t i) { return i < selected.size() && selected[i]; }

}  // namespace

std::optional<std::vector<ListStep>> PlanListSync(const std::vector<std::string>& shown,
                                                  const std::vector<bool>& selected,
                                                  const std::vector<std::string>& wanted) {
    std::vector<ListStep> steps;
    if (shown == wanted) return steps;

    if (wanted.size() > shown.size()) {
        // Every shown item must be kept, in order; the others are inserted where they belong.
        size_t i = 0;
        for (size_t j = 0; j < wanted.size(); ++j) {
            if (i < shown.size() && shown[i] == wanted[j])
                ++i;
            else
                steps.push_back({ListStep::Insert, j, wanted[j]});
        }
        if (i != shown.size()) return std::nullopt;
        return steps;
    }

    if (wanted.size() < shown.size()) {
        std::vector<size_t> erase;
        std::vector<std::string> rest;
        for (size_t i = 0; i < shown.size(); ++i) {
            if (IsSelected(selected, i))
                erase.push_back(i);
            else
                rest.push_back(shown[i]);
        }
        if (rest != wanted) {
            erase.clear();
            size_t j = 0;
            for (size_t i = 0; i < shown.size(); ++i) {
                if (j < wanted.size() && shown[i] == wanted[j])
                    ++j;
                else
                    erase.push_back(i);
            }
            if (j != wanted.size()) return std::nullopt;
        }
        // From the last to the first, so that each index is still the item's own.
        for (auto it = erase.rbegin(); it != erase.rend(); ++it) steps.push_back({ListStep::Erase, *it, {}});
        return steps;
    }
    return std::nullopt;
}

}  // namespace tavrel
