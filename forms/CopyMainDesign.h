// The design of the main window TfrmCopyMain in one place: each control's text and place, the
// job's check boxes, and the other texts the window shows. The menu and its shortcuts are in
// res/CopyMain.rc. Places are pixels at 96 DPI in the control's panel (left, top, width, height).
//
// A new boolean option of the job gets its box here: one line in kJobBoxes. Its control id
// comes from its line, and ShowSettings and the click handler go over the table.
#pragma once

#include "core/JobSettings.h"
#include "core/Texts.h"

namespace tavrel::design {

struct Place {
    int left = 0, top = 0, width = 0, height = 0;
};

struct ControlDesign {
    const char* text;
    Place place;
};

// The panels of Panel2 that hold the job's options: pan1 on the tab "Kopiering" with the group
// box gbDest, pan2 on the tab "Filfiltrering" with the group box gbFiltyper.
enum class OptionPanel { pan1, gbDest, pan2, gbFiltyper };

// A check box (or radio button) that stands for a boolean option of the job.
struct JobBox {
    bool JobSettings::*option;
    const char* text;
    OptionPanel panel;
    Place place;
    // The option's value a checked box stands for: a radio button for "off" stands for false.
    bool checkedMeans = true;
    bool radio = false;
    bool startsGroup = false;  // the first radio button of its group
    bool multiline = false;
    // First in its panel's tab order; else after the panel's other controls, in table order.
    bool first = false;
    // The box cannot be chosen while this option is on.
    bool JobSettings::*disabledWhen = nullptr;
};

// clang-format off
inline constexpr JobBox kJobBoxes[] = {
    {.option = &JobSettings::includeSubfolders, .text = "Me&dtag undermapper",
     .panel = OptionPanel::pan1, .place = {8, 0, 209, 17}, .first = true},
    {.option = &JobSettings::reverse, .text = "Kopier modsat (fra destination til kilde)",
     .panel = OptionPanel::pan1, .place = {8, 216, 217, 28}, .multiline = true},
    {.option = &JobSettings::deleteDestFirst, .text = "S&let indhold i destinationsmappe",
     .panel = OptionPanel::gbDest, .place = {8, 69, 201, 17}, .disabledWhen = &JobSettings::reverse},
    {.option = &JobSettings::onlyNewAndChanged, .text = "&Kopier kun nye og ændrede filer",
     .panel = OptionPanel::pan2, .place = {8, 0, 217, 17}, .first = true},
    {.option = &JobSettings::onlyListedTypes, .text = "Kopie&r ikke disse filtyper",
     .panel = OptionPanel::gbFiltyper, .place = {8, 160, 201, 17}, .checkedMeans = false, .radio = true,
     .startsGroup = true},
    {.option = &JobSettings::onlyListedTypes, .text = "Kopier k&un disse filtyper",
     .panel = OptionPanel::gbFiltyper, .place = {8, 180, 201, 17}, .radio = true},
};
// clang-format on

// The window and its frame.
inline constexpr const char* kTitle = kAppTitle;
inline constexpr int kWidth = 746, kHeight = 840;
inline constexpr int kPanel2Width = 238;
inline constexpr int kButtonRow = 30;  // cmdInfo and cmdStart at the foot of Panel2
inline constexpr int kStatusTextRight = 220;  // the first panel of the status bar ends this far from the right

// Over the tree, on the tab control's page; its accelerator focuses the tree.
inline constexpr const char* lblDirT = "&Marker de mapper, du ønsker at kopiere:";

// Panel2, below pan1 and pan2 (the tops follow the window's height).
inline constexpr ControlDesign cmdInfo{"Inform&ation", {8, 0, 105, 25}};
inline constexpr ControlDesign cmdStart{" &Start", {121, 0, 105, 25}};

// pan1, on the tab "Kopiering".
inline constexpr ControlDesign cmdBeskrivelse{"&Beskrivelse...", {8, 20, 97, 23}};
inline constexpr ControlDesign lblBeskrivelse{"", {8, 47, 209, 47}};
inline constexpr ControlDesign lblDatoL{"Sidst kopieret:", {8, 102, 80, 15}};
inline constexpr ControlDesign lblDato{"-", {96, 99, 121, 19}};
inline constexpr ControlDesign gbDest{" Destination ", {8, 122, 217, 92}};
inline constexpr ControlDesign cmdDest{" K&opier til...", {8, 18, 97, 23}};
inline constexpr ControlDesign lblDest{"", {8, 45, 201, 19}};

// pan2, on the tab "Filfiltrering".
inline constexpr ControlDesign gbFiltyper{" Filtypefiltrering ", {8, 22, 217, 204}};
inline constexpr ControlDesign lblFiltyper{"F&iltyper:", {8, 18, 100, 14}};
inline constexpr ControlDesign lbFiltyper{"", {8, 33, 110, 120}};
inline constexpr ControlDesign lblNyType{"&Ny filtype:", {126, 18, 83, 14}};
inline constexpr ControlDesign txtNyType{"", {126, 33, 83, 21}};
inline constexpr ControlDesign cmdTilfoej{"&Tilføj", {126, 60, 83, 23}};
inline constexpr ControlDesign cmdSlet{"Sl&et", {126, 87, 83, 23}};

// The folder browser of cmdDest: its title and the text of its status line.
struct BrowseTexts {
    const char* title;
    const char* status;
};
inline constexpr BrowseTexts kBrowse{"Vælg den mappe de markerede mapper skal kopieres til:", "Min computer"};

// The input box of cmdBeskrivelse.
struct InputTexts {
    const char* caption;
    const char* prompt;
    const char* ok;
    const char* cancel;
};
inline constexpr InputTexts kDescription{"Job", "Giv en kort beskrivelse af jobbet:", "&OK", "Annuller"};

// The open and save dialogs of job files: the filter's name and pattern, the extension a name
// without one gets.
struct FileTexts {
    const char* filterName;
    const char* pattern;
    const char* extension;
};
inline constexpr FileTexts kJobFiles{"Ambrex Tavrel Filsæt", "*.tvj", "tvj"};

// The status bar while the last job loads and while the tree is read again.
inline constexpr const char* kLoadingJob = kLoadingJobText;
inline constexpr const char* kRefreshing = "Opdaterer...";

// mnuTab carries the other tab's name and its shortcut.
inline constexpr const char* kTabShortcut = "\tCtrl+Tab";

}  // namespace tavrel::design
