#include "core/ListSync.h"

#include <gtest/gtest.h>

#include <random>

using namespace tavrel;

namespace {

using Texts = std::vector<std::string>;

// Applies the steps to a copy of the list with its selection, as the list box does.
struct Applied {
    Texts items;
    std::vector<bool> selected;
};
Applied Apply(Texts items, std::vector<bool> selected, const std::vector<ListStep>& steps) {
    selected.resize(items.size());
    for (const ListStep& s : steps) {
        if (s.kind == ListStep::Insert) {
            EXPECT_LE(s.index, items.size());
            items.insert(items.begin() + static_cast<long>(s.index), s.text);
            selected.insert(selected.begin() + static_cast<long>(s.index), false);
        } else {
            EXPECT_LT(s.index, items.size());
            items.erase(items.begin() + static_cast<long>(s.index));
            selected.erase(selected.begin() + static_cast<long>(s.index));
        }
    }
    return {items, selected};
}

}  // namespace

TEST(ListSync, InsertionsAndRemovalsKeepTheSelectionOfTheItemsThatStay) {
    struct Case {
        const char* name;
        Texts shown;
        std::vector<bool> selected;
        Texts wanted;
        std::vector<bool> selectedAfter;
    };
    const Case cases[] = {
        {"unchanged (a description or option changed)", {".BAK", ".TMP"}, {true, false}, {".BAK", ".TMP"},
         {true, false}},
        {"one type added before the selected one", {".BAK", ".TMP"}, {false, true}, {".ABC", ".BAK", ".TMP"},
         {false, false, true}},
        {"added at the end", {".BAK", ".TMP"}, {true, true}, {".BAK", ".TMP", ".txt"}, {true, true, false}},
        {"a second equal type", {".TXT"}, {true}, {".TXT", ".TXT"}, {true, false}},
        {"into an empty list", {}, {}, {".a"}, {false}},
        {"the selected ones deleted", {".a", ".b", ".c", ".d"}, {false, true, false, true}, {".a", ".c"},
         {false, false}},
        {"of two equal types the selected one goes", {".TXT", ".TXT", ".x"}, {true, false, true}, {".TXT"},
         {false}},
        {"removed without a selection", {".a", ".b", ".c"}, {}, {".a", ".c"}, {false, false}},
        {"everything removed", {".a", ".b"}, {true, false}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto steps = PlanListSync(c.shown, c.selected, c.wanted);
        ASSERT_TRUE(steps.has_value());
        Applied a = Apply(c.shown, c.selected, *steps);
        EXPECT_EQ(a.items, c.wanted);
        EXPECT_EQ(a.selected, c.selectedAfter);
    }
}

TEST(ListSync, OtherChangesAskForARefill) {
    EXPECT_FALSE(PlanListSync({".a", ".b"}, {}, {".a", ".c"}));
    EXPECT_FALSE(PlanListSync({".a", ".b"}, {}, {".b", ".a", ".c"})) << "order changed";
    EXPECT_FALSE(PlanListSync({".a", ".b", ".c"}, {}, {".d"}));
    EXPECT_FALSE(PlanListSync({".BAK"}, {}, {".bak"})) << "texts compare exactly";
    EXPECT_TRUE(PlanListSync({}, {}, {})->empty());
}

// Random lists and random single changes: the steps always give the wanted list, and every
// item that stays keeps its selection.
TEST(ListSync, RandomChangesAlwaysEndInTheWantedList) {
    std::mt19937 random(7);
    const Texts alphabet = {".a", ".b", ".c", ".C", ".d"};
    for (int round = 0; round < 2000; ++round) {
        SCOPED_TRACE(round);
        Texts shown;
        std::vector<bool> selected;
        for (int n = static_cast<int>(random() % 6); n > 0; --n) {
            shown.push_back(alphabet[random() % alphabet.size()]);
            selected.push_back(random() % 2 == 0);
        }
        Texts wanted = shown;
        std::vector<bool> keptSelection = selected;
        if (random() % 2 == 0 || wanted.empty()) {
            size_t at = random() % (wanted.size() + 1);
            wanted.insert(wanted.begin() + static_cast<long>(at), alphabet[random() % alphabet.size()]);
            keptSelection.insert(keptSelection.begin() + static_cast<long>(at), false);
        } else {
            // The selected items go, as a press on "Slet" does.
            Texts rest;
            for (size_t i = 0; i < shown.size(); ++i)
                if (!selected[i]) rest.push_back(shown[i]);
            wanted = rest;
            keptSelection.assign(wanted.size(), false);
        }
        auto steps = PlanListSync(shown, selected, wanted);
        ASSERT_TRUE(steps.has_value());
        Applied a = Apply(shown, selected, *steps);
        ASSERT_EQ(a.items, wanted);
        // Equal texts may trade places, so the selection is compared by text.
        auto selectedTexts = [](const Texts& items, const std::vector<bool>& sel) {
            Texts out;
            for (size_t i = 0; i < items.size(); ++i)
                if (sel[i]) out.push_back(items[i]);
            return out;
        };
        EXPECT_EQ(selectedTexts(a.items, a.selected), selectedTexts(wanted, keptSelection));
    }
}
