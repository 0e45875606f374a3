// The main window's design table, checked for what a new line could break: an accelerator
// letter taken twice on a tab, a box over another control or beyond its panel, a pair of radio
// buttons that does not stand for the two values of its option.
#include "forms/CopyMainDesign.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/MainMenu.h"

using namespace tavrel;
using namespace tavrel::design;

namespace {

struct Shown {
    const char* name;
    const char* text;
    Place place;
};

// The letter after a single "&", lower case; 0 when there is none.
char Mnemonic(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
    }
    return 0;
}

bool Overlap(const Place& a, const Place& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

// The controls of each option panel besides the job's boxes, and the panel's inner width.
std::map<OptionPanel, std::vector<Shown>> PanelControls() {
    return {
        {OptionPanel::pan1,
         {{"cmdBeskrivelse", cmdBeskrivelse.text, cmdBeskrivelse.place},
          {"lblBeskrivelse", lblBeskrivelse.text, lblBeskrivelse.place},
          {"lblDatoL", lblDatoL.text, lblDatoL.place},
          {"lblDato", lblDato.text, lblDato.place},
          {"gbDest", gbDest.text, gbDest.place}}},
        {OptionPanel::gbDest, {{"cmdDest", cmdDest.text, cmdDest.place}, {"lblDest", lblDest.text, lblDest.place}}},
        {OptionPanel::pan2, {{"gbFiltyper", gbFiltyper.text, gbFiltyper.place}}},
        {OptionPanel::gbFiltyper,
         {{"lblFiltyper", lblFiltyper.text, lblFiltyper.place},
          {"lbFiltyper", lbFiltyper.text, lbFiltyper.place},
          {"lblNyType", lblNyType.text, lblNyType.place},
          {"txtNyType", txtNyType.text, txtNyType.place},
          {"cmdTilfoej", cmdTilfoej.text, cmdTilfoej.place},
          {"cmdSlet", cmdSlet.text, cmdSlet.place}}},
    };
}

int WidthOf(OptionPanel panel) {
    switch (panel) {
    case OptionPanel::gbDest: return gbDest.place.width;
    case OptionPanel::gbFiltyper: return gbFiltyper.place.width;
    default: return kPanel2Width;
    }
}

bool OnFilterTab(OptionPanel panel) { return panel == OptionPanel::pan2 || panel == OptionPanel::gbFiltyper; }

}  // namespace

TEST(CopyMainDesign, NoTwoControlsOnATabShareAnAcceleratorNorTakeTheMenus) {
    const std::set<char> menus = {'f', 'v', 'h'};  // "&Filer", "&Vis", "&Hjælp"
    for (bool filterTab : {false, true}) {
        SCOPED_TRACE(kTabNames[filterTab ? 1 : 0]);
        std::vector<Shown> shown = {{"lblDirT", lblDirT, {}}, {"cmdInfo", cmdInfo.text, {}},
                                    {"cmdStart", cmdStart.text, {}}};
        for (const auto& [panel, controls] : PanelControls())
            if (OnFilterTab(panel) == filterTab) shown.insert(shown.end(), controls.begin(), controls.end());
        for (const JobBox& box : kJobBoxes)
            if (OnFilterTab(box.panel) == filterTab) shown.push_back({"a job box", box.text, box.place});
        std::map<char, std::string> taken;
        for (const Shown& control : shown) {
            const char letter = Mnemonic(control.text);
            if (!letter) continue;
            EXPECT_EQ(menus.count(letter), 0u) << control.name << " takes the menu's Alt+" << letter;
            const auto [it, fresh] = taken.emplace(letter, control.text);
            EXPECT_TRUE(fresh) << "\"" << control.text << "\" and \"" << it->second << "\" share Alt+" << letter;
        }
    }
}

TEST(CopyMainDesign, EachJobBoxLiesInItsPanelClearOfTheOtherControls) {
    const auto controls = PanelControls();
    for (size_t i = 0; i < std::size(kJobBoxes); ++i) {
        const JobBox& box = kJobBoxes[i];
        SCOPED_TRACE(box.text);
        EXPECT_GE(box.place.left, 0);
        EXPECT_GE(box.place.top, 0);
        EXPECT_LE(box.place.left + box.place.width, WidthOf(box.panel));
        for (const Shown& other : controls.at(box.panel)) EXPECT_FALSE(Overlap(box.place, other.place)) << other.name;
        for (size_t j = i + 1; j < std::size(kJobBoxes); ++j)
            if (kJobBoxes[j].panel == box.panel) EXPECT_FALSE(Overlap(box.place, kJobBoxes[j].place)) << kJobBoxes[j].text;
    }
}

TEST(CopyMainDesign, AnOptionHasOneCheckBoxOrOnePairOfRadioButtonsForItsTwoValues) {
    // Member pointers have no order: the boxes are grouped by a look along the table.
    std::vector<std::pair<bool JobSettings::*, std::vector<const JobBox*>>> byOption;
    for (const JobBox& box : kJobBoxes) {
        auto it = std::find_if(byOption.begin(), byOption.end(), [&](const auto& g) { return g.first == box.option; });
        if (it == byOption.end()) it = byOption.insert(byOption.end(), {box.option, {}});
        it->second.push_back(&box);
    }
    for (const auto& [option, boxes] : byOption) {
        SCOPED_TRACE(boxes.front()->text);
        if (!boxes.front()->radio) {
            EXPECT_EQ(boxes.size(), 1u);
            EXPECT_TRUE(boxes.front()->checkedMeans) << "a ticked box stands for the option on";
        } else {
            ASSERT_EQ(boxes.size(), 2u);
            EXPECT_TRUE(boxes[0]->radio && boxes[1]->radio);
            EXPECT_TRUE(boxes[0]->startsGroup);
            EXPECT_FALSE(boxes[1]->startsGroup);
            EXPECT_NE(boxes[0]->checkedMeans, boxes[1]->checkedMeans);
            EXPECT_EQ(boxes[0]->panel, boxes[1]->panel);
            EXPECT_EQ(boxes[1] - boxes[0], 1) << "adjacent, so that they make one group";
        }
        for (const JobBox* box : boxes) EXPECT_NE(box->disabledWhen, option);
    }
}
